// Downloads against real loopback servers (servers.sh): every status a server can cause, the authentication
// request, the cache switch, credentials, cancellation and the fate of the output file.

#include "TransferTestSupport.h"

#include "common/StuckListener.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include "transfer/InetDownload.h"
#include "transfer/JobThreads.h"

#include "win/Handles.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

using namespace transfer;

namespace {

constexpr UINT kDone = WM_APP + 60;
constexpr int64_t kServerLastModified = 784887151; // Tue, 15 Nov 1994 08:12:31 GMT
const std::wstring kHttp = L"http://127.0.0.1:" + std::to_wstring(FOLIVEX_TEST_HTTP_PORT);
const std::wstring kFtp = L"ftp://127.0.0.1:" + std::to_wstring(FOLIVEX_TEST_FTP_PORT) + L"/doc.bin";
const std::wstring kClosed = L"://127.0.0.1:" + std::to_wstring(FOLIVEX_TEST_CLOSED_PORT);

// The servers' bodies: byte i is i modulo 251.
std::string Pattern(size_t size) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>(i % 251);
    }
    return text;
}

// Tells the test when the job has begun to connect, so that a cancel is not cleared by the job's own start.
class CSignallingDL : public CCommDL {
public:
    // The most derived class constructs the virtual base, so the target must be given to it here.
    CSignallingDL(HWND window, UINT message) : CInet(window, message), CCommDL(window, message) {}
    bool Connect() override {
        if (connecting) {
            ::SetEvent(connecting);
        }
        return CCommDL::Connect();
    }
    HANDLE connecting = nullptr;
};

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_thread.Start(0)); }
    void TearDown() override { EXPECT_TRUE(m_thread.Stop()); }

    std::unique_ptr<CSignallingDL> MakeJob(const std::wstring& url, const wchar_t* password = nullptr,
                                           uint32_t pasv = 1) {
        auto job = std::make_unique<CSignallingDL>(m_recorder.Get(), kDone);
        EXPECT_TRUE(job->Connection().SetAddress(url)) << url;
        job->Connection().login = password ? 1 : 0;
        job->Connection().user = password ? L"folivex" : L"";
        job->Connection().password = password ? password : L"";
        job->Connection().pasv = pasv;
        job->SetOutputFile(std::make_unique<CDownloadFile>(m_folder.File(L"out" + std::to_wstring(++m_files)), true));
        return job;
    }
    std::unique_ptr<CCommDL> Run(std::unique_ptr<CCommDL> job) { return Finish(Submit(std::move(job))); }
    size_t Submit(std::unique_ptr<CCommDL> job) {
        const size_t before = m_recorder.GetReceived().size();
        std::unique_ptr<CComm> comm = std::move(job);
        EXPECT_TRUE(m_thread.Submit(comm));
        return before;
    }
    // The message carries the job as a CComm, which the virtual base puts elsewhere than the CCommDL.
    std::unique_ptr<CCommDL> Finish(size_t before) {
        if (!PumpUntilReceived(m_recorder, before + 1)) {
            return nullptr;
        }
        std::unique_ptr<CComm> comm = AdoptJob<CComm>(m_recorder.GetReceived()[before]);
        auto* job = dynamic_cast<CCommDL*>(comm.get());
        return std::unique_ptr<CCommDL>(job ? (comm.release(), job) : nullptr);
    }

    CTempFolder m_folder;
    CRecorderWindow m_recorder;
    CCommThread m_thread;
    int m_files = 0;
};

} // namespace

