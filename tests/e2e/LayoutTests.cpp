// The main window's placement: written to the layout file at close, restored at the next start.

#include "common/TestFiles.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

RECT NormalRect(HWND hwnd) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(hwnd, &placement);
    return placement.rcNormalPosition;
}

bool CloseAndWait(CFolivexProcess& app) {
    return app.Close() && app.WaitForExit() == 0u;
}

// A layout file with one "main" record, put where the prepared program will find it.
bool WriteMainRecord(const CFolivexProcess& app, const std::string& attributes) {
    return WriteBytes(app.DataFolder() + L"\\chmlay.xml",
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<layout>\r\n  <window name=\"main\" " +
                          attributes + " />\r\n</layout>");
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

TEST(MainPlacement, ASecondInstanceTakesTheSizeButNotThePosition) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Prepare());
    ASSERT_TRUE(WriteMainRecord(app, "show=\"normal\" x=\"301\" y=\"202\" cx=\"500\" cy=\"400\""));
    ASSERT_TRUE(app.Start());
    const HWND first = app.WaitForMainWindow();
    ASSERT_NE(first, nullptr);
    const RECT firstRect = NormalRect(first);
    EXPECT_EQ(firstRect.left, 301);
    EXPECT_EQ(firstRect.top, 202);

    // A second process of the same executable, so the same data folder, while the first still runs.
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + app.ExePath() + L"\"";
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    win::CHandle secondProcess(pi.hProcess);
    win::CHandle secondThread(pi.hThread);
    HWND second = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<HWND> frames = TopLevelWindows(pi.dwProcessId, CFolivexProcess::kMainFrameClass);
        second = frames.empty() ? nullptr : frames.front();
        return second != nullptr;
    }));
    const RECT secondRect = NormalRect(second);
    EXPECT_EQ(secondRect.right - secondRect.left, 500);
    EXPECT_EQ(secondRect.bottom - secondRect.top, 400);
    EXPECT_FALSE(secondRect.left == 301 && secondRect.top == 202);

    ::PostMessageW(second, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(secondProcess.Get(), 30000), WAIT_OBJECT_0);
    EXPECT_TRUE(CloseAndWait(app));
}

TEST(MainPlacement, AMaximizedRecordAlwaysRestoresMaximized) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Prepare());
    ASSERT_TRUE(WriteMainRecord(app, "show=\"max\" x=\"-40\" y=\"10\" cx=\"700\" cy=\"500\""));
    ASSERT_TRUE(app.Start());
    const HWND frame = app.WaitForMainWindow();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(::IsZoomed(frame));
    // The normal placement survives the maximized session (read back from what the program writes: another
    // process's normal rectangle is not visible to us on every platform).
    ASSERT_TRUE(CloseAndWait(app));
    const std::string text = ReadBytes(app.DataFolder() + L"\\chmlay.xml");
    EXPECT_NE(text.find("show=\"max\" x=\"-40\" y=\"10\" cx=\"700\" cy=\"500\""), std::string::npos) << text;
}

TEST(MainPlacement, AnUnreadableLayoutIsReportedAndTheWindowStillShows) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Prepare());
    const std::string broken = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<layout>\r\n"
                               "  <window show=\"normal\" x=\"1\" y=\"2\" />\r\n</layout>";
    ASSERT_TRUE(WriteBytes(app.DataFolder() + L"\\chmlay.xml", broken));
    ASSERT_TRUE(app.Start());
    const auto box = app.WaitForMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->caption, L"Folivex");
    EXPECT_EQ(box->text.rfind(L"ウィンドウレイアウトの読込み処理でエラーが発生しました。\n", 0), 0u) << box->text;
    EXPECT_NE(box->text.find(L"XmlReader:"), std::wstring::npos);
    EXPECT_TRUE(PressButton(box->window, IDOK));
    ASSERT_NE(app.WaitForMainWindow(), nullptr);
    // The unreadable file is not overwritten by the failed store; the close writes a fresh layout.
    EXPECT_EQ(ReadBytes(app.DataFolder() + L"\\chmlay.xml"), broken);
    ASSERT_TRUE(CloseAndWait(app));
    EXPECT_NE(ReadBytes(app.DataFolder() + L"\\chmlay.xml").find("name=\"main\""), std::string::npos);
}

} // namespace
