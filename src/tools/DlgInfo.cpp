#include "tools/DlgInfo.h"

#include "win/Strings.h"

#include "resource.h"

#include <utility>

#ifndef FOLIVEX_VERSION_MAJOR
#error "the build defines the program's version"
#endif

namespace tools {

namespace {

// Escape, Enter and the close box all just close an information box.
bool CloseOnCommand(win::CDialogImpl& dialog, WPARAM wp) {
    const int id = LOWORD(wp);
    if (id == IDOK || id == IDCANCEL) {
        dialog.EndDialog(id);
        return true;
    }
    return false;
}

} // namespace

CDlgExecInfo::CDlgExecInfo(std::wstring modeName, std::wstring execDir, std::wstring exePath)
    : CDialogImpl(IDD_EXEC_INFO), m_modeName(std::move(modeName)), m_execDir(std::move(execDir)),
      m_exePath(std::move(exePath)) {}

bool CDlgExecInfo::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        ::SetDlgItemTextW(m_hWnd, IDC_EXEC_MODE, m_modeName.c_str());
        ::SetDlgItemTextW(m_hWnd, IDC_EXEC_DIR, m_execDir.c_str());
        ::SetDlgItemTextW(m_hWnd, IDC_EXEC_PATH, m_exePath.c_str());
        (void)CenterOn();
        // OK takes the focus, not the first edit: a selected path would look like something to edit.
        if (const HWND ok = GetDlgItem(IDOK)) {
            (void)::SetFocus(ok);
        }
        result = FALSE;
        return true;
    case WM_COMMAND:
        result = 0;
        return CloseOnCommand(*this, wp);
    default:
        return false;
    }
}

CDlgAbout::CDlgAbout() : CDialogImpl(IDD_ABOUT) {}

CDlgAbout::~CDlgAbout() {
    if (IsWindow()) {
        ::DestroyWindow(m_hWnd);
    }
}

std::wstring CDlgAbout::VersionText() {
    return std::to_wstring(FOLIVEX_VERSION_MAJOR) + L"." + std::to_wstring(FOLIVEX_VERSION_MINOR) + L"." +
           std::to_wstring(FOLIVEX_VERSION_PATCH);
}

void CDlgAbout::OnInitDialog() {
    const HWND name = GetDlgItem(IDC_ABOUT_NAME);
    if (name) {
        ::SetWindowTextW(name, win::LoadStr(IDS_PRODUCT_NAME).c_str());
        LOGFONTW face{};
        const auto dialogFont = reinterpret_cast<HFONT>(Send(WM_GETFONT));
        if (dialogFont && ::GetObjectW(dialogFont, sizeof(face), &face) == sizeof(face)) {
            face.lfHeight = face.lfHeight * 8 / 5;
            face.lfWeight = FW_BOLD;
            m_titleFont.Reset(::CreateFontIndirectW(&face));
            if (m_titleFont) {
                ::SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.Get()), FALSE);
            }
        }
    }
    // The template holds the label; the number comes from the build.
    if (const win::CWindow version{GetDlgItem(IDC_ABOUT_VERSION)}; version.m_hWnd) {
        (void)version.SetText(version.GetText() + L" " + VersionText());
    }
    (void)CenterOn();
}

bool CDlgAbout::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = TRUE;
        return true;
    case WM_COMMAND:
        result = 0;
        return CloseOnCommand(*this, wp);
    case WM_NCDESTROY:
        // The name's font may go only once the window that draws with it has gone.
        (void)m_titleFont.Close();
        return false;
    default:
        return false;
    }
}

} // namespace tools
