// The tool windows of real folivex.exe processes: the property window lists the open document and comes back
// where it was left; the history window shows what is opened (also by another instance), opens an entry and
// deletes after asking.

#include "common/TestFiles.h"
#include "driver/Dialogs.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>
#include <array>
#include <ctime>
#include <cwchar>
#include <iterator>

using namespace e2e;

namespace {

using Texts = std::vector<std::wstring>;

std::wstring ClipboardText() {
    std::wstring text;
    if (::OpenClipboard(nullptr)) {
        if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
                text.assign(chars, wcsnlen(chars, ::GlobalSize(data) / sizeof(wchar_t)));
                ::GlobalUnlock(data);
            }
        }
        ::CloseClipboard();
    }
    return text;
}

// A tool window's place as the layout file keeps it: left and top relative to the frame, width, height.
std::array<LONG, 4> PlaceOf(HWND frame, HWND window) {
    RECT outer{}, rc{};
    ::GetWindowRect(frame, &outer);
    ::GetWindowRect(window, &rc);
    return {rc.left - outer.left, rc.top - outer.top, rc.right - rc.left, rc.bottom - rc.top};
}

bool WaitForColumn(HWND list, int column, const Texts& expected) {
    return WaitUntil([&] { return ListViewTexts(list, column) == expected; });
}

TEST(PropertyWindow, ListsTheOpenDocumentAndComesBackWhereItWasLeft) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Start({TestDocument(L"alpha")}));
    const HWND frame = app.WaitForMainWindow();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(app.WaitForCaption(L"Alpha Document - Folivex"));
    ASSERT_TRUE(app.SendCommand(ID_VIEW_PROPERTY));
    const HWND dialog = WaitForDialog(app, L"プロパティ");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), frame);
    const HWND list = ::GetDlgItem(dialog, IDC_PROP_LIST);
    const HWND box = ::GetDlgItem(dialog, IDC_PROP_CATEGORY);

    const std::wstring path = TestDocument(L"alpha");
    EXPECT_TRUE(WaitForColumn(list, 0, {L"タイトル", L"ファイル名", L"ファイルパス", L"開いた日時"}))
        << ListViewTexts(list, 0).value_or(Texts{}).size();
    const auto contents = ListViewTexts(list, 1);
    ASSERT_TRUE(contents.has_value());
    ASSERT_EQ(contents->size(), 4u);
    EXPECT_EQ((*contents)[0], L"Alpha Document");
    EXPECT_EQ((*contents)[1], path.substr(path.find_last_of(L'\\') + 1));
    EXPECT_EQ((*contents)[2], path);

    // The file page, chosen in the box as a user would, is what the next start brings back.
    ASSERT_TRUE(::PostMessageW(box, CB_SETCURSEL, 1, 0));
    ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROP_CATEGORY, CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(box)));
    EXPECT_TRUE(WaitForColumn(list, 0, {L"作成日時", L"更新日時", L"アクセス日時", L"サイズ"}));

    // Select all, then copy the contents only: each row's content ended by CR LF, as UTF-16 text.
    const auto fileRows = ListViewTexts(list, 1);
    ASSERT_TRUE(fileRows.has_value());
    std::wstring expected;
    for (const std::wstring& content : *fileRows) {
        expected += content + L"\r\n";
    }
    ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, ID_EDIT_SELECT_ALL, 0));
    ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, ID_ITEM_ACTION, 0));
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == expected; }));

    // Left beside the frame at a size of its own; the layout file keeps it relative to the frame. The history
    // window, on the same base with messages of its own, comes back too.
    RECT frameRect{};
    ASSERT_TRUE(::GetWindowRect(frame, &frameRect));
    ASSERT_TRUE(::SetWindowPos(dialog, nullptr, frameRect.left + 50, frameRect.top + 60, 400, 300,
                               SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(app.SendCommand(ID_VIEW_HISTORY));
    const HWND history = WaitForDialog(app, L"ヒストリー");
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(::SetWindowPos(history, nullptr, frameRect.left + 70, frameRect.top + 20, 300, 400,
                               SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(app.Close());
    ASSERT_EQ(app.WaitForExit(), 0u);
    const std::wstring layout = app.DataFolder() + L"\\chmlay.xml";
    const std::string text = ReadBytes(layout);
    EXPECT_NE(text.find("<window name=\"docprop\" show=\"normal\" x=\"50\" y=\"60\" cx=\"400\" cy=\"300\" "
                        "select=\"1\" />"),
              std::string::npos)
        << text;

    CFolivexProcess next;
    ASSERT_TRUE(next.StartWithFileOf(app, L"chmlay.xml"));
    const HWND again = next.WaitForMainWindow();
    ASSERT_NE(again, nullptr);
    const HWND restored = WaitForDialog(next, L"プロパティ");
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(PlaceOf(again, restored), (std::array<LONG, 4>{50, 60, 400, 300}));
    LRESULT selected = -1;
    EXPECT_TRUE(SendWithTimeout(::GetDlgItem(restored, IDC_PROP_CATEGORY), CB_GETCURSEL, 0, 0, selected));
    EXPECT_EQ(selected, 1);
    const HWND historyAgain = WaitForDialog(next, L"ヒストリー");
    ASSERT_NE(historyAgain, nullptr);
    // Its width was below the window's minimum, which the platform applied.
    const auto historyPlace = PlaceOf(again, historyAgain);
    EXPECT_EQ(historyPlace[0], 70);
    EXPECT_EQ(historyPlace[3], 400);

    // The reset of the sub-windows' layout asks first, then hides the window.
    ASSERT_TRUE(PostCommand(next, ID_SUBWINDOW_RESET));
    const auto question = WaitForMessageBoxOf(next);
    ASSERT_TRUE(question.has_value());
    EXPECT_EQ(question->text, win::LoadStr(IDS_ASK_SUBWINDOW_RESET));
    ASSERT_TRUE(PressButton(*question, IDYES));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(restored); }));
    ASSERT_TRUE(next.Close());
    EXPECT_EQ(next.WaitForExit(), 0u);
}

