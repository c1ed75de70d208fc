#pragma once
// Wrappers of the navigation pane's windows: the tab control that the program's page commands drive, the
// contents tree that the program walks without the mouse, the tab pages and their controls, and the tree's
// context menu.

#include "viewer/HHWindows.h"
#include "viewer/NaviPages.h"

#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace viewer {

// Control ids and commands of the help control's navigation pane that the wrappers rely on.
constexpr int kNaviKeywordPageControl = 1001;
constexpr int kNaviSearchPageControl = 3036;
constexpr int kNaviSearchResultList = 3037;
constexpr int kNaviSearchFocusControl = 3041;
constexpr UINT kNaviExpandAll = 250;
constexpr UINT kNaviCollapseAll = 251;

// Flags of the tab messages.
constexpr WPARAM kTabNotify = 1;
constexpr WPARAM kTabWrap = 2;

// What the contents tree asks the topic view to do once the entry it opened has loaded.
enum class AfterLoad : int { Nothing = 0, ScrollToTop = 1, ScrollToBottom = 2 };

// The navigation tabs: pages selected by kind or in turn, each selection told to the pane as a click would.
class CHHNaviTab : public CHHGeneral {
public:
    CHHNaviTab() noexcept { m_backgroundColour = COLOR_BTNFACE; }

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    [[nodiscard]] const CNaviPageKinds& Kinds() const noexcept { return m_kinds; }

private:
    void ValidatePages() const;
    // Selects tab `index` and has the pane show its page; the focus stays where it was.
    bool Select(int index);
    // Has the viewer switch to the page of tab `index`; false for a tab of no known kind.
    bool NotifyViewer(int index) const;
    void Rebuild();
    void OnParentNotify(HWND hwnd, WPARAM wp, LPARAM lp);
    [[nodiscard]] int Count() const;
    [[nodiscard]] int Current() const;

    CNaviPageKinds m_kinds;
};

// The contents tree: first, last, previous and next entry in reading order, opened as by a click.
class CHHNaviTree : public CHHGeneral {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Expands or collapses every entry that has children.
    static void ExpandAll(HWND tree, bool expand);

private:
    enum class Walk { First, Last, Previous, Next };

    void OnWalk(Walk walk, WPARAM action);
    [[nodiscard]] HTREEITEM FindTarget(Walk walk);
    // Opens the item as a click on its label would; false when it could not be selected.
    bool OpenItem(HTREEITEM item);
    void OnNavigation(bool began);
    void OnRightButton(LPARAM lp);
    void OnContextMenu(LPARAM lp);

    [[nodiscard]] HTREEITEM Next(HTREEITEM item, UINT relation) const;
    [[nodiscard]] bool HasChildren(HTREEITEM item) const;
    [[nodiscard]] bool IsExpanded(HTREEITEM item) const;
    [[nodiscard]] bool IsSingleExpand() const { return (GetStyle() & TVS_SINGLEEXPAND) != 0; }
    void SelectCaret(HTREEITEM item);
    void Expand(HTREEITEM item);
    void Collapse(HTREEITEM item);
    // Expands from `item` down through the last children and gives the deepest last descendant.
    HTREEITEM ExpandToDeepestLast(HTREEITEM item);

    HTREEITEM m_clickItem = nullptr;
    HWND m_savedFocus = nullptr;
    HTREEITEM m_lastItem = nullptr;
    AfterLoad m_afterLoad = AfterLoad::Nothing;
    bool m_walking = false;
};

// A tab page dialog; the search page of a document opened from an address says that it cannot be used.
class CHHNaviDlg : public CHHWnd {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // 1 keyword page, 2 search page, 0 other, told by the controls the page holds.
    [[nodiscard]] static int ClassifyPage(HWND page);

private:
    void OnInitDialog(HWND hwnd);
    void DisableSearchPage(HWND hwnd);

    bool m_disabled = false;
};

// The index keyword list.
class CHHNaviKList : public CHHWnd {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// The search result and favourites lists; the menu key opens the result list's context menu.
class CHHNaviList : public CHHGeneral {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// The keyword and search fields; Ctrl+A selects the whole text.
class CHHNaviEdit : public CHHWnd {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A label of a tab page, painted without flicker on the page's background.
class CHHNaviStatic : public CHHGeneral {
public:
    CHHNaviStatic() noexcept { m_backgroundColour = COLOR_BTNFACE; }
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// An up-down control of a tab page.
class CHHNaviUpdn : public CHHWnd {
public:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// One row of a menu table: a command (0 for a separator) with the string of its text, or a submenu. A row
// whose reserved word is kBrowserTextRow takes its text from the browser instead.
constexpr UINT kBrowserTextRow = 1;
struct HHMenuRow {
    UINT command;
    UINT text;
    UINT reserved;
    const HHMenuRow* sub;
    size_t subCount;
};

// A popup menu built from a table, its separators tidied.
class CHHMenu {
public:
    CHHMenu() = default;
    CHHMenu(const CHHMenu&) = delete;
    CHHMenu& operator=(const CHHMenu&) = delete;
    ~CHHMenu();

    // The text of a browser row by its command; empty leaves the row out.
    using BrowserTexts = std::function<std::optional<std::wstring>(UINT command)>;

    bool Build(const HHMenuRow* rows, size_t count, const BrowserTexts& browserTexts = {});
    [[nodiscard]] HMENU Get() const noexcept { return m_menu; }

private:
    static HMENU BuildPopup(const HHMenuRow* rows, size_t count, const BrowserTexts& browserTexts);

    HMENU m_menu = nullptr;
};

// The contents tree's menu: expand all and collapse all (kind 1), nothing for a single-expand tree (kind 2).
class CHHNaviMenu : public CHHMenu {
public:
    explicit CHHNaviMenu(int kind);

    [[nodiscard]] int Kind() const noexcept { return m_kind; }

private:
    int m_kind;
};

} // namespace viewer
