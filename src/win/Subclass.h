#pragma once
// Subclassing of a window created by someone else (a control, a box, a hosted component's window),
// through the common controls' subclass chain so other subclasses can stack with ours and unhook in any order.
// A window takes one object of ours at a time.

#include "win/Window.h"

#include <commctrl.h>

namespace win {

class CSubclassWindow : public CWindow, public CMessageMap {
public:
    CSubclassWindow() noexcept = default;
    CSubclassWindow(const CSubclassWindow&) = delete;
    CSubclassWindow& operator=(const CSubclassWindow&) = delete;
    virtual ~CSubclassWindow();

    // False when the window is already subclassed by another object of this kind.
    [[nodiscard]] bool Subclass(HWND hwnd);
    // Lets go of the window; its messages go on to the previous procedure.
    bool Unsubclass();
    [[nodiscard]] bool IsSubclassed() const noexcept { return m_hWnd != nullptr; }

protected:
    LRESULT DefSubclassProcedure(UINT msg, WPARAM wp, LPARAM lp) { return ::DefSubclassProc(m_hWnd, msg, wp, lp); }
    // Called after the window's WM_NCDESTROY, once it has been let go; may delete the object.
    virtual void OnFinalMessage(HWND) {}

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref);

    int m_dispatchDepth = 0;
    bool m_release = false;
};

} // namespace win
