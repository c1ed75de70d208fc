#pragma once
// Painting helpers: the BeginPaint/EndPaint pair, and a memory DC that draws off screen and copies the result
// in one blit so a window repaints without flicker.

#include <windows.h>

namespace win {

class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) noexcept : m_hwnd(hwnd) { m_dc = ::BeginPaint(hwnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }

    operator HDC() const noexcept { return m_dc; }
    const PAINTSTRUCT& Info() const noexcept { return m_ps; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc = nullptr;
};

// Draw into this DC; its destructor copies the area to the target. Falls back to drawing on the target
// directly when no off-screen bitmap could be made.
class CMemoryDC {
public:
    CMemoryDC(HDC target, const RECT& area) noexcept;
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    ~CMemoryDC();

    operator HDC() const noexcept { return m_dc ? m_dc : m_target; }
    [[nodiscard]] bool IsBuffered() const noexcept { return m_dc != nullptr; }

private:
    HDC m_target;
    RECT m_area;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
};

// Handles WM_ERASEBKGND and WM_PAINT of a window through a memory DC; the window draws its whole client
// area in DoPaint.
class CDoubleBufferPaint {
public:
    // Call from ProcessWindowMessage; true when the message was one of ours.
    bool HandlePaintMessage(HWND hwnd, UINT msg, WPARAM wp, LRESULT& result);

protected:
    virtual void DoPaint(HDC dc, const RECT& client) = 0;
    ~CDoubleBufferPaint() = default;
};

} // namespace win
