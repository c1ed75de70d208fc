// The splitter shares its area between two panes, follows the area and keeps both panes usable.

#include "win/Split.h"

#include <gtest/gtest.h>

namespace {

RECT ChildRect(HWND parent, int id) {
    RECT rc{};
    ::GetWindowRect(::GetDlgItem(parent, id), &rc);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

TEST(Split, PanesShareTheAreaAndTheBarDragsWithinLimits) {
    const HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 400, nullptr,
                                          nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    auto child = [&](int id, int x, int y, int cx, int cy) {
        return ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, x, y, cx, cy, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    };
    ASSERT_TRUE(child(1, 10, 10, 200, 100) && child(2, 10, 114, 200, 186) && child(3, 10, 10, 200, 290));

    win::CSplitT<true> split;
    ASSERT_TRUE(split.Init(parent, 3, 1, 2));
    EXPECT_EQ(split.GetPosition(), 100);
    const RECT second = ChildRect(parent, 2);
    EXPECT_EQ(second.top, 10 + 100 + win::CSplitter::kBarThickness);
    EXPECT_EQ(second.bottom, 300);

    // Positions beyond either end keep the minimum pane.
    const struct {
        int asked;
        int kept;
    } cases[] = {{150, 150},
                 {-20, win::CSplitter::kMinPane},
                 {1000, 290 - win::CSplitter::kBarThickness - win::CSplitter::kMinPane}};
    for (const auto& c : cases) {
        ASSERT_TRUE(split.SetPosition(c.asked));
        EXPECT_EQ(split.GetPosition(), c.kept) << c.asked;
        EXPECT_EQ(ChildRect(parent, 1).bottom, 10 + c.kept) << c.asked;
    }

    // A drag of the bar by 30 pixels down moves the split by as much (the bar follows the pointer, so the
    // release comes at the grabbed point of the bar).
    ASSERT_TRUE(split.SetPosition(100));
    ::SendMessageW(split, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 1));
    ::SendMessageW(split, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 31));
    ::SendMessageW(split, WM_LBUTTONUP, 0, MAKELPARAM(5, 1));
    EXPECT_EQ(split.GetPosition(), 130);

    // A grown area gives the room to the second pane.
    ::SetWindowPos(::GetDlgItem(parent, 3), nullptr, 0, 0, 300, 340, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(split.Layout());
    EXPECT_EQ(split.GetPosition(), 130);
    EXPECT_EQ(ChildRect(parent, 2).bottom, 350);
    EXPECT_EQ(ChildRect(parent, 2).right, 310);
    ::DestroyWindow(parent);
}

} // namespace
