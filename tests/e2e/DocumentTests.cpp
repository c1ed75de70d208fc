// Opening, closing and saving documents in a real folivex.exe: from its command line, its dialogs and the
// test HTTP server, with what it records in its data folder.

#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <ctime>
#include <set>

using namespace e2e;

namespace {

const std::wstring kServer = L"http://127.0.0.1:" + std::to_wstring(FOLIVEX_TEST_HTTP_PORT);
const std::wstring kAlphaCaption = L"Alpha Document - Folivex";
const std::wstring kBetaCaption = L"Beta Document - Folivex";

// The downloaded documents ("chm*.chm") in the temporary folder that are not in `before`.
std::set<std::wstring> TemporaryDocuments(const std::set<std::wstring>& before = {}) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    std::set<std::wstring> names;
    for (const std::wstring& name : ListFolder(folder)) {
        if (name.size() > 7 && win::EqualsNoCase(name.substr(0, 3), L"chm") &&
            win::EqualsNoCase(name.substr(name.size() - 4), L".chm") && !before.count(name)) {
            names.insert(name);
        }
    }
    return names;
}

class Documents : public ::testing::Test {
protected:
    void TearDown() override {
        if (m_app.IsRunning() && m_app.Close()) {
            (void)m_app.WaitForExit();
        }
    }

    void StartWith(const std::vector<std::wstring>& args) {
        ASSERT_TRUE(m_app.Start(args));
        ASSERT_NE(m_app.WaitForMainWindow(), nullptr);
    }

    // Closes the process cleanly, so everything it wrote is final.
    void CloseApp() {
        ASSERT_TRUE(m_app.Close());
        ASSERT_EQ(m_app.WaitForExit(), 0u);
    }

    void ExpectMessageBox(UINT textId, std::wstring_view detail = {}) {
        const auto box = WaitForMessageBoxOf(m_app);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, win::TextWithDetail(textId, detail));
        EXPECT_EQ(box->caption, L"Folivex");
        EXPECT_TRUE(PressButton(*box, IDOK));
        EXPECT_TRUE(WaitForNoDialog(m_app));
    }

    // Opens `url` through the URL dialog.
    void OpenThroughUrlDialog(const std::wstring& url) {
        ASSERT_TRUE(PostCommand(m_app, ID_URL_OPEN));
        const HWND dialog = WaitForDialog(m_app, L"ドキュメントをURLから開く");
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(SetControlText(dialog, IDC_URL_COMBO, url));
        ASSERT_TRUE(ClickButton(dialog, IDOK));
    }

    CFolivexProcess m_app;
};

TEST_F(Documents, CommandLineOpensTheDocumentAtItsFirstTopicAndRecordsIt) {
    const int64_t before = static_cast<int64_t>(std::time(nullptr));
    StartWith({TestDocument(L"alpha"), L"/topic:/second.html", L"/topic:/index.html"});
    EXPECT_TRUE(m_app.WaitForCaption(kAlphaCaption));
    CloseApp();
    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].title, L"Alpha Document");
    EXPECT_EQ(history[0].file.path, TestDocument(L"alpha"));
    EXPECT_EQ(history[0].topic.path, L"/second.html");
    EXPECT_GE(history[0].time, before);
    EXPECT_LE(history[0].time, static_cast<int64_t>(std::time(nullptr)));
}

TEST_F(Documents, WithoutArgumentsTheSettingsStartUpDocumentOpens) {
    ASSERT_TRUE(m_app.Prepare());
    ASSERT_TRUE(WriteBytes(m_app.DataFolder() + L"\\folivex.xml",
                           kXmlHeader + "<setting><docview startdoc=\"file\"><file>" +
                               win::WideToUtf8(TestDocument(L"beta")) +
                               "</file><topic>/second.html</topic></docview></setting>"));
    StartWith({});
    EXPECT_TRUE(m_app.WaitForCaption(kBetaCaption));
    CloseApp();
    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].topic.path, L"/second.html");
}

