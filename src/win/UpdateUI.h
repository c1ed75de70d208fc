#pragma once
// Update-UI state: the enabled and checked state of each command, computed by its window in one place and
// applied to menus when they open (WM_INITMENUPOPUP) and to toolbars when the thread is idle.

#include <windows.h>

#include <map>

namespace win {

class CUpdateUI {
public:
    void UIEnable(UINT id, bool enable);
    void UISetCheck(UINT id, bool check);
    // Commands never set are enabled and unchecked.
    [[nodiscard]] bool UIIsEnabled(UINT id) const;
    [[nodiscard]] bool UIIsChecked(UINT id) const;

    // Applies the states to every item of the menu (not its submenus: they get their own WM_INITMENUPOPUP).
    void UIUpdateMenu(HMENU menu) const;
    // Applies the states to the buttons of a toolbar control; only changed buttons are touched.
    void UIUpdateToolBar(HWND toolbar) const;

private:
    struct State {
        bool enabled = true;
        bool checked = false;
    };
    std::map<UINT, State> m_states;
};

} // namespace win
