#include "ToolsTestSupport.h"

#include "tools/DlgInfo.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace {

TEST(DlgInfo, BothBoxesShowTheirTextsAndClose) {
    tools::CDlgExecInfo info(L"スタンドアロン", L"C:\\データ", L"C:\\Folivex\\folivex.exe");
    tools::CDlgAbout about;
    const HWND infoWindow = info.Create(nullptr);
    const HWND aboutWindow = about.Create(nullptr);
    ASSERT_TRUE(infoWindow && aboutWindow);
    EXPECT_EQ(WindowText(::GetDlgItem(infoWindow, IDC_EXEC_MODE)), L"スタンドアロン");
    EXPECT_EQ(WindowText(::GetDlgItem(infoWindow, IDC_EXEC_DIR)), L"C:\\データ");
    EXPECT_EQ(WindowText(::GetDlgItem(infoWindow, IDC_EXEC_PATH)), L"C:\\Folivex\\folivex.exe");
    EXPECT_EQ(WindowText(::GetDlgItem(aboutWindow, IDC_ABOUT_NAME)), L"Folivex");
    ::SendMessageW(infoWindow, WM_COMMAND, IDCANCEL, 0);
    ::SendMessageW(aboutWindow, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(::IsWindow(infoWindow) || ::IsWindow(aboutWindow));
}

} // namespace