TEST_F(Documents, OpenDialogReplacesTheDocumentRefusesANonHelpFileAndCloseEmptiesTheFrame) {
    StartWith({TestDocument(L"alpha")});
    ASSERT_TRUE(m_app.WaitForCaption(kAlphaCaption));
    ASSERT_TRUE(WaitForNoDialog(m_app));

    ASSERT_TRUE(PostCommand(m_app, ID_FILE_OPEN));
    HWND dialog = WaitForDialog(m_app, L"ドキュメントを開く");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, TestDocument(L"beta")));
    EXPECT_TRUE(m_app.WaitForCaption(kBetaCaption));
    ASSERT_TRUE(WaitForNoDialog(m_app));

    const std::wstring bad = m_app.DataFolder() + L"\\bad.chm";
    ASSERT_TRUE(WriteBytes(bad, "not a help document"));
    ASSERT_TRUE(PostCommand(m_app, ID_FILE_OPEN));
    dialog = WaitForDialog(m_app, L"ドキュメントを開く");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ChooseFile(dialog, bad));
    ExpectMessageBox(IDS_ERR_DOC_OPEN);
    EXPECT_EQ(m_app.Caption(), kBetaCaption);

    // Closing leaves the product name; saving then does nothing (the command takes its menu item's path).
    ASSERT_TRUE(m_app.SendCommand(ID_FILE_CLOSE));
    EXPECT_EQ(m_app.Caption(), L"Folivex");
    ASSERT_TRUE(m_app.SendCommand(ID_FILE_SAVE));
    EXPECT_EQ(WaitForDialog(m_app, L"ドキュメントのコピーを保存", Timeout(1000)), nullptr);
    CloseApp();
    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].title, L"Beta Document");
    EXPECT_EQ(history[1].title, L"Alpha Document");
}

TEST_F(Documents, OpenInNewWindowStartsASecondProcessAtTheSameTopic) {
    StartWith({TestDocument(L"alpha"), L"/topic:/second.html"});
    ASSERT_TRUE(m_app.WaitForCaption(kAlphaCaption));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    ASSERT_TRUE(PostCommand(m_app, ID_OPEN_NEW_WINDOW));
    HWND second = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (const DWORD pid : ProcessesRunningFrom(m_app.DataFolder())) {
            for (const HWND window : TopLevelWindows(pid, CFolivexProcess::kMainFrameClass)) {
                if (pid != m_app.Pid() && WindowText(window) == kAlphaCaption) {
                    second = window;
                }
            }
        }
        return second != nullptr;
    }));
    ASSERT_TRUE(::PostMessageW(second, WM_CLOSE, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return ProcessesRunningFrom(m_app.DataFolder()).size() == 1; }));
    CloseApp();
    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].topic.path, L"/second.html");
    EXPECT_EQ(history[0].file.path, TestDocument(L"alpha"));
}

// Downloads from the test HTTP server, which serves the test documents under /doc/ and, behind a basic
// login (folivex / secret), under /basicdoc/.
class UrlDocuments : public Documents {
protected:
    void SetUp() override { m_temporaryBefore = TemporaryDocuments(); }

    // The temporary documents this process left behind.
    std::set<std::wstring> LeftTemporaryDocuments() const { return TemporaryDocuments(m_temporaryBefore); }

    std::set<std::wstring> m_temporaryBefore;
};

TEST_F(UrlDocuments, DownloadOpensAndIsRecordedWithoutThePassword) {
    StartWith({kServer + L"/basicdoc/alpha.chm", L"/login", L"/user:folivex", L"/pass:secret"});
    EXPECT_TRUE(m_app.WaitForCaption(kAlphaCaption));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    OpenThroughUrlDialog(kServer + L"/doc/beta.chm");
    EXPECT_TRUE(m_app.WaitForCaption(kBetaCaption));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    CloseApp();
    EXPECT_TRUE(LeftTemporaryDocuments().empty());

    const auto history = ReadHistory(m_app.DataFolder());
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[1].url.address, kServer + L"/basicdoc/alpha.chm");
    EXPECT_EQ(history[1].url.user, L"folivex");
    EXPECT_EQ(history[0].url.address, kServer + L"/doc/beta.chm");
    EXPECT_TRUE(history[0].file.path.empty());
    const auto urls = ReadUrls(m_app.DataFolder());
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].address, kServer + L"/doc/beta.chm");
    EXPECT_EQ(ReadBytes(m_app.DataFolder() + L"\\chmhist.xml").find("secret"), std::string::npos);
}

TEST_F(UrlDocuments, ADownloadThatIsNoHelpDocumentFailsAndLeavesNoTemporaryFile) {
    StartWith({kServer + L"/ok/not-help.chm"});
    ExpectMessageBox(IDS_ERR_DOC_OPEN);
    EXPECT_EQ(m_app.Caption(), L"Folivex");
    EXPECT_TRUE(LeftTemporaryDocuments().empty());
}

