#include "viewer/DlgHHZoom.h"

#include "viewer/FrameCommands.h"
#include "viewer/HelpControl.h"

#include "resource.h"

#include <commctrl.h>

namespace viewer {

CDlgHHZoom::CDlgHHZoom(HWND topicView, ZoomRange range) noexcept
    : CDialogImpl(IDD_HH_ZOOM), m_topicView(topicView), m_range(range) {}

void CDlgHHZoom::Refresh() const {
    const LRESULT zoom = ::SendMessageW(m_topicView, WM_HH_OP3, 0, 0);
    if (zoom >= 0) {
        ::SetDlgItemInt(m_hWnd, IDC_ZOOM_VALUE, static_cast<UINT>(zoom), FALSE);
    }
}

bool CDlgHHZoom::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        ::SendDlgItemMessageW(hwnd, IDC_ZOOM_SPIN, UDM_SETRANGE32, static_cast<WPARAM>(m_range.minimum),
                              m_range.maximum);
        Refresh();
        result = TRUE;
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->idFrom != IDC_ZOOM_SPIN || header->code != static_cast<UINT>(UDN_DELTAPOS)) {
            return false;
        }
        // The arrows step as the zoom commands do, not by one.
        const int delta = reinterpret_cast<const NMUPDOWN*>(lp)->iDelta;
        if (delta != 0) {
            ::SendMessageW(m_topicView, WM_COMMAND, delta > 0 ? kBrowserZoomIn : kBrowserZoomOut, 0);
            Refresh();
        }
        result = TRUE; // the control keeps its own value out of it
        return true;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_ZOOM_ACTUAL:
            ::SendMessageW(m_topicView, WM_HH_OP4, 100, 0);
            Refresh();
            break;
        case IDOK: {
            BOOL read = FALSE;
            const UINT value = ::GetDlgItemInt(hwnd, IDC_ZOOM_VALUE, &read, FALSE);
            if (read) {
                ::SendMessageW(m_topicView, WM_HH_OP4, value, 0);
            }
            EndDialog(IDOK);
            break;
        }
        case IDCANCEL:
            EndDialog(IDCANCEL);
            break;
        default:
            return false;
        }
        result = 0;
        return true;
    default:
        return false;
    }
}

} // namespace viewer
