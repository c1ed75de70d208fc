#include "win/FullScreen.h"

namespace win {

namespace {

// Caption, system menu, sizing frame, minimize and maximize boxes.
constexpr LONG_PTR kOverlappedStyles = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr UINT kFrameChanged = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED;

} // namespace

void CFullScreen::Attach(HWND window) {
    (void)Leave();
    m_window = window;
}

bool CFullScreen::Enter() {
    if (!m_window || !::IsWindow(m_window)) {
        return false;
    }
    if (m_active) {
        return true;
    }
    m_placement = WINDOWPLACEMENT{};
    m_placement.length = sizeof(m_placement);
    if (!::GetWindowPlacement(m_window, &m_placement)) {
        return false;
    }
    m_style = ::GetWindowLongPtrW(m_window, GWL_STYLE);
    m_exStyle = ::GetWindowLongPtrW(m_window, GWL_EXSTYLE);
    // Active before Apply so a failed Apply is reverted by Leave.
    m_active = true;
    if (!Apply()) {
        (void)Leave();
        return false;
    }
    ::SetWindowPos(m_window, nullptr, 0, 0, 0, 0, kFrameChanged);
    return true;
}

bool CFullScreen::Apply() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    const HMONITOR monitor = ::MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY);
    if (!monitor || !::GetMonitorInfoW(monitor, &info)) {
        return false;
    }
    ::SetWindowLongPtrW(m_window, GWL_STYLE, (m_style & ~kOverlappedStyles) | WS_POPUP | WS_BORDER);
    const RECT& rc = info.rcMonitor;
    return ::SetWindowPos(m_window, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                          SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW) != FALSE;
}

bool CFullScreen::Leave() {
    bool ok = true;
    if (m_active && m_window && ::IsWindow(m_window)) {
        ok = Revert();
        ::SetWindowLongPtrW(m_window, GWL_STYLE, m_style);
        ::SetWindowLongPtrW(m_window, GWL_EXSTYLE, m_exStyle);
        if (!::SetWindowPlacement(m_window, &m_placement)) {
            ok = false;
        }
        ::SetWindowPos(m_window, nullptr, 0, 0, 0, 0, kFrameChanged);
    }
    Forget();
    return ok;
}

void CFullScreen::Forget() noexcept {
    m_active = false;
    m_style = 0;
    m_exStyle = 0;
    m_placement = WINDOWPLACEMENT{};
}

} // namespace win
