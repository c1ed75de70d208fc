#include "win/CommandBar.h"
#include "win/ContextMenu.h"
#include "win/Module.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

class CommandBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_frame = ::CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                                    nullptr, nullptr, nullptr);
        m_rebar = ::CreateWindowExW(0, REBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | RBS_VARHEIGHT, 0, 0, 0, 0,
                                    m_frame, nullptr, nullptr, nullptr);
        ASSERT_NE(m_rebar, nullptr);
        ASSERT_NE(m_bar.Create(m_rebar, m_frame), nullptr);
        HMENU menu = ::LoadMenuW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME));
        ASSERT_TRUE(m_bar.AttachMenu(menu));
    }
    void TearDown() override { ::DestroyWindow(m_frame); }

    HWND m_frame = nullptr;
    HWND m_rebar = nullptr;
    win::CCommandBar m_bar;
};

TEST_F(CommandBarTest, ShowsOneButtonPerTopLevelMenuItemFoundByItsMnemonicWhateverTheCase) {
    EXPECT_EQ(m_bar.Send(TB_BUTTONCOUNT), 3);
    wchar_t text[64] = {};
    m_bar.Send(TB_GETBUTTONTEXTW, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"サブウィンドウ(&W)");
    EXPECT_TRUE(m_bar.AddToRebar(m_rebar));
    EXPECT_EQ(::SendMessageW(m_rebar, RB_GETBANDCOUNT, 0, 0), 1);
    const std::pair<wchar_t, int> mnemonics[] = {{L'd', 0}, {L'D', 0}, {L'w', 1}, {L'O', 2}, {L'x', -1}, {L'&', -1}};
    for (const auto& [key, index] : mnemonics) {
        EXPECT_EQ(m_bar.FindMnemonic(key), index) << static_cast<char>(key);
    }
}

TEST_F(CommandBarTest, AltAloneTogglesKeyboardModeAndRestoresFocus) {
    ::SetFocus(m_frame);
    EXPECT_TRUE(m_bar.OnKeyMenu(0));
    EXPECT_TRUE(m_bar.IsKeyboardMode());
    EXPECT_EQ(::GetFocus(), m_bar.m_hWnd);
    EXPECT_EQ(m_bar.Send(TB_GETHOTITEM), 0);
    // Right arrow moves the hot item; Escape leaves the mode.
    m_bar.Send(WM_KEYDOWN, VK_RIGHT);
    EXPECT_EQ(m_bar.Send(TB_GETHOTITEM), 1);
    m_bar.Send(WM_KEYDOWN, VK_LEFT);
    m_bar.Send(WM_KEYDOWN, VK_LEFT);
    EXPECT_EQ(m_bar.Send(TB_GETHOTITEM), 2);
    m_bar.Send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_FALSE(m_bar.IsKeyboardMode());
    EXPECT_EQ(::GetFocus(), m_frame);

    EXPECT_TRUE(m_bar.OnKeyMenu(0));
    EXPECT_TRUE(m_bar.OnKeyMenu(0));
    EXPECT_FALSE(m_bar.IsKeyboardMode());
    EXPECT_FALSE(m_bar.OnKeyMenu(L' ')); // the system menu's key is not ours
}

// Runs inside the menu loop: choose the first item of the dropped menu.
void CALLBACK ChooseFirstItem(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    keybd_event(VK_RETURN, 0, 0, 0);
    keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
}

class CCommandSink {
public:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
        if (msg == WM_COMMAND) {
            *reinterpret_cast<UINT*>(ref) = LOWORD(wp);
            return 0;
        }
        if (msg == WM_INITMENUPOPUP) {
            ::EnableMenuItem(reinterpret_cast<HMENU>(wp), ID_APP_EXIT, MF_BYCOMMAND | MF_ENABLED);
        }
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
};

TEST_F(CommandBarTest, KeyboardOpenedMenuSendsTheChosenCommandToItsWindow) {
    UINT command = 0;
    ASSERT_TRUE(::SetWindowSubclass(m_frame, &CCommandSink::Proc, 1, reinterpret_cast<DWORD_PTR>(&command)));
    ::SetForegroundWindow(m_frame);
    ::SetTimer(nullptr, 0, 200, &ChooseFirstItem);
    m_bar.TrackMenu(0, true);
    EXPECT_FALSE(m_bar.IsTracking());
    EXPECT_EQ(command, static_cast<UINT>(ID_FILE_OPEN));
    ::RemoveWindowSubclass(m_frame, &CCommandSink::Proc, 1);
}

TEST(ContextMenu, OnlyTheKeyboardsPointOpensAtTheOwnersCorner) {
    const HWND owner =
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 120, 80, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    const struct {
        POINT asked;
        POINT placed;
    } cases[] = {
        {{-1, -1}, {120, 80}},    // from the keyboard
        {{-1, 40}, {-1, 40}},     // a monitor left of the primary one
        {{-300, -20}, {-300, -20}},
        {{500, 600}, {500, 600}},
    };
    for (const auto& c : cases) {
        const POINT placed = win::CContextMenu::Placement(c.asked, owner);
        EXPECT_EQ(placed.x, c.placed.x) << c.asked.x << "," << c.asked.y;
        EXPECT_EQ(placed.y, c.placed.y) << c.asked.x << "," << c.asked.y;
    }
    ::DestroyWindow(owner);
}

} // namespace
