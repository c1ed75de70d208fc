// Start-up and shutdown of a real folivex.exe: the ways it ends, a store file another program writes while it
// runs, and the main window's placement written at close and restored at the next start.

#include "common/TestFiles.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

constexpr UINT kCommandExit = 0xE141;

TEST(RunningFolivex, CloseOrTheExitCommandEndsTheProcessCleanly) {
    for (const bool byCommand : {false, true}) {
        CFolivexProcess app;
        ASSERT_TRUE(app.Start());
        ASSERT_NE(app.WaitForMainWindow(), nullptr);
        EXPECT_EQ(app.Caption(), L"Folivex");
        ASSERT_TRUE(byCommand ? app.SendCommand(kCommandExit) : app.Close());
        EXPECT_EQ(app.WaitForExit(), 0u);
        EXPECT_TRUE(ProcessesRunningFrom(app.DataFolder()).empty());
    }
}

TEST(StoreReload, AStoreFileAnotherProgramWritesIsReloadedWhileRunning) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Start());
    ASSERT_NE(app.WaitForMainWindow(), nullptr);
    ASSERT_FALSE(app.WaitForMessageBox(std::chrono::milliseconds(500)).has_value());

    // The layout file is not watched: nothing happens.
    ASSERT_TRUE(WriteBytes(app.DataFolder() + L"\\chmlay.xml", kXmlHeader + "<layout><window /></layout>"));
    // A key file written by someone else is read at once; this one cannot be, which the program says.
    ASSERT_TRUE(WriteBytes(app.DataFolder() + L"\\chmkey.xml", kXmlHeader + "<shortkey />"));
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->text.rfind(L"ショートカットキーの更新処理でエラーが発生しました。\n", 0), 0u);
    ASSERT_TRUE(PressButton(*box, IDOK));
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(box->window); }));
    ASSERT_TRUE(app.Close());
    EXPECT_EQ(app.WaitForExit(), 0u);
}

RECT NormalRect(HWND hwnd) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(hwnd, &placement);
    return placement.rcNormalPosition;
}

bool CloseAndWait(CFolivexProcess& app) {
    return app.Close() && app.WaitForExit() == 0u;
}

TEST(MainPlacement, FirstCloseWritesTheLayoutFileAndTheNextStartRestoresIt) {
    CFolivexProcess first;
    ASSERT_TRUE(first.Start());
    const HWND frame = first.WaitForMainWindow();
    ASSERT_NE(frame, nullptr);
    const std::wstring layout = first.DataFolder() + L"\\chmlay.xml";
    EXPECT_EQ(::GetFileAttributesW(layout.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(::SetWindowPos(frame, nullptr, 123, 87, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE));
    const RECT placed = NormalRect(frame);
    ASSERT_TRUE(CloseAndWait(first));

    const std::string text = ReadBytes(layout);
    const std::string expected = "<window name=\"main\" show=\"normal\" x=\"" + std::to_string(placed.left) +
                                 "\" y=\"" + std::to_string(placed.top) + "\" cx=\"640\" cy=\"480\" />";
    EXPECT_NE(text.find(expected), std::string::npos) << text;

    // A program finding that file opens where the window was left.
    CFolivexProcess next;
    ASSERT_TRUE(next.StartWithFileOf(first, L"chmlay.xml"));
    const HWND again = next.WaitForMainWindow();
    ASSERT_NE(again, nullptr);
    const RECT restored = NormalRect(again);
    EXPECT_EQ(restored.left, placed.left);
    EXPECT_EQ(restored.top, placed.top);
    EXPECT_EQ(restored.right - restored.left, 640);
    EXPECT_EQ(restored.bottom - restored.top, 480);
    EXPECT_TRUE(CloseAndWait(next));
}

} // namespace
