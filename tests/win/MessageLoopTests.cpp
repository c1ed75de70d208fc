#include "win/MessageLoop.h"
#include "win/UpdateUI.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class CRecordingFilter : public win::CMessageFilter {
public:
    CRecordingFilter(std::vector<int>& log, int id, bool handles) : m_log(log), m_id(id), m_handles(handles) {}
    win::CMessageLoop* removeFrom = nullptr;
    CMessageFilter* removeOther = nullptr;

    bool PreTranslateMessage(MSG&) override {
        m_log.push_back(m_id);
        if (removeFrom) {
            removeFrom->RemoveMessageFilter(removeOther ? removeOther : this);
        }
        return m_handles;
    }

private:
    std::vector<int>& m_log;
    int m_id;
    bool m_handles;
};

TEST(MessageLoop, NewestFilterIsAskedFirstAndAHandledMessageStops) {
    win::CMessageLoop loop;
    std::vector<int> log;
    CRecordingFilter first(log, 1, false), second(log, 2, true), third(log, 3, false);
    ASSERT_TRUE(loop.AddMessageFilter(&first));
    ASSERT_TRUE(loop.AddMessageFilter(&second));
    ASSERT_TRUE(loop.AddMessageFilter(&third));
    EXPECT_FALSE(loop.AddMessageFilter(&second));
    MSG msg{};
    EXPECT_TRUE(loop.PreTranslateMessage(msg));
    EXPECT_EQ(log, (std::vector<int>{3, 2}));

    EXPECT_TRUE(loop.RemoveMessageFilter(&second));
    EXPECT_FALSE(loop.RemoveMessageFilter(&second));
    // A filter removed by another while filtering is not asked any more.
    third.removeFrom = &loop;
    third.removeOther = &first;
    log.clear();
    EXPECT_FALSE(loop.PreTranslateMessage(msg));
    EXPECT_EQ(log, (std::vector<int>{3}));
}

class CCountingIdle : public win::CIdleHandler {
public:
    int calls = 0;
    void OnIdle() override {
        if (++calls == 1) {
            ::PostQuitMessage(7);
        }
    }
};

TEST(MessageLoop, RunCallsIdleHandlersAndReturnsTheQuitCode) {
    win::CMessageLoop loop;
    CCountingIdle idle;
    ASSERT_TRUE(loop.AddIdleHandler(&idle));
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_GE(idle.calls, 1);
    EXPECT_TRUE(loop.RemoveIdleHandler(&idle));
}

TEST(UpdateUI, AppliesStatesToMenuItemsAndLeavesOthersAlone) {
    HMENU menu = ::CreatePopupMenu();
    for (UINT id = 100; id <= 103; ++id) {
        ::AppendMenuW(menu, MF_STRING | (id == 103 ? MF_GRAYED : 0), id, L"item");
    }
    // Enabled and unchecked, grayed, checked; 103 is never set and keeps its own state.
    const auto states = [&] {
        std::wstring text;
        for (UINT id = 100; id <= 103; ++id) {
            const UINT state = ::GetMenuState(menu, id, MF_BYCOMMAND);
            text += (state & MF_GRAYED) ? L'g' : L'-';
            text += (state & MF_CHECKED) ? L'c' : L'-';
        }
        return text;
    };
    win::CUpdateUI ui;
    ui.UIEnable(101, false);
    ui.UISetCheck(102, true);
    ui.UIEnable(100, true);
    ui.UIUpdateMenu(menu);
    EXPECT_EQ(states(), L"--g--cg-");
    EXPECT_TRUE(ui.UIIsEnabled(999));
    EXPECT_FALSE(ui.UIIsChecked(999));
    ui.UIEnable(101, true);
    ui.UISetCheck(102, false);
    ui.UIUpdateMenu(menu);
    EXPECT_EQ(states(), L"------g-");
    ::DestroyMenu(menu);
}

} // namespace