// A tool window is made only when first shown: one the layout keeps hidden is not made at start, its record
// survives a run that never showed it, and it takes that place once shown.
TEST(ToolWindows, AHiddenWindowKeepsItsSavedPlaceUntilShown) {
    const std::string record = "<window name=\"dochist\" show=\"hide\" x=\"70\" y=\"20\" cx=\"420\" cy=\"400\" />";
    CFolivexProcess first;
    ASSERT_TRUE(first.Prepare());
    ASSERT_TRUE(WriteBytes(first.DataFolder() + L"\\chmlay.xml", kXmlHeader + "<layout>" + record + "</layout>"));
    ASSERT_TRUE(first.Start());
    ASSERT_NE(first.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(first.Close());
    ASSERT_EQ(first.WaitForExit(), 0u);
    const std::string text = ReadBytes(first.DataFolder() + L"\\chmlay.xml");
    EXPECT_NE(text.find(record), std::string::npos) << text;

    CFolivexProcess next;
    ASSERT_TRUE(next.StartWithFileOf(first, L"chmlay.xml"));
    const HWND frame = next.WaitForMainWindow();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(next.SendCommand(ID_VIEW_HISTORY));
    const HWND history = WaitForDialog(next, L"ヒストリー");
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(PlaceOf(frame, history), (std::array<LONG, 4>{70, 20, 420, 400}));
    EXPECT_TRUE(::IsWindowVisible(history));
    ASSERT_TRUE(next.Close());
    EXPECT_EQ(next.WaitForExit(), 0u);
}

// The group item and the texts of its children, once the tree reads as expected.
bool WaitForEntries(HWND tree, const Texts& expected, HTREEITEM* group = nullptr, Timeout timeout = kDefaultTimeout) {
    return WaitUntil(
        [&] {
            const auto top = TreeViewChildren(tree, nullptr);
            if (!top || top->size() != 1 || (*top)[0].text != win::LoadStr(IDS_HISTORY_GROUP)) {
                return false;
            }
            const auto children = TreeViewChildren(tree, (*top)[0].item);
            Texts texts;
            for (const auto& child : children.value_or(std::vector<TreeItemText>{})) {
                texts.push_back(child.text);
            }
            if (group) {
                *group = (*top)[0].item;
            }
            return children && texts == expected;
        },
        timeout);
}

std::wstring ItemText(const data::CDataDoc& doc) {
    const __time64_t value = doc.time;
    std::tm local{};
    wchar_t text[64] = {};
    if (_localtime64_s(&local, &value) != 0 || std::wcsftime(text, std::size(text), L"[%m/%d %H:%M] ", &local) == 0) {
        return {};
    }
    return text + doc.title;
}

// Selects an item and asks the window to delete it as its Delete key would; the question box.
std::optional<MessageBoxInfo> AskDelete(const CFolivexProcess& app, HWND dialog, HWND tree, HTREEITEM item) {
    LRESULT ok = 0;
    if (!SendWithTimeout(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), ok) || !ok ||
        !::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(ID_ITEM_ACTION, 0), reinterpret_cast<LPARAM>(tree))) {
        return std::nullopt;
    }
    return WaitForMessageBoxOf(app);
}

