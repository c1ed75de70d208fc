#pragma once
// A splitter between two panes of a dialog: a thin bar window that the user drags to share an area between
// the first pane (top or left) and the second. The area is the rectangle of a placeholder control, so the
// dialog's resize anchors move and size it like any other control; the dialog calls Layout after they ran.

#include "win/Window.h"

namespace win {

class CSplitter : public CWindowImpl {
public:
    static constexpr wchar_t kClassName[] = L"FolivexSplitter";
    static constexpr int kBarThickness = 4;
    // The smallest extent either pane keeps while the bar is dragged or the area shrinks.
    static constexpr int kMinPane = 16;

    explicit CSplitter(bool horizontalBar) noexcept : m_horizontalBar(horizontalBar) {}

    // Creates the bar inside `parent` over the placeholder control `areaId`; the panes start with the
    // first pane's current extent.
    bool Init(HWND parent, int areaId, int firstId, int secondId);
    // The first pane's extent (height under a horizontal bar, width beside a vertical one), in pixels.
    [[nodiscard]] int GetPosition() const noexcept { return m_position; }
    bool SetPosition(int position);
    // Lays the panes and the bar out in the placeholder's current rectangle.
    bool Layout();

    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

protected:
    WindowClassInfo GetWindowClassInfo() const override;

private:
    [[nodiscard]] RECT AreaRect() const;
    [[nodiscard]] int Clamp(int position, const RECT& area) const;
    [[nodiscard]] int PointerPosition(LPARAM lp) const;

    bool m_horizontalBar;
    HWND m_parent = nullptr;
    int m_areaId = 0;
    int m_firstId = 0;
    int m_secondId = 0;
    int m_position = 0;
    bool m_dragging = false;
    int m_grabOffset = 0;
};

// The splitter of one orientation: true for a horizontal bar between an upper and a lower pane.
template <bool THorizontalBar> class CSplitT : public CSplitter {
public:
    CSplitT() noexcept : CSplitter(THorizontalBar) {}
};

} // namespace win
