// Downloads against real loopback servers (tests/transfer/servers.sh): every status a server can cause, the
// authentication request, the cache switch, credentials, cancellation and the fate of the output file.

#include "TransferTestSupport.h"

#include "common/TempFolder.h"

#include "transfer/InetDownload.h"
#include "transfer/JobThreads.h"

#include "win/Handles.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace transfer;

namespace {

constexpr UINT kDone = WM_APP + 60;
constexpr int64_t kServerLastModified = 784887151; // Tue, 15 Nov 1994 08:12:31 GMT
constexpr size_t kBodySize = 5000;
constexpr size_t kFtpFileSize = 3000;

const std::wstring kHttp = L"http://127.0.0.1:" + std::to_wstring(FOLIVEX_TEST_HTTP_PORT);
const std::wstring kFtp = L"ftp://127.0.0.1:" + std::to_wstring(FOLIVEX_TEST_FTP_PORT);
// Nothing listens here: the servers' fixture owns the ports on either side.
const std::wstring kClosedPort = std::to_wstring(FOLIVEX_TEST_CLOSED_PORT);

// The servers' bodies: byte i is i modulo 251.
std::string Pattern(size_t size) {
    std::string text(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>(i % 251);
    }
    return text;
}

std::string ReadAll(const std::wstring& path) {
    win::CFileHandleRaii file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (file && ::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    return text;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint64_t SizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Re-checks a condition that no message announces (a file growing) until it holds; false after the limit.
bool PollUntil(const std::function<bool()>& condition) {
    const ULONGLONG deadline = ::GetTickCount64() + kWaitLimitMs;
    while (!condition()) {
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        CRecorderWindow::PumpPending();
    }
    return true;
}

// A communication thread, a window for the hand-back and a folder for the output files.
class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_thread.Start(0)); }
    void TearDown() override { EXPECT_TRUE(m_thread.Stop()); }

    std::unique_ptr<CCommDL> MakeJob(const std::wstring& url, bool ownsFile = true) {
        auto job = std::make_unique<CCommDL>(m_recorder.Get(), kDone);
        EXPECT_TRUE(job->Connection().SetAddress(url)) << url;
        job->SetOutputFile(
            std::make_unique<CDownloadFile>(m_folder.File(L"out" + std::to_wstring(++m_files)), ownsFile));
        return job;
    }

    // Submits the job and waits for its hand-back; null when it did not come back.
    std::unique_ptr<CCommDL> Run(std::unique_ptr<CCommDL> job) { return Finish(Submit(std::move(job))); }
    size_t Submit(std::unique_ptr<CCommDL> job) {
        const size_t before = m_recorder.GetReceived().size();
        std::unique_ptr<CComm> comm = std::move(job);
        EXPECT_TRUE(m_thread.Submit(comm));
        return before;
    }
    std::unique_ptr<CCommDL> Finish(size_t before) {
        if (!PumpUntilReceived(m_recorder, before + 1)) {
            return nullptr;
        }
        // The message carries the job as a CComm, which the virtual base puts elsewhere than the CCommDL.
        std::unique_ptr<CComm> comm = AdoptJob<CComm>(m_recorder.GetReceived()[before]);
        auto* job = dynamic_cast<CCommDL*>(comm.get());
        if (!job) {
            return nullptr;
        }
        (void)comm.release();
        return std::unique_ptr<CCommDL>(job);
    }

    CTempFolder m_folder;
    CRecorderWindow m_recorder;
    CCommThread m_thread;
    int m_files = 0;
};

} // namespace

TEST(DownloadRecords, ResettingTheConnectionClearsEverything) {
    CUrlConn connection;
    ASSERT_TRUE(connection.SetAddress(L"ftp://127.0.0.1/doc.chm"));
    connection.login = 1;
    connection.user = L"u";
    connection.password = L"p";
    connection.cache = 1;
    connection.pasv = 1;
    CUrlConn copy = connection;
    EXPECT_EQ(copy.Address().Scheme(), CUrlStr::kSchemeFtp);
    connection.Reset();
    EXPECT_EQ(connection.Address().Scheme(), CUrlStr::kSchemeUnknown);
    EXPECT_EQ(connection.login + connection.cache + connection.pasv, 0U);
    EXPECT_TRUE(connection.user.empty());
    EXPECT_TRUE(connection.password.empty());
    EXPECT_EQ(copy.user, L"u");
}

TEST(DownloadRecords, TimeoutComesFromSeconds) {
    CCommSet settings;
    settings.SetTimeoutSeconds(30);
    EXPECT_EQ(settings.timeoutMs, 30000U);
    settings.SetTimeoutSeconds(0);
    EXPECT_EQ(settings.timeoutMs, 0U);
}

