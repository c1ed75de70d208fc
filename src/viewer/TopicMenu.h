#pragma once
// The topic view's context menus: one table per context of the browser (page, image, control, selected
// text, link), the rows the browser names itself taking its own texts, and the states shown when the menu opens.

#include "viewer/HHNavi.h"

#include <windows.h>

#include <optional>
#include <span>
#include <string>

namespace viewer {

// The browser's menu contexts.
enum class TopicMenuContext : int {
    Page = 0,
    Image = 1,
    Control = 2,
    Table = 3,
    Selection = 4,
    Link = 5,
    VerticalScroll = 10,
    HorizontalScroll = 11,
};

// What the view does for a context: its own menu, the browser's own (the scroll bars), or nothing.
enum class TopicMenuChoice { Program, Browser, None };
[[nodiscard]] TopicMenuChoice ChooseTopicMenu(int context);

// The rows of the program's menu for a context; empty for a context without one.
[[nodiscard]] std::span<const HHMenuRow> TopicMenuRows(int context);

// The commands of the rows the program handles in the topic view itself.
constexpr UINT kTopicProperties = 28;
constexpr UINT kTopicFontSmallest = 2141; // the browser's text size levels, smallest to largest: 2141 to 2145
constexpr UINT kTopicFontLargest = 2145;
constexpr UINT kTopicLinkOpen = 0xD205;
constexpr UINT kTopicLinkNewWindow = 0xD206;
constexpr UINT kTopicLinkConfirm = 0xD207;

// The browser's own texts of its context menus, from its menu resource; nothing when no browser library is
// there (then the browser rows are left out).
class CBrowserMenuTexts {
public:
    CBrowserMenuTexts();
    ~CBrowserMenuTexts();
    CBrowserMenuTexts(const CBrowserMenuTexts&) = delete;
    CBrowserMenuTexts& operator=(const CBrowserMenuTexts&) = delete;

    [[nodiscard]] std::optional<std::wstring> Text(int context, UINT command) const;

private:
    HMODULE m_module = nullptr;
    HMENU m_menu = nullptr;
};

// Builds the menu of a context; false for a context without a table.
bool BuildTopicMenu(CHHMenu& menu, int context, const CHHMenu::BrowserTexts& browserTexts);

// The states of a shown menu: the current text size level checked, the link rows enabled for an address the
// program can open, the navigation row enabled while there is a pane and checked while it shows.
struct TopicMenuState {
    std::optional<long> textSize;
    bool linkOpenable = false;
    bool naviExists = false;
    bool naviVisible = false;
};
void ApplyTopicMenuState(HMENU menu, const TopicMenuState& state);

} // namespace viewer
