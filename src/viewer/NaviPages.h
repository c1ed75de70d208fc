#pragma once
// The navigation pane's tabs as plain data: which page each tab shows, told by the mnemonic letter of its
// label (the control's labels change with the language, the letters do not), and how the tab commands move
// between them.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace viewer {

enum class NaviPageKind : int {
    None = 0,
    Contents = 1,
    Index = 2,
    Search = 3,
    Favorites = 4,
};

// The letter after the first "&": C contents, N index, S search, I favourites, in either case.
[[nodiscard]] NaviPageKind NaviPageKindFromLabel(std::wstring_view label);

// The help control's frame command that shows a page of that kind; 0 for none.
[[nodiscard]] UINT NaviPageCommand(NaviPageKind kind);

// The tab after `current` (wrapping to the first, or staying at the last); -1 without a current tab.
[[nodiscard]] int NextNaviTab(int current, int count, bool wrap);
// The tab before `current` (wrapping to the last, or staying at the first); -1 without a current tab.
[[nodiscard]] int PreviousNaviTab(int current, int count, bool wrap);

// The page kind of every tab, in tab order, as last rebuilt from the labels.
class CNaviPageKinds {
public:
    void Rebuild(const std::vector<std::wstring>& labels);
    // None for a tab outside the rebuilt ones, so the tab control may have changed since.
    [[nodiscard]] NaviPageKind KindAt(int tab) const;
    // -1 when no tab shows that kind.
    [[nodiscard]] int FirstTabOf(NaviPageKind kind) const;

private:
    std::vector<NaviPageKind> m_kinds;
};

} // namespace viewer
