// The navigation pane of real folivex.exe processes, driven by the program's own commands: walking the contents
// of a document with nested books, switching and cycling the tabs, hiding and showing the pane, and the contents
// tree's menu. The document "nested" has Start, Book A (A1, A2 (A2 First, A2 Last)), After A and
// Book Z (Z1, Z2 (Z2 Deep)).

#include "common/TestFiles.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <string>

using namespace e2e;

namespace {

constexpr UINT kExpandAll = 250;
constexpr UINT kCollapseAll = 251;

class NaviPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_app.StartShowing(TestDocument(L"nested"), L"Nested Document - Folivex"));
        const auto trees = ChildWindows(m_app.MainWindow(), L"SysTreeView32");
        const auto tabs = ChildWindows(m_app.MainWindow(), L"SysTabControl32");
        ASSERT_FALSE(trees.empty());
        ASSERT_EQ(tabs.size(), 1u);
        m_tree = trees.front();
        m_tab = tabs.front();
        m_pane = ::GetParent(m_tree);
        // The viewer puts the focus into the contents once the document shows; the checks below keep it there.
        ASSERT_TRUE(WaitUntil([&] { return m_app.FocusedWindow() == m_tree; }))
            << win::WideToUtf8(WindowClass(m_app.FocusedWindow()));
        CollectTexts(nullptr);
    }

    void CollectTexts(HTREEITEM parent) {
        const auto children = TreeViewChildren(m_tree, parent);
        ASSERT_TRUE(children.has_value());
        for (const TreeItemText& child : *children) {
            m_items[child.text] = child.item;
            m_texts[child.item] = child.text;
            CollectTexts(child.item);
        }
    }

    LRESULT SendTo(HWND window, UINT msg, WPARAM wp, LPARAM lp) const {
        LRESULT result = 0;
        EXPECT_TRUE(SendWithTimeout(window, msg, wp, lp, result));
        return result;
    }

    std::wstring Selected() const {
        const auto item = reinterpret_cast<HTREEITEM>(SendTo(m_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        const auto found = m_texts.find(item);
        return found == m_texts.end() ? L"(none)" : found->second;
    }

    bool IsExpanded(const std::wstring& text) const {
        const auto item = m_items.at(text);
        return (SendTo(m_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }

    int CurrentTab() const { return static_cast<int>(SendTo(m_tab, TCM_GETCURSEL, 0, 0)); }

    // Runs a command of the main menu's kind and waits until the contents selection is `expected`.
    bool WalkTo(UINT command, const std::wstring& expected) {
        return m_app.SendCommand(command) && WaitUntil([&] { return Selected() == expected; });
    }

    CFolivexProcess m_app;
    HWND m_tree = nullptr;
    HWND m_tab = nullptr;
    HWND m_pane = nullptr;
    std::map<std::wstring, HTREEITEM> m_items;
    std::map<HTREEITEM, std::wstring> m_texts;
};

TEST_F(NaviPaneTest, WalksTheContentsInReadingOrderAndLeavesTheFocusWhereItWas) {
    ASSERT_EQ(m_items.size(), 11u);
    const struct {
        UINT command;
        const wchar_t* selected;
    } steps[] = {
        {ID_NAVI_TOC_TOP, L"Start"},    {ID_NAVI_TOC_NEXT, L"Book A"},
        {ID_NAVI_TOC_NEXT, L"A1"},      // a closed book opens and gives its first entry
        {ID_NAVI_TOC_PREV, L"Book A"},  // the first entry of a book goes back to the book
        {ID_NAVI_TOC_END, L"Z2 Deep"},  // every last branch opened on the way
        {ID_NAVI_TOC_NEXT, L"Z2 Deep"}, // nothing follows the last entry
    };
    for (const auto& step : steps) {
        EXPECT_TRUE(WalkTo(step.command, step.selected)) << step.command << " gave " << win::WideToUtf8(Selected());
        EXPECT_EQ(m_app.FocusedWindow(), m_tree) << step.command;
    }
    EXPECT_TRUE(IsExpanded(L"Book Z"));
    EXPECT_TRUE(IsExpanded(L"Z2"));
    // The viewer toolbar's previous and next buttons walk the same way.
    const auto frames = ChildWindows(m_app.MainWindow(), L"HH Parent");
    ASSERT_EQ(frames.size(), 1u);
    for (const auto& [button, selected] : {std::pair{224u, L"Z2"}, std::pair{223u, L"Z2 Deep"}}) {
        SendTo(frames.front(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        EXPECT_EQ(Selected(), selected) << button;
    }

    // With the focus elsewhere in the viewer, a walk (whose click would focus the tree) gives it back there.
    const DWORD appThread = ::GetWindowThreadProcessId(m_tree, nullptr);
    ASSERT_TRUE(::AttachThreadInput(::GetCurrentThreadId(), appThread, TRUE));
    ::SetFocus(m_tab);
    ::AttachThreadInput(::GetCurrentThreadId(), appThread, FALSE);
    ASSERT_TRUE(WaitUntil([&] { return m_app.FocusedWindow() == m_tab; }));
    EXPECT_TRUE(WalkTo(ID_NAVI_TOC_TOP, L"Start"));
    EXPECT_EQ(m_app.FocusedWindow(), m_tab);

    // Before an entry whose previous sibling is a closed book lies that book's deepest last entry.
    ASSERT_TRUE(m_app.SendCommand(ID_NAVI_TOC_TOP));
    ASSERT_TRUE(::PostMessageW(m_pane, WM_COMMAND, kCollapseAll, 0));
    ASSERT_TRUE(WaitUntil([&] { return !IsExpanded(L"Book A") && !IsExpanded(L"Book Z"); }));
    SendTo(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(m_items.at(L"After A")));
    ASSERT_EQ(Selected(), L"After A");
    EXPECT_TRUE(WalkTo(ID_NAVI_TOC_PREV, L"A2 Last")) << win::WideToUtf8(Selected());
    EXPECT_TRUE(IsExpanded(L"Book A"));
    EXPECT_TRUE(IsExpanded(L"A2"));
    EXPECT_FALSE(IsExpanded(L"Book Z"));
    EXPECT_EQ(m_app.FocusedWindow(), m_tab);
}

TEST_F(NaviPaneTest, SelectsAndCyclesTheTabsWithTheirPages) {
    ASSERT_EQ(SendTo(m_tab, TCM_GETITEMCOUNT, 0, 0), 4);
    ASSERT_EQ(CurrentTab(), 0);
    // The pane shows the page of the selected tab: the contents tree only on the contents tab.
    const struct {
        UINT command;
        int tab;
    } steps[] = {
        {ID_NAVI_INDEX, 1},  {ID_NAVI_FAVOR, 3},    {ID_NAVI_TAB_NEXT, 0}, {ID_NAVI_TAB_PREV, 3},
        {ID_NAVI_SEARCH, 2}, {ID_NAVI_TAB_PREV, 1}, {ID_NAVI_TOC, 0},
    };
    for (const auto& step : steps) {
        ASSERT_TRUE(m_app.SendCommand(step.command));
        EXPECT_EQ(CurrentTab(), step.tab) << step.command;
        EXPECT_EQ(::IsWindowVisible(m_tree) != FALSE, step.tab == 0) << step.command;
    }
    // A contents walk from another page comes back to the contents.
    ASSERT_TRUE(m_app.SendCommand(ID_NAVI_INDEX));
    EXPECT_TRUE(WalkTo(ID_NAVI_TOC_TOP, L"Start"));
    EXPECT_EQ(CurrentTab(), 0);
    EXPECT_TRUE(::IsWindowVisible(m_tree));
}

TEST_F(NaviPaneTest, NavigationHidesAndShowsThePane) {
    ASSERT_TRUE(::IsWindowVisible(m_pane));
    ASSERT_TRUE(m_app.SendCommand(ID_NAVI_SHOW));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(m_pane); }));
    ASSERT_TRUE(m_app.SendCommand(ID_NAVI_SHOW));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_pane) != FALSE; }));
}