TEST(DownloadRecords, ErrorTextForEveryStatus) {
    const std::wstring general = L"通信処理中にエラーが発生しました。";
    struct Case {
        uint32_t status;
        const wchar_t* cause;
    };
    const Case cases[] = {
        {2, nullptr},
        {3, L"通信パラメータエラー"},
        {4, L"通信リソース解放エラー"},
        {5, L"通信接続エラー"},
        {6, L"認証エラー"},
        {7, L"要求送信エラー"},
        {8, L"要求応答エラー"},
        {9, L"アップロードエラー"},
        {10, L"ダウンロードエラー"},
        {11, L"ファイル書込みエラー"},
        {12, L"ファイル読込みエラー"},
        {13, L"ファイル情報エラー"},
        {14, nullptr},
        {0xFFFFFFFF, nullptr},
    };
    for (const Case& c : cases) {
        const std::wstring expected = c.cause ? general + L"\n（" + c.cause + L"）" : general;
        EXPECT_EQ(CommErrorText(c.status, L""), expected) << c.status;
        EXPECT_EQ(CommErrorText(c.status, L"more"), expected + L"\nmore") << c.status;
    }
    EXPECT_EQ(CommErrorText(0, L"ignored"), L"");
    EXPECT_EQ(CommErrorText(1, L"ignored"), L"");
}

TEST_F(DownloadTest, HttpFetchesTheBodyWithItsTimeAndSize) {
    auto job = Run(MakeJob(kHttp + L"/ok/plain"));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusSuccess);
    EXPECT_EQ(job->GetDetail(), L"");
    EXPECT_EQ(CommErrorText(*job), L"");
    EXPECT_EQ(job->GetFileInformation().lastWriteTime, kServerLastModified);
    EXPECT_EQ(job->GetFileInformation().size, kBodySize);
    auto file = job->TakeOutputFile();
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(file->Path()), Pattern(kBodySize));
}

TEST_F(DownloadTest, EachServerMisbehaviourGivesItsStatus) {
    struct Case {
        std::wstring url;
        uint32_t status;
    };
    const Case cases[] = {
        {kHttp + L"/nolength", kCommStatusResponse},
        {kHttp + L"/early", kCommStatusDownload},
        {kHttp + L"/nolastmod", kCommStatusFileInfo},
        {kHttp + L"/missing", kCommStatusResponse},
        {L"http://127.0.0.1:" + kClosedPort + L"/ok", kCommStatusRequest},
        {L"ftp://127.0.0.1:" + kClosedPort + L"/doc.bin", kCommStatusConnect},
        {L"file:///C:/doc.chm", kCommStatusParameter},
    };
    for (const Case& c : cases) {
        auto job = Run(MakeJob(c.url));
        ASSERT_NE(job, nullptr) << c.url;
        EXPECT_EQ(job->GetStatus(), c.status) << c.url;
    }
}

TEST_F(DownloadTest, WithoutLastModifiedTheDataAreStillFetched) {
    auto job = Run(MakeJob(kHttp + L"/nolastmod", false));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusFileInfo);
    EXPECT_EQ(ReadAll(job->OutputFile()->Path()), Pattern(kBodySize));
}

TEST_F(DownloadTest, NotFoundNamesTheHttpStatusInTheMessage) {
    auto job = Run(MakeJob(kHttp + L"/missing"));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusResponse);
    EXPECT_EQ(job->GetDetail(), L"HTTP Status Code: 404");
    EXPECT_EQ(CommErrorText(*job), win::LoadStr(IDS_ERR_COMM_RESPONSE) + L"\nHTTP Status Code: 404");
    EXPECT_EQ(job->GetAuthRequest().scheme, CCommAuth::kSchemeUnknown);
}

TEST_F(DownloadTest, UnauthorisedAsksForTheChallengedScheme) {
    const struct {
        const wchar_t* path;
        uint32_t scheme;
    } cases[] = {{L"/basic", CCommAuth::kSchemeBasic}, {L"/digest", CCommAuth::kSchemeDigest}};
    for (const auto& c : cases) {
        auto job = Run(MakeJob(kHttp + c.path));
        ASSERT_NE(job, nullptr) << c.path;
        EXPECT_EQ(job->GetStatus(), kCommStatusAuth) << c.path;
        EXPECT_EQ(job->GetAuthRequest().scheme, c.scheme) << c.path;
        EXPECT_EQ(job->GetAuthRequest().secure, 0U) << c.path;
        EXPECT_EQ(job->GetDetail(), L"") << c.path;
        EXPECT_EQ(CommErrorText(*job), win::LoadStr(IDS_ERR_COMM_AUTH)) << c.path;
    }
}

TEST_F(DownloadTest, TheSameJobRetriedWithCredentialsSucceeds) {
    auto job = Run(MakeJob(kHttp + L"/basic"));
    ASSERT_NE(job, nullptr);
    ASSERT_EQ(job->GetStatus(), kCommStatusAuth);
    job->SetLoginRetryCount(job->GetLoginRetryCount() + 1);
    job->Connection().login = 1;
    job->Connection().user = L"folivex";
    job->Connection().password = L"secret";
    job = Run(std::move(job));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusSuccess);
    EXPECT_EQ(job->GetAuthRequest().scheme, CCommAuth::kSchemeUnknown);
    EXPECT_EQ(job->GetLoginRetryCount(), 1U);
    EXPECT_EQ(ReadAll(job->OutputFile()->Path()), Pattern(kBodySize));
}

