// Show modes, the modal state and the settings dialog of a real folivex.exe.

#include "common/TestFiles.h"
#include "driver/Dialogs.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "data/DataSetting.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using namespace e2e;

namespace {

struct Shape {
    RECT rect{};
    LONG_PTR style = 0;
    LONG_PTR exStyle = 0;

    bool operator==(const Shape& other) const {
        return ::EqualRect(&rect, &other.rect) && style == other.style && exStyle == other.exStyle;
    }
};

Shape ShapeOf(HWND window) {
    Shape shape;
    ::GetWindowRect(window, &shape.rect);
    shape.style = ::GetWindowLongPtrW(window, GWL_STYLE);
    shape.exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    return shape;
}

bool IsFullScreen(HWND window) {
    const Shape shape = ShapeOf(window);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    return ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &info) &&
           ::EqualRect(&shape.rect, &info.rcMonitor) && (shape.style & WS_CAPTION) != WS_CAPTION;
}

// The tool bars that take room: the command bar and the viewer's own.
int ShownToolbars(HWND frame) {
    int shown = 0;
    for (const HWND bar : ChildWindows(frame, L"ToolbarWindow32")) {
        RECT rc{};
        shown += ::IsWindowVisible(bar) && ::GetWindowRect(bar, &rc) && rc.bottom > rc.top ? 1 : 0;
    }
    return shown;
}

TEST(ShowModes, FullScreenAndTheShowModeCycleComeBackExactlyAndCloseSavesTheNormalPlacement) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Start({TestDocument(L"alpha")}));
    const HWND frame = app.WaitForMainWindow();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(app.WaitForCaption(L"Alpha Document - Folivex"));
    const Shape normal = ShapeOf(frame);
    ASSERT_FALSE(IsFullScreen(frame));

    ASSERT_TRUE(WaitUntil([&] { return ShownToolbars(frame) == 2; }));

    // Full screen hides the command bar and (as the settings say by default) the viewer's tool bar.
    ASSERT_TRUE(app.SendCommand(ID_SHOW_FULL));
    EXPECT_TRUE(WaitUntil([&] { return IsFullScreen(frame); }));
    EXPECT_TRUE(WaitUntil([&] { return ShownToolbars(frame) == 0; }));
    ASSERT_TRUE(app.SendCommand(ID_SHOW_FULL));
    EXPECT_TRUE(WaitUntil([&] { return ShapeOf(frame) == normal; }));
    EXPECT_TRUE(WaitUntil([&] { return ShownToolbars(frame) == 2; }));

    // Normal, maximized, full screen, normal.
    ASSERT_TRUE(app.SendCommand(ID_SHOW_MODE));
    EXPECT_TRUE(WaitUntil([&] { return ::IsZoomed(frame) && !IsFullScreen(frame); }));
    ASSERT_TRUE(app.SendCommand(ID_SHOW_MODE));
    EXPECT_TRUE(WaitUntil([&] { return IsFullScreen(frame); }));
    ASSERT_TRUE(app.SendCommand(ID_SHOW_MODE));
    EXPECT_TRUE(WaitUntil([&] { return ShapeOf(frame) == normal; }));

    // Closed in full screen, the layout keeps the normal placement.
    ASSERT_TRUE(app.SendCommand(ID_SHOW_FULL));
    ASSERT_TRUE(WaitUntil([&] { return IsFullScreen(frame); }));
    ASSERT_TRUE(app.Close());
    ASSERT_EQ(app.WaitForExit(), 0u);
    const std::string layout = ReadBytes(app.DataFolder() + L"\\chmlay.xml");
    const std::string expected = "<window name=\"main\" show=\"normal\" x=\"" + std::to_string(normal.rect.left) +
                                 "\" y=\"" + std::to_string(normal.rect.top) + "\" cx=\"" +
                                 std::to_string(normal.rect.right - normal.rect.left) + "\" cy=\"" +
                                 std::to_string(normal.rect.bottom - normal.rect.top) + "\"";
    EXPECT_NE(layout.find(expected), std::string::npos) << layout;
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(app.StartShowing(TestDocument(L"alpha"), L"Alpha Document - Folivex")); }

    void TearDown() override {
        // A close waits for the dialog: close it first, dropping any edit.
        if (dialog && ::IsWindow(dialog) && PressButton(dialog, IDCANCEL)) {
            WaitUntil([&] {
                if (const auto box = WaitForMessageBoxOf(app, Timeout{0})) {
                    (void)PressButton(*box, IDNO);
                }
                return !::IsWindow(dialog);
            });
        }
        if (app.MainWindow()) {
            (void)app.Close();
            (void)app.WaitForExit();
        }
    }

    // Opens the dialog; its page tree.
    HWND Open(UINT command = ID_SETTING) {
        if (!PostCommand(app, command)) {
            return nullptr;
        }
        dialog = WaitForDialog(app, L"設定");
        return dialog ? ::GetDlgItem(dialog, IDC_SET_TREE) : nullptr;
    }

    // Selects the page titled `title` as a click in the tree would; false when there is none.
    bool Select(const std::wstring& title, HTREEITEM parent = nullptr) {
        const HWND tree = ::GetDlgItem(dialog, IDC_SET_TREE);
        const auto items = TreeViewChildren(tree, parent);
        for (const auto& item : items.value_or(std::vector<TreeItemText>{})) {
            LRESULT ok = 0;
            if (item.text == title) {
                return SendWithTimeout(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item.item), ok);
            }
        }
        return false;
    }

    // The page shown, once the dialog's title reads `title`.
    HWND Page(const std::wstring& title) {
        HWND page = nullptr;
        WaitUntil([&] {
            const auto pages = ChildWindows(dialog, kDialogClass);
            page = pages.empty() ? nullptr : pages.front();
            return page && ControlText(dialog, IDC_SET_TITLE) == title;
        });
        return page;
    }

    // Applies and answers the box that follows, if one is expected; the box's text.
    std::wstring Apply(bool expectBox) {
        if (!ClickButton(dialog, IDOK)) {
            return L"(no apply)";
        }
        if (!expectBox) {
            return WaitUntil([&] { return !::IsWindowEnabled(::GetDlgItem(dialog, IDOK)); }) ? L"" : L"(still dirty)";
        }
        const auto box = WaitForMessageBoxOf(app);
        if (!box || !PressButton(*box, IDOK)) {
            return L"(no box)";
        }
        WaitUntil([&] { return !WaitForMessageBoxOf(app, Timeout{0}).has_value(); });
        return box->text;
    }

    CFolivexProcess app;
    HWND dialog = nullptr;
};

