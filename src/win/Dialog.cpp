#include "win/Dialog.h"

#include "win/Module.h"

#include <algorithm>
#include <utility>

namespace win {

namespace {
// The dialog being created on this thread and whether it runs modally: it claims the first message.
struct Creating {
    CDialogImpl* dialog = nullptr;
    bool modal = false;
};
thread_local Creating t_creatingDialog;
} // namespace

CDialogImpl::~CDialogImpl() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        ::DestroyWindow(m_hWnd);
    }
    if (m_filtering) {
        if (CMessageLoop* loop = CAppModule::GetMessageLoop()) {
            loop->RemoveMessageFilter(this);
        }
    }
}

INT_PTR CDialogImpl::DoModal(HWND owner) {
    if (m_hWnd) {
        return -1;
    }
    // The object may be gone when the call returns (its final-message hook may delete it): the modal flag is
    // set when the window attaches and cleared with its last message, never after the call.
    const Creating previous = std::exchange(t_creatingDialog, Creating{this, true});
    const INT_PTR result = ::DialogBoxParamW(CAppModule::ResourceInstance(), MAKEINTRESOURCEW(m_templateId), owner,
                                             &DialogProc, reinterpret_cast<LPARAM>(this));
    t_creatingDialog = previous;
    return result;
}

HWND CDialogImpl::Create(HWND owner) {
    if (m_hWnd) {
        return nullptr;
    }
    const Creating previous = std::exchange(t_creatingDialog, Creating{this, false});
    const HWND hwnd = ::CreateDialogParamW(CAppModule::ResourceInstance(), MAKEINTRESOURCEW(m_templateId), owner,
                                           &DialogProc, reinterpret_cast<LPARAM>(this));
    t_creatingDialog = previous;
    if (hwnd) {
        if (CMessageLoop* loop = CAppModule::GetMessageLoop()) {
            m_filtering = loop->AddMessageFilter(this);
        }
    }
    return hwnd;
}

bool CDialogImpl::EndDialog(INT_PTR result) {
    if (!m_hWnd) {
        return false;
    }
    if (m_modal) {
        return ::EndDialog(m_hWnd, result) != FALSE;
    }
    return ::DestroyWindow(m_hWnd) != FALSE;
}

bool CDialogImpl::PreTranslateMessage(MSG& msg) {
    if (!m_hWnd || !::IsWindow(m_hWnd)) {
        return false;
    }
    if (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd)) {
        return false;
    }
    return ::IsDialogMessageW(m_hWnd, &msg) != FALSE;
}

INT_PTR CALLBACK CDialogImpl::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CDialogImpl*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) {
        // The first messages (WM_SETFONT, WM_INITDIALOG) come before we could attach.
        self = t_creatingDialog.dialog;
        if (!self) {
            return FALSE;
        }
        self->m_modal = t_creatingDialog.modal;
        t_creatingDialog = {};
        self->m_hWnd = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    ++self->m_dispatchDepth;
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->ProcessWindowMessage(hwnd, msg, wp, lp, result);
    } catch (...) {
        handled = false;
    }
    if (msg == WM_NCDESTROY) {
        self->m_destroyed = true;
    }
    INT_PTR ret = FALSE;
    if (handled) {
        switch (msg) {
        // These return their value directly instead of through DWLP_MSGRESULT.
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_INITDIALOG:
        case WM_QUERYDRAGICON:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            ret = static_cast<INT_PTR>(result);
            break;
        default:
            ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
            ret = TRUE;
            break;
        }
    }
    if (--self->m_dispatchDepth == 0 && self->m_destroyed) {
        self->m_destroyed = false;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        self->m_modal = false;
        if (self->m_filtering) {
            if (CMessageLoop* loop = CAppModule::GetMessageLoop()) {
                loop->RemoveMessageFilter(self);
            }
            self->m_filtering = false;
        }
        self->OnFinalMessage(hwnd);
    }
    return ret;
}

void CResizeAnchors::Init(HWND parent) {
    m_parent = parent;
    m_items.clear();
    RECT client{};
    ::GetClientRect(parent, &client);
    m_initial = {client.right, client.bottom};
    RECT window{};
    ::GetWindowRect(parent, &window);
    m_minTrack = {window.right - window.left, window.bottom - window.top};
}

bool CResizeAnchors::Add(int controlId, unsigned anchors) {
    const HWND control = ::GetDlgItem(m_parent, controlId);
    if (!control) {
        return false;
    }
    RECT rc{};
    ::GetWindowRect(control, &rc);
    ::MapWindowPoints(nullptr, m_parent, reinterpret_cast<POINT*>(&rc), 2);
    m_items.push_back({controlId, anchors, rc});
    return true;
}

bool CResizeAnchors::Apply() const {
    if (!m_parent || m_items.empty()) {
        return true;
    }
    RECT client{};
    ::GetClientRect(m_parent, &client);
    // Never lay out smaller than the template: controls would overlap.
    const LONG dx = std::max<LONG>(0, client.right - m_initial.cx);
    const LONG dy = std::max<LONG>(0, client.bottom - m_initial.cy);
    HDWP dwp = ::BeginDeferWindowPos(static_cast<int>(m_items.size()));
    for (const Item& item : m_items) {
        RECT rc = item.rect;
        if (item.anchors & kMoveX) {
            ::OffsetRect(&rc, dx, 0);
        } else if (item.anchors & kSizeX) {
            rc.right += dx;
        }
        if (item.anchors & kMoveY) {
            ::OffsetRect(&rc, 0, dy);
        } else if (item.anchors & kSizeY) {
            rc.bottom += dy;
        }
        const HWND control = ::GetDlgItem(m_parent, item.id);
        if (dwp && control) {
            dwp = ::DeferWindowPos(dwp, control, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    return dwp && ::EndDeferWindowPos(dwp);
}

} // namespace win
