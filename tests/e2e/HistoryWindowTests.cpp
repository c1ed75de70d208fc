// The history window of real folivex.exe processes: what is opened shows up (also from another instance),
// deleting asks first and empties the file, and No keeps everything.

#include "common/TestFiles.h"
#include "driver/Dialogs.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <ctime>
#include <cwchar>
#include <iterator>

using namespace e2e;

namespace {

using Texts = std::vector<std::wstring>;

HWND WaitForHistoryWindow(const CFolivexProcess& app) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(app.MainWindow(), &pid);
    HWND found = nullptr;
    WaitUntil([&] {
        for (const HWND window : TopLevelWindows(pid, kDialogClass)) {
            if (WindowText(window) == L"ヒストリー" && ::IsWindowVisible(window)) {
                found = window;
                return true;
            }
        }
        return false;
    });
    return found;
}

// The group item and the texts of its children, once the tree reads as expected.
bool WaitForEntries(HWND tree, const Texts& expected, HTREEITEM* group = nullptr, Timeout timeout = kDefaultTimeout) {
    return WaitUntil([&] {
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
    }, timeout);
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
    ASSERT_TRUE(app.Start({TestDocument(L"alpha")}));
    ASSERT_NE(app.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(app.WaitForCaption(L"Alpha Document - Folivex"));
    ASSERT_TRUE(app.SendCommand(ID_VIEW_HISTORY));
    const HWND dialog = WaitForHistoryWindow(app);
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
    ASSERT_TRUE(SendWithTimeout(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>((*entries)[0].item),
                                selected));
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

    // Deleting everything asks first; No keeps the tree and the file. The frame is disabled under the question.
    auto box = AskDelete(app, dialog, tree, group);
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text, win::LoadStr(IDS_ASK_HISTORY_DELETE_ALL));
    EXPECT_FALSE(::IsWindowEnabled(app.MainWindow()));
    ASSERT_TRUE(PressButton(*box, IDNO));
    // The history window is a dialog too: wait for the box alone to go.
    ASSERT_TRUE(WaitUntil([&] { return !WaitForMessageBoxOf(app, Timeout{0}).has_value(); }));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(app.MainWindow()) != FALSE; }));
    EXPECT_EQ(ReadHistory(app.DataFolder()).size(), 3u);
    EXPECT_TRUE(WaitForEntries(tree, texts));

    // One by one: the last deletion leaves the group without children and the file without entries.
    for (size_t left = 3; left > 0; --left) {
        const auto children = TreeViewChildren(tree, group);
        ASSERT_TRUE(children.has_value() && children->size() == left);
        box = AskDelete(app, dialog, tree, (*children)[0].item);
        ASSERT_TRUE(box.has_value());
        EXPECT_EQ(box->text, win::LoadStr(IDS_ASK_HISTORY_DELETE));
        ASSERT_TRUE(PressButton(*box, IDYES));
        texts.erase(texts.begin());
        ASSERT_TRUE(WaitForEntries(tree, texts, &group));
    }
    EXPECT_TRUE(ReadHistory(app.DataFolder()).empty());
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(app.WaitForExit(), 0u);
}

} // namespace
