#include "win/Split.h"

#include <windowsx.h>

#include <algorithm>

namespace win {

WindowClassInfo CSplitter::GetWindowClassInfo() const {
    WindowClassInfo info;
    info.name = kClassName;
    info.style = 0;
    info.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    // The cursor is set per orientation in WM_SETCURSOR.
    info.cursor = nullptr;
    return info;
}

RECT CSplitter::AreaRect() const {
    RECT rc{};
    const HWND area = ::GetDlgItem(m_parent, m_areaId);
    if (area) {
        ::GetWindowRect(area, &rc);
        ::MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
    }
    return rc;
}

int CSplitter::Clamp(int position, const RECT& area) const {
    const int extent = m_horizontalBar ? area.bottom - area.top : area.right - area.left;
    const int upper = extent - kBarThickness - kMinPane;
    if (upper < kMinPane) {
        return std::max(0, (extent - kBarThickness) / 2);
    }
    return std::clamp(position, kMinPane, upper);
}

bool CSplitter::Init(HWND parent, int areaId, int firstId, int secondId) {
    m_parent = parent;
    m_areaId = areaId;
    m_firstId = firstId;
    m_secondId = secondId;
    const HWND first = ::GetDlgItem(parent, firstId);
    const HWND area = ::GetDlgItem(parent, areaId);
    if (!first || !area || !::GetDlgItem(parent, secondId)) {
        return false;
    }
    // The placeholder only marks the area: it must neither show nor take clicks.
    ::ShowWindow(area, SW_HIDE);
    RECT firstRect{};
    ::GetWindowRect(first, &firstRect);
    m_position = m_horizontalBar ? firstRect.bottom - firstRect.top : firstRect.right - firstRect.left;
    if (!Create(parent, nullptr, {}, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS)) {
        return false;
    }
    return Layout();
}

bool CSplitter::SetPosition(int position) {
    m_position = position;
    return Layout();
}

bool CSplitter::Layout() {
    if (!m_hWnd) {
        return false;
    }
    const RECT area = AreaRect();
    m_position = Clamp(m_position, area);
    RECT first = area, bar = area, second = area;
    if (m_horizontalBar) {
        first.bottom = area.top + m_position;
        bar.top = first.bottom;
        bar.bottom = bar.top + kBarThickness;
        second.top = bar.bottom;
    } else {
        first.right = area.left + m_position;
        bar.left = first.right;
        bar.right = bar.left + kBarThickness;
        second.left = bar.right;
    }
    const struct {
        HWND window;
        RECT rc;
    } parts[] = {
        {::GetDlgItem(m_parent, m_firstId), first}, {m_hWnd, bar}, {::GetDlgItem(m_parent, m_secondId), second}};
    HDWP dwp = ::BeginDeferWindowPos(3);
    for (const auto& part : parts) {
        if (dwp && part.window) {
            dwp = ::DeferWindowPos(dwp, part.window, nullptr, part.rc.left, part.rc.top, part.rc.right - part.rc.left,
                                   std::max<LONG>(0, part.rc.bottom - part.rc.top), SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return dwp && ::EndDeferWindowPos(dwp);
}

int CSplitter::PointerPosition(LPARAM lp) const {
    // In the area's coordinates, along the axis the bar moves on.
    POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    ::MapWindowPoints(m_hWnd, m_parent, &pt, 1);
    const RECT area = AreaRect();
    return m_horizontalBar ? pt.y - area.top : pt.x - area.left;
}

bool CSplitter::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, m_horizontalBar ? IDC_SIZENS : IDC_SIZEWE));
        result = TRUE;
        return true;
    case WM_LBUTTONDOWN:
        m_dragging = true;
        m_grabOffset = PointerPosition(lp) - m_position;
        ::SetCapture(m_hWnd);
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        if (m_dragging) {
            (void)SetPosition(PointerPosition(lp) - m_grabOffset);
        }
        result = 0;
        return true;
    case WM_LBUTTONUP:
        if (m_dragging) {
            (void)SetPosition(PointerPosition(lp) - m_grabOffset);
            m_dragging = false;
            ::ReleaseCapture();
        }
        result = 0;
        return true;
    case WM_CAPTURECHANGED:
        m_dragging = false;
        result = 0;
        return true;
    default:
        return false;
    }
}

} // namespace win