TEST(HistoryWindow, ShowsOpenedDocumentsLiveAndDeletesAfterAsking) {
    CFolivexProcess app;
    ASSERT_TRUE(app.StartShowing(TestDocument(L"alpha"), L"Alpha Document - Folivex"));
    ASSERT_TRUE(app.SendCommand(ID_VIEW_HISTORY));
    const HWND dialog = WaitForDialog(app, L"ヒストリー");
    ASSERT_NE(dialog, nullptr);
    const HWND tree = ::GetDlgItem(dialog, IDC_HIST_TREE);

    const auto first = ReadHistory(app.DataFolder());
    ASSERT_EQ(first.size(), 1u);
    ASSERT_GT(first[0].time, 0);
    const std::wstring alpha = ItemText(first[0]);
    EXPECT_TRUE(WaitForEntries(tree, {alpha})) << alpha;

    // Another instance's open shows here without a restart.
    {
        CFolivexProcess other;
        ASSERT_TRUE(other.StartBeside(app, {TestDocument(L"beta")}));
        ASSERT_NE(other.WaitForMainWindow(), nullptr);
        ASSERT_TRUE(other.WaitForCaption(L"Beta Document - Folivex"));
        ASSERT_TRUE(other.Close());
        ASSERT_EQ(other.WaitForExit(), 0u);
    }
    const auto both = ReadHistory(app.DataFolder());
    ASSERT_EQ(both.size(), 2u);
    HTREEITEM group = nullptr;
    ASSERT_TRUE(WaitForEntries(tree, {ItemText(both[0]), alpha}, &group));

    // Opening the other instance's entry replaces this instance's document.
    const auto entries = TreeViewChildren(tree, group);
    ASSERT_TRUE(entries.has_value() && entries->size() == 2u);
    LRESULT selected = 0;
    ASSERT_TRUE(
        SendWithTimeout(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>((*entries)[0].item), selected));
    ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(ID_FILE_OPEN, 0), 0));
    EXPECT_TRUE(app.WaitForCaption(L"Beta Document - Folivex"));
    // The open records beta once more (the history keeps repeats); the tree follows the file.
    std::vector<data::CDataDoc> reopened;
    Texts texts;
    ASSERT_TRUE(WaitUntil([&] {
        reopened = ReadHistory(app.DataFolder());
        if (reopened.size() != 3u || reopened[0].title != L"Beta Document") {
            return false;
        }
        texts = {ItemText(reopened[0]), ItemText(reopened[1]), alpha};
        return WaitForEntries(tree, texts, &group, Timeout{0});
    }));

    // Deleting everything asks first; No keeps the file, Yes empties it and leaves the group without children.
    // The frame is disabled under the question and enabled again after it.
    for (const int answer : {IDNO, IDYES}) {
        const auto box = AskDelete(app, dialog, tree, group);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, win::LoadStr(IDS_ASK_HISTORY_DELETE_ALL));
        EXPECT_FALSE(::IsWindowEnabled(app.MainWindow()));
        ASSERT_TRUE(PressButton(*box, answer));
        // The history window is a dialog too: wait for the box alone to go.
        ASSERT_TRUE(WaitUntil([&] { return !WaitForMessageBoxOf(app, Timeout{0}).has_value(); }));
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(app.MainWindow()) != FALSE; }));
    }
    ASSERT_TRUE(WaitForEntries(tree, {}));
    EXPECT_TRUE(ReadHistory(app.DataFolder()).empty());
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(app.WaitForExit(), 0u);
}

} // namespace
