// Downloads against real loopback servers (servers.sh): every status a server can cause, the authentication
// request, the cache switch, credentials, cancellation and the fate of the output file.

#include "TransferTestSupport.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include "transfer/InetDownload.h"
#include "transfer/JobThreads.h"

#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <string>

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

uint64_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ? data.nFileSizeLow : 0;
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_thread.Start(0)); }
    void TearDown() override { EXPECT_TRUE(m_thread.Stop()); }

    std::unique_ptr<CCommDL> MakeJob(const std::wstring& url, const wchar_t* password = nullptr, uint32_t pasv = 1) {
        auto job = std::make_unique<CCommDL>(m_recorder.Get(), kDone);
        EXPECT_TRUE(job->Connection().SetAddress(url)) << url;
        if (password) {
            job->Connection().login = 1;
            job->Connection().user = L"folivex";
            job->Connection().password = password;
        }
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
        if (job) {
            (void)comm.release();
        }
        return std::unique_ptr<CCommDL>(job);
    }

    CTempFolder m_folder;
    CRecorderWindow m_recorder;
    CCommThread m_thread;
    int m_files = 0;
};

} // namespace

TEST_F(DownloadTest, EachServerBehaviourGivesItsStatusAndAFailureLeavesNoFile) {
    const struct {
        std::wstring url;
        uint32_t status;
        size_t fetched; // bytes of the pattern in the output file when the job comes back; 0: not checked
        uint32_t scheme;
        const wchar_t* detail;
    } cases[] = {
        {kHttp + L"/ok", kCommStatusSuccess, 5000, CCommAuth::kSchemeUnknown, L""},
        {kFtp, kCommStatusSuccess, 3000, CCommAuth::kSchemeUnknown, L""},
        {kHttp + L"/nolength", kCommStatusResponse, 0, CCommAuth::kSchemeUnknown, L""},
        {kHttp + L"/early", kCommStatusDownload, 0, CCommAuth::kSchemeUnknown, L""},
        {kHttp + L"/nolastmod", kCommStatusFileInfo, 5000, CCommAuth::kSchemeUnknown, L""},
        {kHttp + L"/missing", kCommStatusResponse, 0, CCommAuth::kSchemeUnknown, L"HTTP Status Code: 404"},
        {kHttp + L"/digest", kCommStatusAuth, 0, CCommAuth::kSchemeDigest, L""},
        {kHttp + L"/basic", kCommStatusAuth, 0, CCommAuth::kSchemeBasic, L""},
        {L"http" + kClosed + L"/ok", kCommStatusRequest, 0, CCommAuth::kSchemeUnknown, L""},
        {L"ftp" + kClosed + L"/doc.bin", kCommStatusConnect, 0, CCommAuth::kSchemeUnknown, L""},
        {L"file:///C:/doc.chm", kCommStatusParameter, 0, CCommAuth::kSchemeUnknown, L""},
    };
    for (const auto& c : cases) {
        auto job = Run(MakeJob(c.url, c.url == kFtp ? L"secret" : nullptr));
        ASSERT_NE(job, nullptr) << c.url;
        EXPECT_EQ(job->GetStatus(), c.status) << c.url;
        EXPECT_EQ(job->GetAuthRequest().scheme, c.scheme) << c.url;
        EXPECT_EQ(job->GetDetail(), c.detail) << c.url;
        const std::wstring path = job->OutputFile()->Path();
        if (c.fetched != 0) {
            EXPECT_EQ(ReadBytes(path), Pattern(c.fetched)) << c.url;
        }
        if (c.status != kCommStatusSuccess) {
            job.reset();
            EXPECT_FALSE(Exists(path)) << c.url;
        }
    }
}

TEST_F(DownloadTest, SuccessCarriesTheServersTimeAndTheFileOutlivesTheJob) {
    auto job = Run(MakeJob(kHttp + L"/ok/taken"));
    ASSERT_NE(job, nullptr);
    ASSERT_EQ(job->GetStatus(), kCommStatusSuccess);
    EXPECT_EQ(CommErrorText(*job), L"");
    EXPECT_EQ(job->GetFileInformation().lastWriteTime, kServerLastModified);
    EXPECT_EQ(job->GetFileInformation().size, 5000u);
    auto file = job->TakeOutputFile();
    job.reset();
    ASSERT_NE(file, nullptr);
    file->Keep();
    const std::wstring path = file->Path();
    file.reset();
    EXPECT_EQ(ReadBytes(path), Pattern(5000));
}

TEST_F(DownloadTest, NotFoundNamesTheHttpStatusInTheMessage) {
    auto job = Run(MakeJob(kHttp + L"/missing"));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(CommErrorText(*job), win::LoadStr(IDS_ERR_COMM_RESPONSE) + L"\nHTTP Status Code: 404");
}

TEST_F(DownloadTest, TheSameJobRetriedWithCredentialsSucceeds) {
    auto job = Run(MakeJob(kHttp + L"/basic"));
    ASSERT_NE(job, nullptr);
    ASSERT_EQ(job->GetStatus(), kCommStatusAuth);
    EXPECT_EQ(CommErrorText(*job), win::LoadStr(IDS_ERR_COMM_AUTH));
    job->Connection().login = 1;
    job->Connection().user = L"folivex";
    job->Connection().password = L"secret";
    job = Run(std::move(job));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusSuccess);
    EXPECT_EQ(job->GetAuthRequest().scheme, CCommAuth::kSchemeUnknown);
    EXPECT_EQ(ReadBytes(job->OutputFile()->Path()), Pattern(5000));
}

TEST_F(DownloadTest, FtpInPassiveAndActiveModeAndARefusedLogin) {
    const struct {
        const wchar_t* password;
        uint32_t pasv, status, scheme;
    } cases[] = {{L"secret", 1, kCommStatusSuccess, CCommAuth::kSchemeUnknown},
                 {L"secret", 0, kCommStatusSuccess, CCommAuth::kSchemeUnknown},
                 {L"wrong", 1, kCommStatusAuth, CCommAuth::kSchemeFtp}};
    for (const auto& c : cases) {
        auto job = Run(MakeJob(kFtp, c.password, c.pasv));
        ASSERT_NE(job, nullptr) << c.pasv;
        EXPECT_EQ(job->GetStatus(), c.status) << c.pasv << c.password;
        EXPECT_EQ(job->GetAuthRequest().scheme, c.scheme) << c.pasv;
        if (c.status == kCommStatusSuccess) {
            EXPECT_GT(job->GetFileInformation().lastWriteTime, kServerLastModified) << c.pasv;
            EXPECT_EQ(ReadBytes(job->OutputFile()->Path()), Pattern(3000)) << c.pasv;
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

TEST_F(DownloadTest, CancelDuringTheReadsGivesCancelledAndRemovesTheFile) {
    auto trickle = MakeJob(kHttp + L"/trickle");
    const std::wstring path = trickle->OutputFile()->Path();
    const size_t before = Submit(std::move(trickle));
    ASSERT_TRUE(PumpUntil([&] { return SizeOf(path) >= 4096; }, kWaitLimitMs));
    ASSERT_TRUE(m_thread.Cancel());
    auto job = Finish(before);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusCancelled);
    EXPECT_EQ(CommErrorText(*job), L"");
    job.reset();
    EXPECT_FALSE(Exists(path));
}