TEST_F(DownloadTest, AStalledServerEndsWithinTheTimeout) {
    auto slow = MakeJob(kHttp + L"/slow");
    slow->Settings().SetTimeoutSeconds(1);
    auto job = Run(std::move(slow));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusRequest);
}

TEST_F(DownloadTest, WithTheCacheOffEveryDownloadGoesToTheServerAndLeavesNoEntry) {
    // A path of its own for this run, so the server's count starts at 1.
    const std::wstring url =
        kHttp + L"/count/" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64());
    for (const char* expected : {"hit 1", "hit 2"}) {
        auto job = Run(MakeJob(url));
        ASSERT_NE(job, nullptr);
        EXPECT_EQ(job->GetStatus(), kCommStatusSuccess);
        EXPECT_EQ(ReadAll(job->OutputFile()->Path()), expected);
    }
    DWORD size = 0;
    EXPECT_FALSE(::GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(DownloadTest, CancelDuringTheReadsGivesCancelledAndRemovesTheFile) {
    auto trickle = MakeJob(kHttp + L"/trickle");
    const std::wstring path = trickle->OutputFile()->Path();
    const size_t before = Submit(std::move(trickle));
    ASSERT_TRUE(PollUntil([&] { return SizeOf(path) >= 4096; }));
    ASSERT_TRUE(m_thread.Cancel());
    auto job = Finish(before);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusCancelled);
    EXPECT_EQ(CommErrorText(*job), L"");
    EXPECT_TRUE(Exists(path));
    job.reset();
    EXPECT_FALSE(Exists(path));
}

TEST_F(DownloadTest, AFailedDownloadLeavesNoFileWhenTheJobOwnsIt) {
    auto owned = Run(MakeJob(kHttp + L"/missing", true));
    ASSERT_NE(owned, nullptr);
    const std::wstring ownedPath = owned->OutputFile()->Path();
    EXPECT_TRUE(Exists(ownedPath));
    owned.reset();
    EXPECT_FALSE(Exists(ownedPath));

    auto kept = Run(MakeJob(kHttp + L"/missing", false));
    ASSERT_NE(kept, nullptr);
    const std::wstring keptPath = kept->OutputFile()->Path();
    kept.reset();
    EXPECT_TRUE(Exists(keptPath));
}

TEST_F(DownloadTest, TakingTheFileKeepsItAfterTheJob) {
    auto job = Run(MakeJob(kHttp + L"/ok/taken"));
    ASSERT_NE(job, nullptr);
    ASSERT_EQ(job->GetStatus(), kCommStatusSuccess);
    auto file = job->TakeOutputFile();
    job.reset();
    ASSERT_NE(file, nullptr);
    file->Keep();
    const std::wstring path = file->Path();
    file.reset();
    EXPECT_EQ(ReadAll(path), Pattern(kBodySize));
}

TEST_F(DownloadTest, FtpFetchesInPassiveAndActiveMode) {
    for (uint32_t pasv : {1U, 0U}) {
        auto ftp = MakeJob(kFtp + L"/doc.bin");
        ftp->Connection().login = 1;
        ftp->Connection().user = L"folivex";
        ftp->Connection().password = L"secret";
        ftp->Connection().pasv = pasv;
        auto job = Run(std::move(ftp));
        ASSERT_NE(job, nullptr) << pasv;
        EXPECT_EQ(job->GetStatus(), kCommStatusSuccess) << pasv;
        EXPECT_EQ(job->GetFileInformation().size, kFtpFileSize) << pasv;
        EXPECT_GT(job->GetFileInformation().lastWriteTime, kServerLastModified) << pasv;
        EXPECT_EQ(ReadAll(job->OutputFile()->Path()), Pattern(kFtpFileSize)) << pasv;
    }
}

TEST_F(DownloadTest, FtpRefusedLoginAsksForFtpCredentials) {
    auto ftp = MakeJob(kFtp + L"/doc.bin");
    ftp->Connection().login = 1;
    ftp->Connection().user = L"folivex";
    ftp->Connection().password = L"wrong";
    ftp->Connection().pasv = 1;
    auto job = Run(std::move(ftp));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusAuth);
    EXPECT_EQ(job->GetAuthRequest().scheme, CCommAuth::kSchemeFtp);
    EXPECT_EQ(job->GetAuthRequest().secure, 0U);
}

TEST_F(DownloadTest, MissingOutputFileIsAParameterError) {
    auto job = std::make_unique<CCommDL>(m_recorder.Get(), kDone);
    ASSERT_TRUE(job->Connection().SetAddress(kHttp + L"/ok/none"));
    job = Run(std::move(job));
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->GetStatus(), kCommStatusParameter);
}
