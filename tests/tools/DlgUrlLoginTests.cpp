#include "ToolsTestSupport.h"

#include "tools/DlgUrlLogin.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace {

using transfer::CCommAuth;

CCommAuth Auth(uint32_t scheme, uint32_t secure) {
    CCommAuth auth;
    auth.scheme = scheme;
    auth.secure = secure;
    return auth;
}

TEST(DlgUrlLogin, SchemeTextProtectionAndHostFollowTheRequest) {
    const struct {
        uint32_t scheme;
        uint32_t secure;
        const wchar_t* text;
        bool isProtected;
    } cases[] = {
        {CCommAuth::kSchemeUnknown, 0, L"?????", false},
        {CCommAuth::kSchemeUnknown, 1, L"?????", true},
        {CCommAuth::kSchemeBasic, 0, L"HTTP-BASIC認証", false},
        {CCommAuth::kSchemeBasic, 1, L"HTTP-BASIC認証（SSL/TLS）", true},
        {CCommAuth::kSchemeDigest, 0, L"HTTP-DIGEST認証", true},
        {CCommAuth::kSchemeDigest, 1, L"HTTP-DIGEST認証（SSL/TLS）", true},
        {CCommAuth::kSchemeFtp, 0, L"FTP認証", false},
        {7, 0, L"?????", false},
    };
    for (const auto& c : cases) {
        const CCommAuth auth = Auth(c.scheme, c.secure);
        EXPECT_EQ(tools::AuthSchemeText(auth), c.text) << c.scheme << "/" << c.secure;
        EXPECT_EQ(tools::CredentialsProtected(auth), c.isProtected) << c.scheme << "/" << c.secure;
    }
    EXPECT_EQ(tools::LoginHostText(transfer::CUrlConn()), L"?????");
}

TEST(DlgUrlLogin, DialogShowsGuideColourAndWarningByRequest) {
    transfer::CUrlConn connection;
    ASSERT_TRUE(connection.SetAddress(L"http://intra.example.com/doc.chm"));
    connection.user = L"山田";
    connection.password = L"secret";
    const struct {
        uint32_t scheme;
        uint32_t secure;
        uint32_t retries;
        UINT guide;
        COLORREF colour;
        bool warning;
    } cases[] = {
        {CCommAuth::kSchemeBasic, 0, 0, IDS_LOGIN_PROMPT, RGB(0, 0, 0), true},
        {CCommAuth::kSchemeBasic, 1, 1, IDS_LOGIN_RETRY, RGB(255, 0, 0), false},
        {CCommAuth::kSchemeDigest, 0, 3, IDS_LOGIN_RETRY, RGB(255, 0, 0), false},
        {CCommAuth::kSchemeFtp, 0, 0, IDS_LOGIN_PROMPT, RGB(0, 0, 0), true},
    };
    const HDC dc = ::CreateCompatibleDC(nullptr);
    for (const auto& c : cases) {
        tools::CDlgUrlLogin dialog(connection, Auth(c.scheme, c.secure), c.retries);
        const HWND hwnd = dialog.Create(nullptr);
        ASSERT_NE(hwnd, nullptr);
        const HWND guide = ::GetDlgItem(hwnd, IDC_LOGIN_GUIDE);
        EXPECT_EQ(WindowText(guide), win::LoadStr(c.guide));
        ::SetTextColor(dc, RGB(1, 2, 3));
        ::SendMessageW(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(guide));
        EXPECT_EQ(::GetTextColor(dc), c.colour);
        EXPECT_EQ(HasVisibleStyle(::GetDlgItem(hwnd, IDC_LOGIN_WARNING)), c.warning);
        EXPECT_EQ(WindowText(::GetDlgItem(hwnd, IDC_LOGIN_HOST)), L"intra.example.com");
        EXPECT_EQ(WindowText(::GetDlgItem(hwnd, IDC_LOGIN_SCHEME)), tools::AuthSchemeText(Auth(c.scheme, c.secure)));
        dialog.EndDialog(IDCANCEL);
    }
    ::DeleteDC(dc);
}

TEST(DlgUrlLogin, EnterInAnEditMovesToOkAndOnlyOkCloses) {
    transfer::CUrlConn connection;
    ASSERT_TRUE(connection.SetAddress(L"ftp://ftp.example.net/pub/doc.chm"));
    connection.user = L"anonymous";
    connection.password = L"old";
    tools::CDlgUrlLogin dialog(connection, Auth(CCommAuth::kSchemeFtp, 0), 0);
    const HWND hwnd = dialog.Create(nullptr);
    ASSERT_NE(hwnd, nullptr);
    ::ShowWindow(hwnd, SW_SHOW);
    const HWND user = ::GetDlgItem(hwnd, IDC_LOGIN_NAME);
    const HWND password = ::GetDlgItem(hwnd, IDC_LOGIN_PASSWORD);
    EXPECT_EQ(WindowText(user), L"anonymous");
    EXPECT_EQ(::SendMessageW(password, EM_GETLIMITTEXT, 0, 0), tools::CDlgUrlLogin::kMaxInput);
    ::SetWindowTextW(user, L"guest");
    ::SetWindowTextW(password, L"");
    ::SetFocus(password);
    ::SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(hwnd, IDOK));
    ::SendMessageW(hwnd, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(dialog.User(), L"guest");
    // Empty fields are accepted as they are.
    EXPECT_EQ(dialog.Password(), L"");
}

} // namespace
