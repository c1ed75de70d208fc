#pragma once
// While a modal dialog or message box runs over one of the program's top-level windows (the frame or a tool
// window), the others are disabled too, so nothing behind the dialog can start work of its own; afterwards
// exactly the windows disabled here are enabled again and the focus goes back where it was.

#include <windows.h>

#include <functional>
#include <vector>

class CDlgMode {
public:
    // `windows` gives the program's top-level windows; `restoreFocus` is asked to give the focus back to a
    // window once the dialog has gone (the dialog still exists while its owner is enabled again).
    CDlgMode(std::function<std::vector<HWND>()> windows, std::function<void(HWND)> restoreFocus)
        : m_windows(std::move(windows)), m_restoreFocus(std::move(restoreFocus)) {}

    // WM_CANCELMODE of one of the windows: comes before it is disabled, while the focus is still there.
    void OnCancelMode(HWND window);
    // WM_ENABLE of one of the windows.
    void OnEnable(HWND window, bool enabled);
    // The window a modal dialog disabled, while the modal state lasts.
    [[nodiscard]] HWND ModalOwner() const noexcept { return m_owner; }

private:
    std::function<std::vector<HWND>()> m_windows;
    std::function<void(HWND)> m_restoreFocus;
    HWND m_owner = nullptr;
    HWND m_focusBefore = nullptr;
    HWND m_savedFocus = nullptr;
    std::vector<HWND> m_disabled;
    // Set while this object enables or disables windows itself.
    bool m_changing = false;
};
