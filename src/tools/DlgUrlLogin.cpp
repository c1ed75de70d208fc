#include "tools/DlgUrlLogin.h"

#include "win/MessageBox.h"
#include "win/Module.h"
#include "win/Strings.h"

#include "resource.h"

#include <commctrl.h>

namespace tools {

namespace {
constexpr COLORREF kGuideColour = RGB(0, 0, 0);
constexpr COLORREF kRetryColour = RGB(255, 0, 0);
// The balloon wraps its text at this width, in pixels.
constexpr LPARAM kTipWidth = 320;
} // namespace

bool CredentialsProtected(const transfer::CCommAuth& auth) noexcept {
    return auth.scheme == transfer::CCommAuth::kSchemeDigest || auth.secure != 0;
}

std::wstring AuthSchemeText(const transfer::CCommAuth& auth) {
    UINT id = 0;
    switch (auth.scheme) {
    case transfer::CCommAuth::kSchemeBasic:
        id = IDS_AUTH_BASIC;
        break;
    case transfer::CCommAuth::kSchemeDigest:
        id = IDS_AUTH_DIGEST;
        break;
    case transfer::CCommAuth::kSchemeFtp:
        id = IDS_AUTH_FTP;
        break;
    default:
        return win::LoadStr(IDS_UNKNOWN_VALUE);
    }
    std::wstring text = win::LoadStr(id);
    if (auth.secure != 0) {
        text += win::LoadStr(IDS_AUTH_SECURE);
    }
    return text;
}

std::wstring LoginHostText(const transfer::CUrlConn& connection) {
    const std::wstring& host = connection.Address().Host();
    return host.empty() ? win::LoadStr(IDS_UNKNOWN_VALUE) : host;
}

LoginGuide LoginGuideFor(uint32_t retryCount) noexcept {
    if (retryCount == 0) {
        return {IDS_LOGIN_PROMPT, kGuideColour};
    }
    return {IDS_LOGIN_RETRY, kRetryColour};
}

CDlgUrlLogin::CDlgUrlLogin(const transfer::CUrlConn& connection, const transfer::CCommAuth& auth, uint32_t retryCount)
    : CDialogImpl(IDD_LOGIN), m_connection(connection), m_auth(auth), m_retryCount(retryCount), m_user(connection.user),
      m_password(connection.password) {}

bool CDlgUrlLogin::OnInitDialog() {
    const HWND user = GetDlgItem(IDC_LOGIN_NAME);
    const HWND password = GetDlgItem(IDC_LOGIN_PASSWORD);
    const HWND icon = GetDlgItem(IDC_LOGIN_WARNING);
    if (!user || !password || !icon) {
        return false;
    }
    ::SendMessageW(user, EM_LIMITTEXT, kMaxInput, 0);
    ::SendMessageW(password, EM_LIMITTEXT, kMaxInput, 0);
    bool ok = ::SetDlgItemTextW(m_hWnd, IDC_LOGIN_HOST, LoginHostText(m_connection).c_str()) != FALSE;
    ok = ::SetDlgItemTextW(m_hWnd, IDC_LOGIN_GUIDE, win::LoadStr(LoginGuideFor(m_retryCount).textId).c_str()) && ok;
    ok = ::SetDlgItemTextW(m_hWnd, IDC_LOGIN_SCHEME, AuthSchemeText(m_auth).c_str()) && ok;
    ok = ::SetWindowTextW(user, m_user.c_str()) && ok;
    ok = ::SetWindowTextW(password, m_password.c_str()) && ok;
    if (!CredentialsProtected(m_auth)) {
        ::ShowWindow(icon, SW_SHOW);
        // The warning still holds without its balloon: a missing tooltip is not worth refusing the login.
        (void)AttachWarningTip(icon);
    }
    (void)CenterOn();
    return ok;
}

bool CDlgUrlLogin::AttachWarningTip(HWND icon) {
    m_tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                  WS_POPUP | TTS_BALLOON | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, win::CAppModule::Instance(), nullptr);
    if (!m_tooltip) {
        return false;
    }
    std::wstring text = win::LoadStr(IDS_LOGIN_UNPROTECTED);
    const std::wstring title = win::LoadStr(IDS_BALLOON_TITLE);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hWnd;
    tool.uId = reinterpret_cast<UINT_PTR>(icon);
    tool.lpszText = text.data();
    if (!::SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) {
        return false;
    }
    ::SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, kTipWidth);
    return ::SendMessageW(m_tooltip, TTM_SETTITLEW, TTI_WARNING, reinterpret_cast<LPARAM>(title.c_str())) != FALSE;
}

void CDlgUrlLogin::OnOk() {
    // Enter in an edit only moves on to OK; the dialog closes on OK itself, so a hasty Enter sends nothing.
    const HWND ok = GetDlgItem(IDOK);
    if (ok && ::GetFocus() != ok) {
        Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ok), TRUE);
        return;
    }
    const win::CWindow user(GetDlgItem(IDC_LOGIN_NAME));
    const win::CWindow password(GetDlgItem(IDC_LOGIN_PASSWORD));
    if (!user.m_hWnd || !password.m_hWnd) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
        return;
    }
    m_user = user.GetText();
    m_password = password.GetText();
    EndDialog(IDOK);
}

bool CDlgUrlLogin::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        if (!OnInitDialog()) {
            win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
            EndDialog(IDCANCEL);
        }
        // The first tab stop, the user name, takes the focus.
        result = TRUE;
        return true;
    case WM_CTLCOLORSTATIC: {
        if (reinterpret_cast<HWND>(lp) != GetDlgItem(IDC_LOGIN_GUIDE)) {
            return false;
        }
        const HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, LoginGuideFor(m_retryCount).colour);
        ::SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            OnOk();
            result = 0;
            return true;
        case IDCANCEL:
            EndDialog(IDCANCEL);
            result = 0;
            return true;
        default:
            return false;
        }
    case WM_DESTROY:
        if (m_tooltip) {
            ::DestroyWindow(m_tooltip);
            m_tooltip = nullptr;
        }
        return false;
    default:
        return false;
    }
}

} // namespace tools
