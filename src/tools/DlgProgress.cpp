#include "tools/DlgProgress.h"

#include "win/Strings.h"

#include "resource.h"

#include <commctrl.h>

#include <utility>

namespace tools {

namespace {
// How often the marquee moves, in milliseconds.
constexpr LPARAM kMarqueeInterval = 40;
} // namespace

CDlgProgress::CDlgProgress() : CDialogImpl(IDD_PROGRESS) {}

void CDlgProgress::SetAbortTarget(HWND window, UINT message) noexcept {
    m_abortTarget = window;
    m_abortMessage = message;
}

void CDlgProgress::SetText(UINT stringId) {
    m_text = win::LoadStr(stringId);
}

void CDlgProgress::SetText(std::wstring text) {
    m_text = std::move(text);
}

void CDlgProgress::SetMode(UINT mode) noexcept {
    m_mode = mode;
}

INT_PTR CDlgProgress::Run(HWND owner) {
    m_ending = false;
    return DoModal(owner);
}

bool CDlgProgress::IsRunning() const noexcept {
    return m_hWnd && ::IsWindow(m_hWnd) && !m_ending;
}

bool CDlgProgress::End() {
    if (!IsRunning()) {
        return false;
    }
    m_ending = true;
    return EndDialog(kEnded);
}

bool CDlgProgress::Refresh() {
    if (!IsWindow()) {
        return false;
    }
    std::wstring text;
    if (m_confirm) {
        text = win::LoadStr(IDS_PROGRESS_ASK_ABORT);
    } else if (!m_text.empty()) {
        text = m_text;
    } else {
        text = win::LoadStr(IDS_PROGRESS_DEFAULT);
    }
    const win::CWindow label(GetDlgItem(IDC_PROGRESS_TEXT));
    const win::CWindow bar(GetDlgItem(IDC_PROGRESS_BAR));
    const win::CWindow abort(GetDlgItem(IDC_PROGRESS_ABORT));
    const win::CWindow yes(GetDlgItem(IDC_PROGRESS_YES));
    const win::CWindow no(GetDlgItem(IDC_PROGRESS_NO));
    if (!label.m_hWnd || !bar.m_hWnd || !abort.m_hWnd || !yes.m_hWnd || !no.m_hWnd) {
        return false;
    }
    const bool canCancel = (m_mode & kModeCancel) != 0;
    bool ok = label.SetText(text);
    (void)bar.Show((m_mode & kModeBar) ? SW_SHOW : SW_HIDE);
    // Show and focus the new buttons before hiding the old ones, so the focus never sits on a hidden button.
    if (m_confirm) {
        (void)yes.Enable(canCancel);
        (void)no.Enable(true);
        (void)yes.Show(SW_SHOW);
        (void)no.Show(SW_SHOW);
        FocusControl(IDC_PROGRESS_NO);
        (void)abort.Show(SW_HIDE);
    } else {
        (void)abort.Enable(canCancel);
        (void)abort.Show(SW_SHOW);
        FocusControl(IDC_PROGRESS_ABORT);
        (void)yes.Show(SW_HIDE);
        (void)no.Show(SW_HIDE);
    }
    ok = Invalidate() && ok;
    return ok;
}

void CDlgProgress::FocusControl(int id) {
    const HWND control = GetDlgItem(id);
    if (control && ::IsWindowEnabled(control)) {
        Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    } else {
        // A disabled button cannot hold the focus; keep it inside the dialog rather than on a hidden control.
        (void)::SetFocus(m_hWnd);
    }
}

bool CDlgProgress::OnInitDialog() {
    const HWND bar = GetDlgItem(IDC_PROGRESS_BAR);
    if (!bar || !GetDlgItem(IDC_PROGRESS_TEXT) || !GetDlgItem(IDC_PROGRESS_ABORT) || !GetDlgItem(IDC_PROGRESS_YES) ||
        !GetDlgItem(IDC_PROGRESS_NO)) {
        return false;
    }
    (void)CenterOn();
    if (!Refresh()) {
        return false;
    }
    ::SendMessageW(bar, PBM_SETMARQUEE, TRUE, kMarqueeInterval);
    return true;
}

void CDlgProgress::OnCommand(int id) {
    const bool canCancel = (m_mode & kModeCancel) != 0;
    switch (id) {
    case IDC_PROGRESS_ABORT:
        if (canCancel && !m_confirm) {
            m_confirm = true;
            (void)Refresh();
        }
        break;
    case IDC_PROGRESS_NO:
        if (m_confirm) {
            m_confirm = false;
            (void)Refresh();
        }
        break;
    case IDC_PROGRESS_YES:
        if (canCancel && m_confirm) {
            // Sent, not posted: the workers' break events are set before the dialog says it is stopping.
            if (m_abortTarget && ::IsWindow(m_abortTarget)) {
                ::SendMessageW(m_abortTarget, m_abortMessage, 0, 0);
            }
            m_confirm = false;
            m_text = win::LoadStr(IDS_PROGRESS_ABORTING);
            m_mode = 0;
            (void)Refresh();
        }
        break;
    default:
        // Enter and Escape (IDOK, IDCANCEL) do nothing: only the owner ends the dialog.
        break;
    }
}

void CDlgProgress::OnDestroy() {
    if (const HWND bar = GetDlgItem(IDC_PROGRESS_BAR)) {
        ::SendMessageW(bar, PBM_SETMARQUEE, FALSE, 0);
    }
    m_text.clear();
    m_mode = 0;
    m_confirm = false;
}

bool CDlgProgress::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        if (!OnInitDialog()) {
            EndDialog(kInitFailed);
        }
        // The focus was placed by Refresh.
        result = FALSE;
        return true;
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) {
            OnCommand(LOWORD(wp));
        }
        result = 0;
        return true;
    case WM_DESTROY:
        OnDestroy();
        result = 0;
        return true;
    default:
        return false;
    }
}

} // namespace tools