TEST_F(SettingsDialog, DisablesTheToolWindowsWhileOpenAndGivesTheFocusBack) {
    // The document's contents tree takes the focus once the open has finished; showing the history window may
    // take it (when the platform activates it) or leave it there. Either way that is where it must come back.
    ASSERT_TRUE(WaitUntil([&] {
        const HWND tree = app.FocusedWindow();
        return ::IsChild(app.MainWindow(), tree) && WindowClass(tree) == L"SysTreeView32";
    }));
    ASSERT_TRUE(app.SendCommand(ID_VIEW_HISTORY));
    const HWND history = WaitForDialog(app, L"ヒストリー");
    ASSERT_NE(history, nullptr);
    const HWND focus = app.FocusedWindow();
    ASSERT_TRUE(::IsChild(history, focus) || ::IsChild(app.MainWindow(), focus));

    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(::IsWindowEnabled(history));
    EXPECT_FALSE(::IsWindowEnabled(app.MainWindow()));
    ASSERT_TRUE(PressButton(dialog, IDCANCEL));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(history) && ::IsWindowEnabled(app.MainWindow()); }));
    EXPECT_TRUE(WaitUntil([&] { return app.FocusedWindow() == focus; }));
}

TEST_F(SettingsDialog, RefusesValuesOutOfRangeAndKeepsThePageDirty) {
    ASSERT_NE(Open(), nullptr);
    struct Case {
        const wchar_t* page;
        int edit;
        const wchar_t* text;
        UINT refusal; // 0: accepted
    };
    const Case cases[] = {
        {L"ヒストリー", IDC_SET_HIST_DOCNUM, L"101", IDS_SET_OUT_OF_RANGE},
        {L"ヒストリー", IDC_SET_HIST_DOCNUM, L"x1", IDS_SET_NOT_NUMBER},
        {L"ヒストリー", IDC_SET_HIST_URLNUM, L"21", IDS_SET_OUT_OF_RANGE},
        {L"ヒストリー", IDC_SET_HIST_URLNUM, L"20", 0},
        {L"ヒストリー", IDC_SET_HIST_DOCNUM, L"100", 0},
        {L"コミュニケーション", IDC_SET_TIMEOUT, L"4", IDS_SET_OUT_OF_RANGE},
        {L"コミュニケーション", IDC_SET_TIMEOUT, L"21", IDS_SET_OUT_OF_RANGE},
        {L"コミュニケーション", IDC_SET_TIMEOUT, L"20", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(win::WideToUtf8(c.page) + " " + win::WideToUtf8(c.text));
        ASSERT_TRUE(Select(c.page));
        const HWND page = Page(c.page);
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(SetControlText(page, c.edit, c.text));
        ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)); }));
        EXPECT_EQ(Apply(c.refusal != 0), c.refusal ? win::LoadStr(c.refusal) : L"");
        EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE, c.refusal != 0);
        if (c.refusal) {
            ASSERT_TRUE(ClickButton(dialog, IDC_SET_REVERT));
        }
    }
    data::CDataSetting stored;
    stored.SetFolder(app.DataFolder());
    ASSERT_TRUE(stored.Reload());
    EXPECT_EQ(stored.GetComm().timeout, 20u);
    EXPECT_EQ(stored.GetHist().urlNum, 20u);
    EXPECT_EQ(stored.GetHist().docNum, 100u);
}