TEST_F(DownloadTest, EachServerBehaviourGivesItsStatusAndMessageAndAFailureLeavesNoFile) {
    const struct {
        std::wstring url;
        const wchar_t* password;
        uint32_t pasv, status;
        size_t fetched; // bytes of the pattern in the output file when the job comes back; 0: not checked
        uint32_t scheme;
        UINT message; // 0: none
        const wchar_t* detail;
    } cases[] = {
        {kHttp + L"/ok", nullptr, 1, kCommStatusSuccess, 5000, CCommAuth::kSchemeUnknown, 0, L""},
        {kFtp, L"secret", 1, kCommStatusSuccess, 3000, CCommAuth::kSchemeUnknown, 0, L""},
        {kFtp, L"secret", 0, kCommStatusSuccess, 3000, CCommAuth::kSchemeUnknown, 0, L""}, // active mode
        {kFtp, L"wrong", 1, kCommStatusAuth, 0, CCommAuth::kSchemeFtp, IDS_ERR_COMM_AUTH, L""},
        {kHttp + L"/nolength", nullptr, 1, kCommStatusResponse, 0, 0, IDS_ERR_COMM_RESPONSE, L""},
        {kHttp + L"/early", nullptr, 1, kCommStatusDownload, 0, 0, IDS_ERR_COMM_DOWNLOAD, L""},
        {kHttp + L"/nolastmod", nullptr, 1, kCommStatusFileInfo, 5000, 0, IDS_ERR_COMM_FILE_INFO, L""},
        {kHttp + L"/missing", nullptr, 1, kCommStatusResponse, 0, 0, IDS_ERR_COMM_RESPONSE, L"HTTP Status Code: 404"},
        {kHttp + L"/digest", nullptr, 1, kCommStatusAuth, 0, CCommAuth::kSchemeDigest, IDS_ERR_COMM_AUTH, L""},
        {kHttp + L"/basic", nullptr, 1, kCommStatusAuth, 0, CCommAuth::kSchemeBasic, IDS_ERR_COMM_AUTH, L""},
        {L"http" + kClosed + L"/ok", nullptr, 1, kCommStatusRequest, 0, 0, IDS_ERR_COMM_REQUEST, L""},
        {L"ftp" + kClosed + L"/doc.bin", nullptr, 1, kCommStatusConnect, 0, 0, IDS_ERR_COMM_CONNECT, L""},
        {L"file:///C:/doc.chm", nullptr, 1, kCommStatusParameter, 0, 0, IDS_ERR_COMM_PARAM, L""},
    };
    for (const auto& c : cases) {
        auto job = Run(MakeJob(c.url, c.password, c.pasv));
        ASSERT_NE(job, nullptr) << c.url;
        EXPECT_EQ(job->GetStatus(), c.status) << c.url << c.pasv;
        EXPECT_EQ(job->GetAuthRequest().scheme, c.scheme) << c.url;
        EXPECT_EQ(job->GetDetail(), c.detail) << c.url;
        EXPECT_EQ(CommErrorText(*job),
                  c.message ? win::LoadStr(c.message) + (*c.detail ? L"\n" + std::wstring(c.detail) : L"") : L"")
            << c.url;
        const std::wstring path = job->OutputFile()->Path();
        if (c.fetched != 0) {
            EXPECT_EQ(ReadBytes(path), Pattern(c.fetched)) << c.url;
        }
        if (c.status == kCommStatusSuccess) {
            // The HTTP server stamps a fixed time; the FTP server reports its file's.
            const int64_t time = job->GetFileInformation().lastWriteTime;
            EXPECT_TRUE(c.url == kFtp ? time > kServerLastModified : time == kServerLastModified) << time;
            EXPECT_EQ(job->GetFileInformation().size, c.fetched);
        } else {
            job.reset();
            EXPECT_FALSE(Exists(path)) << c.url;
        }
    }
}

TEST_F(DownloadTest, AStalledServerEndsWithinTheTimeout) {
    auto slow = MakeJob(kHttp + L"/slow");
    slow->Settings().SetTimeoutSeconds(1);
    auto job = Run(std::move(slow));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusRequest);
}

TEST_F(DownloadTest, WithTheCacheOffEveryDownloadGoesToTheServerAndLeavesNoEntry) {
    const std::wstring url =
        kHttp + L"/count/" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64());
    for (const char* expected : {"hit 1", "hit 2"}) {
        auto job = Run(MakeJob(url));
        ASSERT_NE(job, nullptr);
        EXPECT_EQ(ReadBytes(job->OutputFile()->Path()), expected);
    }
    DWORD size = 0;
    EXPECT_FALSE(::GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

// The platform cannot time out a connect, nor interrupt it: a host that never answers must still let a cancel, the
// worker's stop and the time-out end the job at once, and leave the worker able to download again.
TEST_F(DownloadTest, AHostThatNeverAnswersEndsTheJobOnCancelStopOrTimeout) {
    enum class Act { Cancel, Stop, Wait };
    const struct {
        const wchar_t* scheme;
        const wchar_t* path;
        uint32_t timeoutSeconds; // 0: none
        Act act;
        uint32_t status;
    } cases[] = {
        {L"http", L"/ok", 0, Act::Cancel, kCommStatusCancelled},
        {L"ftp", L"/doc.bin", 0, Act::Stop, kCommStatusCancelled},
        {L"http", L"/ok", 1, Act::Wait, kCommStatusRequest},
        {L"ftp", L"/doc.bin", 2, Act::Wait, kCommStatusConnect},
    };
    for (const auto& c : cases) {
        std::wstring url;
        win::CHandle connecting(NewEvent());
        std::atomic<bool> stopped{false};
        std::thread stopper;
        size_t before = 0;
        std::wstring path;
        {
            CStuckListener listener;
            ASSERT_NE(listener.Port(), 0u);
            url = std::wstring(c.scheme) + L"://127.0.0.1:" + std::to_wstring(listener.Port()) + c.path;
            auto stuck = MakeJob(url);
            stuck->Settings().SetTimeoutSeconds(c.timeoutSeconds);
            stuck->connecting = connecting.Get();
            path = stuck->OutputFile()->Path();
            before = Submit(std::move(stuck));
            ASSERT_EQ(::WaitForSingleObject(connecting.Get(), kWaitLimitMs), WAIT_OBJECT_0);
            if (c.act == Act::Cancel) {
                EXPECT_TRUE(m_thread.Cancel());
            } else if (c.act == Act::Stop) {
                stopper = std::thread([&] { stopped = m_thread.Stop(); });
            }
            EXPECT_TRUE(PumpUntilReceived(m_recorder, before + 1, Timeout(20000))) << url;
            // Leaving the scope refuses the connect, so a job that did not end now ends soon and nothing waits.
        }
        if (stopper.joinable()) {
            stopper.join();
            EXPECT_TRUE(stopped);
            ASSERT_TRUE(m_thread.Start(0));
        }
        auto job = Finish(before);
        ASSERT_NE(job, nullptr);
        EXPECT_EQ(job->GetStatus(), c.status) << url;
        job.reset();
        EXPECT_FALSE(Exists(path));
    }
    auto job = Run(MakeJob(kHttp + L"/ok"));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusSuccess);
}
