// Start-up and shutdown of a real folivex.exe: its main frame, its command bar and the ways it ends.

#include "driver/FolivexProcess.h"
#include "driver/Windows.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr UINT kCommandExit = 0xE141;

// A started Folivex whose main frame is up; it is closed again when the test ends.
class RunningFolivex : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_app.Start());
        ASSERT_NE(m_app.WaitForMainWindow(), nullptr) << "no main frame appeared";
    }
    void TearDown() override {
        if (m_app.IsRunning() && m_app.Close()) {
            (void)m_app.WaitForExit();
        }
    }

    CFolivexProcess m_app;
};

TEST_F(RunningFolivex, CaptionIsTheProductName) {
    EXPECT_EQ(m_app.Caption(), L"Folivex");
}

TEST_F(RunningFolivex, CommandBarInARebarShowsTheThreeMenus) {
    const std::vector<HWND> rebars = ChildWindows(m_app.MainWindow(), L"ReBarWindow32");
    ASSERT_EQ(rebars.size(), 1u);
    const std::vector<HWND> bars = ChildWindows(rebars[0], L"ToolbarWindow32");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(::GetParent(bars[0]), rebars[0]);
    EXPECT_EQ(ToolbarButtonCount(bars[0]), 3);
    const auto texts = ToolbarButtonTexts(bars[0]);
    ASSERT_TRUE(texts.has_value());
    EXPECT_EQ(*texts, (std::vector<std::wstring>{L"ドキュメント(&D)", L"サブウィンドウ(&W)", L"その他(&O)"}));
}

TEST_F(RunningFolivex, CloseEndsTheProcessCleanly) {
    ASSERT_TRUE(m_app.Close());
    EXPECT_EQ(m_app.WaitForExit(), 0u);
    EXPECT_FALSE(m_app.IsRunning());
    EXPECT_TRUE(ProcessesRunningFrom(m_app.DataFolder()).empty());
}

TEST_F(RunningFolivex, ExitCommandEndsTheProcessCleanly) {
    ASSERT_TRUE(m_app.SendCommand(kCommandExit));
    EXPECT_EQ(m_app.WaitForExit(), 0u);
    EXPECT_TRUE(ProcessesRunningFrom(m_app.DataFolder()).empty());
}

TEST(FolivexInstances, TwoFromTheirOwnFoldersRunSideBySide) {
    CFolivexProcess first;
    CFolivexProcess second;
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());
    ASSERT_NE(first.WaitForMainWindow(), nullptr);
    ASSERT_NE(second.WaitForMainWindow(), nullptr);
    EXPECT_NE(first.DataFolder(), second.DataFolder());
    EXPECT_NE(first.MainWindow(), second.MainWindow());

    ASSERT_TRUE(first.Close());
    EXPECT_EQ(first.WaitForExit(), 0u);
    // The second one outlives the first untouched.
    EXPECT_TRUE(second.IsRunning());
    EXPECT_EQ(second.FindMainWindow(), second.MainWindow());
    ASSERT_TRUE(second.Close());
    EXPECT_EQ(second.WaitForExit(), 0u);
}

} // namespace