// A wrong password asks again with the retry guide; cancelling then ends silently and leaves no temporary file.
TEST_F(UrlDocuments, LoginAsksAgainAfterAWrongPasswordAndACancelEndsSilently) {
    StartWith({kServer + L"/basicdoc/beta.chm"});
    HWND login = WaitForDialog(m_app, L"ユーザー認証");
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(ControlText(login, IDC_LOGIN_GUIDE), win::LoadStr(IDS_LOGIN_PROMPT));
    EXPECT_FALSE(LeftTemporaryDocuments().empty());
    ASSERT_TRUE(SetControlText(login, IDC_LOGIN_NAME, L"folivex"));
    ASSERT_TRUE(SetControlText(login, IDC_LOGIN_PASSWORD, L"wrong"));
    ASSERT_TRUE(ClickButton(login, IDOK));

    const std::wstring retry = win::LoadStr(IDS_LOGIN_RETRY);
    ASSERT_TRUE(WaitUntil([&] {
        login = WaitForDialog(m_app, L"ユーザー認証", Timeout(200));
        return login && ControlText(login, IDC_LOGIN_GUIDE) == retry;
    }));
    ASSERT_TRUE(ClickButton(login, IDCANCEL));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    EXPECT_FALSE(WaitForMessageBoxOf(m_app, Timeout(1000)).has_value());
    EXPECT_EQ(m_app.Caption(), L"Folivex");
    EXPECT_TRUE(LeftTemporaryDocuments().empty());
}

TEST_F(UrlDocuments, CancelledDownloadKeepsTheShownDocument) {
    StartWith({TestDocument(L"alpha")});
    ASSERT_TRUE(m_app.WaitForCaption(kAlphaCaption));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    OpenThroughUrlDialog(kServer + L"/trickle");
    const HWND progress = WaitForDialog(m_app, L"処理中");
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(progress, IDC_PROGRESS_ABORT)) != FALSE; }));
    ASSERT_TRUE(ClickButton(progress, IDC_PROGRESS_ABORT));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(::GetDlgItem(progress, IDC_PROGRESS_YES)) != FALSE; }));
    ASSERT_TRUE(ClickButton(progress, IDC_PROGRESS_YES));
    const auto box = WaitForMessageBoxOf(m_app);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, win::LoadStr(IDS_COMM_ABORTED));
    EXPECT_TRUE(PressButton(*box, IDOK));
    EXPECT_EQ(m_app.Caption(), kAlphaCaption);
    CloseApp();
    EXPECT_TRUE(LeftTemporaryDocuments().empty());
}

TEST_F(UrlDocuments, SavedCopyTakesTheServersModificationTime) {
    StartWith({kServer + L"/doc/alpha.chm"});
    ASSERT_TRUE(m_app.WaitForCaption(kAlphaCaption));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    ASSERT_TRUE(PostCommand(m_app, ID_FILE_SAVE));
    const HWND dialog = WaitForDialog(m_app, L"ドキュメントのコピーを保存");
    ASSERT_NE(dialog, nullptr);
    const std::wstring copy = m_app.DataFolder() + L"\\copy.chm";
    ASSERT_TRUE(ChooseFile(dialog, copy));
    // The copy exists before its times are set: wait for the finished job, that is, the times it gives.
    SYSTEMTIME written{};
    EXPECT_TRUE(WaitUntil([&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return ::GetFileAttributesExW(copy.c_str(), GetFileExInfoStandard, &data) &&
               ::FileTimeToSystemTime(&data.ftLastWriteTime, &written) && written.wYear == 1994;
    }));
    ASSERT_TRUE(WaitForNoDialog(m_app));
    EXPECT_EQ(ReadBytes(copy), ReadBytes(TestDocument(L"alpha")));
    // The server's Last-Modified: Tue, 15 Nov 1994 08:12:31 GMT.
    EXPECT_EQ(written.wYear, 1994);
    EXPECT_EQ(written.wMonth, 11);
    EXPECT_EQ(written.wDay, 15);
    EXPECT_EQ(written.wHour, 8);
    EXPECT_EQ(written.wMinute, 12);
    EXPECT_EQ(written.wSecond, 31);
}

} // namespace