TEST_F(SettingsDialog, TheShownDocumentBecomesTheStartUpDocument) {
    ASSERT_NE(Open(), nullptr);
    const HWND page = Page(L"ドキュメントビュー");
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(ClickButton(page, IDC_SET_START_CURRENT));
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE; }));
    EXPECT_EQ(Apply(false), L"");
    data::CDataSetting stored;
    stored.SetFolder(app.DataFolder());
    ASSERT_TRUE(stored.Reload());
    EXPECT_EQ(stored.GetDocView().startDoc, data::StartDoc::File);
    EXPECT_EQ(stored.GetDocView().file.path, TestDocument(L"alpha"));
}

TEST_F(SettingsDialog, TheTopicViewsCommandOpensAtItsPage) {
    ASSERT_NE(Open(ID_SETTING_TOPIC), nullptr);
    EXPECT_NE(Page(L"トピックビュー"), nullptr);
}

TEST_F(SettingsDialog, CancelOnTheLeaveQuestionKeepsThePageAndItsEdit) {
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(Select(L"コミュニケーション"));
    const HWND page = Page(L"コミュニケーション");
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(SetControlText(page, IDC_SET_TIMEOUT, L"7"));
    ASSERT_TRUE(Select(L"ファイルダイアログ"));
    const auto box = WaitForMessageBoxOf(app);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, win::LoadStr(IDS_ASK_SETTING_LEAVE));
    ASSERT_TRUE(PressButton(*box, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !WaitForMessageBoxOf(app, Timeout{0}).has_value(); }));
    EXPECT_EQ(Page(L"コミュニケーション"), page);
    EXPECT_EQ(ControlText(page, IDC_SET_TIMEOUT), L"7");
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(dialog, IDOK)));
}

TEST_F(SettingsDialog, ImportingAFileThatIsNoSettingsFileChangesNothing) {
    const std::wstring bad = app.DataFolder() + L"\\notes.xml";
    ASSERT_TRUE(WriteBytes(bad, "<?xml version=\"1.0\"?>\r\n<notes><note>"));
    const std::wstring settings = app.DataFolder() + L"\\folivex.xml";
    const std::string before = ReadBytes(settings);
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(ID_DATA_IMPORT, 0), 0));
    const HWND chooser = WaitForDialog(app, win::LoadStr(IDS_SETTING_IMPORT_TITLE));
    ASSERT_NE(chooser, nullptr);
    ASSERT_TRUE(ChooseFile(chooser, bad));
    auto box = WaitForMessageBoxOf(app);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, win::LoadStr(IDS_ASK_SETTING_IMPORT));
    ASSERT_TRUE(PressButton(*box, IDYES));
    ASSERT_TRUE(WaitUntil([&] {
        box = WaitForMessageBoxOf(app, Timeout{0});
        // A box being made has no text yet.
        return box && !box->text.empty() && box->text != win::LoadStr(IDS_ASK_SETTING_IMPORT);
    }));
    const std::wstring failure = win::LoadStr(IDS_ERR_SETTING_IMPORT);
    EXPECT_EQ(box->text.substr(0, failure.size()), failure);
    EXPECT_GT(box->text.size(), failure.size() + 1) << "the store's error follows";
    ASSERT_TRUE(PressButton(*box, IDOK));
    EXPECT_EQ(ReadBytes(settings), before);
}

} // namespace