TEST_F(NaviPaneTest, TheTreeMenuExpandsAndCollapsesEverything) {
    // The menu key's request; each item is chosen by its mnemonic letter, as a reader would.
    const auto chooseFromMenu = [&](wchar_t letter) {
        if (!::PostMessageW(m_tree, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_tree), MAKELPARAM(-1, -1))) {
            return false;
        }
        HWND menu = nullptr;
        if (!WaitUntil([&] {
                return (menu = TopLevelWindows(m_app.Pid(), L"#32768").empty()
                                   ? nullptr
                                   : TopLevelWindows(m_app.Pid(), L"#32768").front()) != nullptr;
            })) {
            return false;
        }
        return ::PostMessageW(menu, WM_CHAR, letter, 0) != FALSE &&
               WaitUntil([&] { return TopLevelWindows(m_app.Pid(), L"#32768").empty(); });
    };
    ASSERT_TRUE(chooseFromMenu(L'o'));
    EXPECT_TRUE(WaitUntil(
        [&] { return IsExpanded(L"Book A") && IsExpanded(L"A2") && IsExpanded(L"Book Z") && IsExpanded(L"Z2"); }));
    ASSERT_TRUE(chooseFromMenu(L'c'));
    EXPECT_TRUE(WaitUntil([&] { return !IsExpanded(L"Book A") && !IsExpanded(L"A2") && !IsExpanded(L"Book Z"); }));
}

} // namespace
