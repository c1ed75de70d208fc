// What users already have survives: start-up work runs in order whatever boxes appear, every start-up error is
// shown, instances sharing a data folder keep each other's entries, and the focus comes back after a dialog.

#include "common/StuckListener.h"
#include "common/TestFiles.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"

#include "resource.h"
#include "win/Strings.h"

#include <gtest/gtest.h>

#include <array>

using namespace e2e;

namespace {

const std::wstring kAlphaCaption = L"Alpha Document - Folivex";

std::string HistoryWith(int entries) {
    std::string text = kXmlHeader + "<history><folder>";
    for (int i = 1; i <= entries; ++i) {
        const std::string n = std::to_string(i);
        text += "<doc title=\"Entry " + n + "\" time=\"" + n + "\"><file>C:\\old\\" + n + ".chm</file></doc>";
    }
    return text + "</folder></history>";
}

struct StartupCase {
    const char* name;
    const wchar_t* brokenFile; // written with `brokenText`
    const char* brokenText;
    const wchar_t* secondBrokenFile;
    std::vector<UINT> boxes; // in the order they must appear
    size_t historyEntries;   // after the run; 0: the history file must be unchanged
};

// The boxes appear one after the other, each only once the one before is gone, and the document still opens
// after the stores have loaded: nothing is lost or written over.
TEST(StartupOrder, EveryErrorIsShownInOrderAndTheDocumentOpensOnTheLoadedStores) {
    const StartupCase cases[] = {
        {"settings unreadable",
         L"folivex.xml",
         "<setting><comm timeout=\"5x\" /></setting>",
         nullptr,
         {IDS_ERR_RELOAD_SETTINGS},
         14},
        {"layout and history unreadable",
         L"chmlay.xml",
         "<layout><window name=\"main\" x=\"1",
         L"chmhist.xml",
         {IDS_ERR_LAYOUT_LOAD, IDS_ERR_RELOAD_HISTORY, IDS_ERR_HISTORY_ADD},
         0},
    };
    for (const StartupCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFolivexProcess app;
        ASSERT_TRUE(app.Prepare());
        const std::wstring history = app.DataFolder() + L"\\chmhist.xml";
        const std::string historyText =
            c.secondBrokenFile ? kXmlHeader + "<history><folder><doc title=\"cut" : HistoryWith(13);
        ASSERT_TRUE(WriteBytes(history, historyText));
        ASSERT_TRUE(WriteBytes(app.DataFolder() + L"\\" + c.brokenFile, kXmlHeader + c.brokenText));
        ASSERT_TRUE(app.Start({TestDocument(L"alpha")}));

        for (const UINT id : c.boxes) {
            const auto box = app.WaitForMessageBox();
            ASSERT_TRUE(box.has_value()) << id;
            EXPECT_EQ(box->text.rfind(win::LoadStr(id), 0), 0u) << win::WideToUtf8(box->text);
            ASSERT_TRUE(PressButton(*box, IDOK));
            ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
        }
        ASSERT_NE(app.WaitForMainWindow(), nullptr);
        EXPECT_TRUE(app.WaitForCaption(kAlphaCaption));
        EXPECT_FALSE(app.WaitForMessageBox(std::chrono::milliseconds(500)).has_value());
        // A store never writes over a file it could not read (the close may then write a fresh layout).
        EXPECT_EQ(ReadBytes(app.DataFolder() + L"\\" + c.brokenFile), kXmlHeader + c.brokenText);
        ASSERT_TRUE(app.Close());
        EXPECT_EQ(app.WaitForExit(), 0u);

        if (c.historyEntries == 0) {
            EXPECT_EQ(ReadBytes(history), historyText);
        } else {
            const std::vector<data::CDataDoc> docs = ReadHistory(app.DataFolder());
            ASSERT_EQ(docs.size(), c.historyEntries);
            EXPECT_EQ(docs.front().file.path, TestDocument(L"alpha"));
            EXPECT_EQ(docs.back().title, L"Entry 13");
        }
    }
}

// Four instances started together on one data folder, each opening its own document: every one of them is
// in the history at the end.
TEST(SharedDataFolder, InstancesOpeningAtOnceKeepEachOthersHistoryEntries) {
    constexpr size_t kInstances = 4;
    CFolivexProcess owner;
    ASSERT_TRUE(owner.Prepare());
    std::array<std::wstring, kInstances> documents;
    for (size_t i = 0; i < kInstances; ++i) {
        documents[i] = owner.DataFolder() + L"\\doc" + std::to_wstring(i) + L".chm";
        ASSERT_TRUE(::CopyFileW(TestDocument(L"alpha").c_str(), documents[i].c_str(), TRUE));
    }
    std::array<CFolivexProcess, kInstances - 1> others;
    ASSERT_TRUE(owner.Start({documents[0]}));
    for (size_t i = 1; i < kInstances; ++i) {
        ASSERT_TRUE(others[i - 1].StartBeside(owner, {documents[i]}));
    }
    for (CFolivexProcess* app : {&owner, &others[0], &others[1], &others[2]}) {
        ASSERT_NE(app->WaitForMainWindow(), nullptr);
        EXPECT_TRUE(app->WaitForCaption(kAlphaCaption));
    }
    for (CFolivexProcess* app : {&owner, &others[0], &others[1], &others[2]}) {
        ASSERT_TRUE(app->Close());
        EXPECT_EQ(app->WaitForExit(), 0u);
    }
    const std::vector<data::CDataDoc> docs = ReadHistory(owner.DataFolder());
    for (const std::wstring& document : documents) {
        EXPECT_TRUE(std::any_of(docs.begin(), docs.end(), [&](const data::CDataDoc& doc) {
            return win::EqualsNoCase(doc.file.path, document);
        })) << win::WideToUtf8(document);
    }
}

// The focus goes into the viewer when a document opens and comes back there after a dialog (the execution
// information, naming the run mode and folders); a close asked for while a dialog is open waits for it and then
// ends the program cleanly.
TEST(FocusAndClose, FocusReturnsAfterADialogAndACloseWaitsForTheDialog) {
    CFolivexProcess app;
    ASSERT_TRUE(app.StartShowing(TestDocument(L"alpha"), kAlphaCaption));
    HWND focus = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        focus = app.FocusedWindow();
        return focus && ::IsChild(app.MainWindow(), focus) && WindowClass(focus) != L"HH View";
    })) << "focus stayed on "
        << win::WideToUtf8(WindowClass(app.FocusedWindow()));

    ASSERT_TRUE(PostCommand(app, ID_EXEC_INFO));
    HWND dialog = WaitForDialog(app, L"実行情報");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog, IDC_EXEC_MODE), L"スタンドアロン");
    EXPECT_TRUE(win::EqualsNoCase(ControlText(dialog, IDC_EXEC_DIR), app.DataFolder()));
    EXPECT_TRUE(win::EqualsNoCase(ControlText(dialog, IDC_EXEC_PATH), app.ExePath()));
    ASSERT_TRUE(ClickButton(dialog, IDOK));
    ASSERT_TRUE(WaitForNoDialog(app));
    EXPECT_TRUE(WaitUntil([&] { return app.FocusedWindow() == focus; }))
        << win::WideToUtf8(WindowClass(app.FocusedWindow()));

    ASSERT_TRUE(PostCommand(app, ID_APP_ABOUT));
    dialog = WaitForDialog(app, L"ソフトウェア情報");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(app.Close());
    EXPECT_FALSE(app.WaitForExit(std::chrono::milliseconds(800)).has_value());
    EXPECT_TRUE(::IsWindow(dialog));
    ASSERT_TRUE(ClickButton(dialog, IDOK));
    EXPECT_EQ(app.WaitForExit(), 0u);
}

// A download from a host that never answers: closing the window cancels it and the program ends at once,
// not when the system gives up on the connection minutes later.
TEST(FocusAndClose, CloseDuringADownloadFromAHostThatNeverAnswersEndsTheProgram) {
    CStuckListener listener;
    ASSERT_NE(listener.Port(), 0u);
    CFolivexProcess app;
    ASSERT_TRUE(app.Start({L"http://127.0.0.1:" + std::to_wstring(listener.Port()) + L"/a.chm"}));
    ASSERT_NE(app.WaitForMainWindow(), nullptr);
    ASSERT_NE(WaitForDialog(app, L"処理中"), nullptr);
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(app.WaitForExit(), 0u);
}

} // namespace
