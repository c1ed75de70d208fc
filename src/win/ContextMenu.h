#pragma once
// Context menus: a popup of a menu resource shown for an owner window, drawn with the command bar's images
// when there is a bar.

#include "win/CommandBar.h"
#include "win/Handles.h"

#include <windows.h>

namespace win {

class CContextMenu {
public:
    // `bar` may be null: the menu then shows without images.
    CContextMenu(HWND owner, CCommandBar* bar) noexcept : m_owner(owner), m_bar(bar) {}

    // Takes the popup at `index` of the menu resource; the previous one is released.
    [[nodiscard]] bool SetMenu(UINT resourceId, int index);
    [[nodiscard]] HMENU Popup() const noexcept { return m_popup; }

    // Where a menu asked for at `point` opens: the point itself, or, for (-1, -1) — the keyboard's request — the
    // owner's top-left corner. Other negative points are real: monitors left of or above the primary one.
    [[nodiscard]] static POINT Placement(POINT point, HWND owner) noexcept;
    // Shows the popup and gives the chosen command, 0 for none or when it could not be shown.
    [[nodiscard]] UINT Track(POINT point);
    // Shows the popup and posts the chosen command to the owner as WM_COMMAND.
    bool TrackAndPost(POINT point);

private:
    HWND m_owner;
    CCommandBar* m_bar;
    CMenu m_menu;
    HMENU m_popup = nullptr;
};

} // namespace win
