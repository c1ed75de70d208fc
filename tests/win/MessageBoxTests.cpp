#include "win/MessageBox.h"
#include "win/Window.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct BoxObservation {
    HWND owner = nullptr;
    int nestedResult = 0;
    bool openDuringBox = false;
    std::wstring caption;
    RECT box{};
    bool found = false;
};
BoxObservation g_seen;

BOOL CALLBACK FindBox(HWND hwnd, LPARAM lp) {
    wchar_t cls[32] = {};
    ::GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(hwnd)) {
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the box's modal loop: observe the box, try a second one, then press OK.
void CALLBACK WhileBoxIsOpen(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
    if (!box) {
        return; // not shown yet: the timer fires again
    }
    ::KillTimer(nullptr, id);
    g_seen.found = true;
    g_seen.openDuringBox = win::IsMessageBoxOpen();
    g_seen.caption = win::CWindow(box).GetText();
    ::GetWindowRect(box, &g_seen.box);
    g_seen.nestedResult = win::MessageBoxFor(g_seen.owner, L"second", MB_OK);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(MessageBoxFor, OneBoxAtATimeCentredOnItsOwnerWithTheProductCaption) {
    g_seen = {};
    const HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE | WS_CAPTION, 300, 200, 500, 400,
                                         nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    g_seen.owner = owner;
    ::SetTimer(nullptr, 0, 20, &WhileBoxIsOpen);
    EXPECT_FALSE(win::IsMessageBoxOpen());
    const int result = win::MessageBoxFor(owner, L"最初のメッセージ", MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(result, IDOK);
    ASSERT_TRUE(g_seen.found);
    EXPECT_TRUE(g_seen.openDuringBox);
    EXPECT_EQ(g_seen.nestedResult, IDABORT);
    EXPECT_EQ(g_seen.caption, L"Folivex");
    RECT ownerRect{};
    ::GetWindowRect(owner, &ownerRect);
    EXPECT_NEAR((g_seen.box.left + g_seen.box.right) / 2, (ownerRect.left + ownerRect.right) / 2, 1);
    EXPECT_NEAR((g_seen.box.top + g_seen.box.bottom) / 2, (ownerRect.top + ownerRect.bottom) / 2, 1);
    EXPECT_FALSE(win::IsMessageBoxOpen());
    ::DestroyWindow(owner);
}

} // namespace
