// The property window of a real folivex.exe: shown by its command, listing the open document's records, and
// placed where it was left when the program starts again.

#include "common/TestFiles.h"
#include "driver/Documents.h"
#include "driver/FolivexProcess.h"
#include "driver/Windows.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

using Texts = std::vector<std::wstring>;

// The visible property window of the process behind `frame`, once there is one.
HWND WaitForPropertyWindow(HWND frame) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(frame, &pid);
    HWND found = nullptr;
    WaitUntil([&] {
        for (const HWND window : TopLevelWindows(pid, kDialogClass)) {
            if (WindowText(window) == L"プロパティ") {
                found = window;
                return true;
            }
        }
        return false;
    });
    return found;
}

bool WaitForColumn(HWND list, int column, const Texts& expected) {
    return WaitUntil([&] { return ListViewTexts(list, column) == expected; });
}

TEST(PropertyWindow, ListsTheOpenDocumentAndComesBackWhereItWasLeft) {
    CFolivexProcess app;
    ASSERT_TRUE(app.Start({TestDocument(L"alpha")}));
    const HWND frame = app.WaitForMainWindow();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(app.WaitForCaption(L"Alpha Document - Folivex"));
    ASSERT_TRUE(app.SendCommand(ID_VIEW_PROPERTY));
    const HWND dialog = WaitForPropertyWindow(frame);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), frame);
    const HWND list = ::GetDlgItem(dialog, IDC_PROP_LIST);
    const HWND box = ::GetDlgItem(dialog, IDC_PROP_CATEGORY);

    const std::wstring path = TestDocument(L"alpha");
    EXPECT_TRUE(WaitForColumn(list, 0, {L"タイトル", L"ファイル名", L"ファイルパス", L"開いた日時"}))
        << ListViewTexts(list, 0).value_or(Texts{}).size();
    const auto contents = ListViewTexts(list, 1);
    ASSERT_TRUE(contents.has_value());
    ASSERT_EQ(contents->size(), 4u);
    EXPECT_EQ((*contents)[0], L"Alpha Document");
    EXPECT_EQ((*contents)[1], path.substr(path.find_last_of(L'\\') + 1));
    EXPECT_EQ((*contents)[2], path);

    // The file page, chosen in the box as a user would.
    ASSERT_TRUE(::PostMessageW(box, CB_SETCURSEL, 1, 0));
    ASSERT_TRUE(::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROP_CATEGORY, CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(box)));
    EXPECT_TRUE(WaitForColumn(list, 0, {L"作成日時", L"更新日時", L"アクセス日時", L"サイズ"}));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
    const auto sizeRow = ListViewTexts(list, 1);
    ASSERT_TRUE(sizeRow.has_value() && sizeRow->size() == 4u);
    EXPECT_EQ(sizeRow->back(), std::to_wstring(data.nFileSizeLow) + L" バイト");

    // Left beside the frame at a size of its own; the layout file keeps it relative to the frame.
    RECT frameRect{};
    ASSERT_TRUE(::GetWindowRect(frame, &frameRect));
    ASSERT_TRUE(::SetWindowPos(dialog, nullptr, frameRect.left + 50, frameRect.top + 60, 400, 300,
                               SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(app.Close());
    ASSERT_EQ(app.WaitForExit(), 0u);
    const std::wstring layout = app.DataFolder() + L"\\chmlay.xml";
    const std::string text = ReadBytes(layout);
    EXPECT_NE(text.find("<window name=\"docprop\" show=\"normal\" x=\"50\" y=\"60\" cx=\"400\" cy=\"300\" "
                        "select=\"1\" />"),
              std::string::npos)
        << text;

    CFolivexProcess next;
    ASSERT_TRUE(next.StartWithFileOf(app, L"chmlay.xml"));
    const HWND again = next.WaitForMainWindow();
    ASSERT_NE(again, nullptr);
    const HWND restored = WaitForPropertyWindow(again);
    ASSERT_NE(restored, nullptr);
    RECT frameAgain{}, rc{};
    ASSERT_TRUE(::GetWindowRect(again, &frameAgain));
    ASSERT_TRUE(::GetWindowRect(restored, &rc));
    EXPECT_EQ(rc.left - frameAgain.left, 50);
    EXPECT_EQ(rc.top - frameAgain.top, 60);
    EXPECT_EQ(rc.right - rc.left, 400);
    EXPECT_EQ(rc.bottom - rc.top, 300);
    LRESULT selected = -1;
    EXPECT_TRUE(SendWithTimeout(::GetDlgItem(restored, IDC_PROP_CATEGORY), CB_GETCURSEL, 0, 0, selected));
    EXPECT_EQ(selected, 1);

    // The reset asks first, then hides the window.
    ASSERT_TRUE(PostCommand(next, ID_SUBWINDOW_RESET));
    const auto box2 = WaitForMessageBoxOf(next);
    ASSERT_TRUE(box2.has_value());
    EXPECT_EQ(box2->text, win::LoadStr(IDS_ASK_SUBWINDOW_RESET));
    ASSERT_TRUE(PressButton(*box2, IDYES));
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(restored); }));
    ASSERT_TRUE(next.Close());
    EXPECT_EQ(next.WaitForExit(), 0u);
}

} // namespace
