#include "win/Paint.h"

namespace win {

CMemoryDC::CMemoryDC(HDC target, const RECT& area) noexcept : m_target(target), m_area(area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    m_dc = ::CreateCompatibleDC(target);
    if (!m_dc) {
        return;
    }
    m_bitmap = ::CreateCompatibleBitmap(target, width, height);
    if (!m_bitmap) {
        ::DeleteDC(m_dc);
        m_dc = nullptr;
        return;
    }
    m_oldBitmap = ::SelectObject(m_dc, m_bitmap);
    // Drawing code uses the target's coordinates.
    ::SetWindowOrgEx(m_dc, area.left, area.top, nullptr);
}

CMemoryDC::~CMemoryDC() {
    if (!m_dc) {
        return;
    }
    ::BitBlt(m_target, m_area.left, m_area.top, m_area.right - m_area.left, m_area.bottom - m_area.top, m_dc,
             m_area.left, m_area.top, SRCCOPY);
    ::SelectObject(m_dc, m_oldBitmap);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

bool CDoubleBufferPaint::HandlePaintMessage(HWND hwnd, UINT msg, WPARAM wp, LRESULT& result) {
    switch (msg) {
    case WM_ERASEBKGND:
        result = 1; // everything is painted in WM_PAINT
        return true;
    case WM_PRINTCLIENT: {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        DoPaint(reinterpret_cast<HDC>(wp), client);
        result = 0;
        return true;
    }
    case WM_PAINT: {
        RECT client{};
        ::GetClientRect(hwnd, &client);
        if (wp) {
            DoPaint(reinterpret_cast<HDC>(wp), client);
        } else {
            CPaintDC paint(hwnd);
            CMemoryDC memory(paint, client);
            DoPaint(memory, client);
        }
        result = 0;
        return true;
    }
    default:
        return false;
    }
}

} // namespace win
