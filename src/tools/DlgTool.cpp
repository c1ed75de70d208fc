#include "tools/DlgTool.h"

#include "win/MessageBox.h"
#include "win/Module.h"
#include "win/Strings.h"

#include "resource.h"

#include <algorithm>
#include <utility>

namespace tools {

CDlgTool::CDlgTool(UINT templateId, std::wstring layoutName, data::CDataLayout& layout)
    : win::CDialogImpl(templateId), m_layoutName(std::move(layoutName)), m_layout(layout) {}

CDlgTool::~CDlgTool() {
    Unregister();
}

HWND CDlgTool::CreateTool(HWND owner) {
    const HWND hwnd = Create(owner);
    if (!hwnd) {
        return nullptr;
    }
    if (m_initFailed) {
        (void)EndDialog(0);
        return nullptr;
    }
    if (win::CMessageLoop* loop = win::CAppModule::GetMessageLoop()) {
        m_filterAdded = loop->AddMessageFilter(&m_keyFilter);
    }
    m_layout.AddView(data::CDataLayout::kApplyPlacement, hwnd, kApplyLayout);
    m_layout.AddView(data::CDataLayout::kStorePlacement, hwnd, kStoreLayout);
    m_registered = true;
    CenterOn(owner);
    return hwnd;
}

bool CDlgTool::EnsureTool(HWND owner) {
    if (m_hWnd) {
        return true;
    }
    if (!CreateTool(owner)) {
        return false;
    }
    data::CDataWindow record;
    return !m_layout.Get(m_layoutName, record) || ApplyRecord(record);
}

bool CDlgTool::IsSavedShown() const {
    data::CDataWindow record;
    return m_layout.Get(m_layoutName, record) && record.show != data::WindowShow::Hide && record.hasPosition &&
           record.hasSize;
}

bool CDlgTool::KeptRecord(data::CDataWindow& record) const {
    return !m_hWnd && m_layout.Get(m_layoutName, record);
}

void CDlgTool::Unregister() {
    if (m_filterAdded) {
        if (win::CMessageLoop* loop = win::CAppModule::GetMessageLoop()) {
            loop->RemoveMessageFilter(&m_keyFilter);
        }
        m_filterAdded = false;
    }
    if (m_registered && m_hWnd) {
        (void)m_layout.RemoveView(m_hWnd);
    }
    m_registered = false;
}

bool CDlgTool::ShowTool(bool show) {
    if (!m_hWnd) {
        return false;
    }
    if (!show) {
        // The owner takes the activation back rather than whichever window lies below.
        const bool wasActive = ::GetActiveWindow() == m_hWnd;
        Show(SW_HIDE);
        if (wasActive) {
            if (const HWND owner = ::GetWindow(m_hWnd, GW_OWNER)) {
                ::SetActiveWindow(owner);
            }
        }
        return true;
    }
    Show(SW_SHOW);
    // Shown while its process is not in the foreground, it is neither activated nor raised by the platform:
    // it must still stand above its owner.
    ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}

bool CDlgTool::Toggle() {
    return ShowTool(!IsShown());
}

bool CDlgTool::MoveBy(int dx, int dy) const {
    if (!m_hWnd) {
        return false;
    }
    const RECT rc = GetWindowRect();
    return ::SetWindowPos(m_hWnd, nullptr, rc.left + dx, rc.top + dy, 0, 0,
                          SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

bool CDlgTool::ResetPlacement() {
    if (!m_hWnd) {
        data::CDataWindow initial;
        initial.name = m_layoutName;
        return m_layout.Set(initial);
    }
    // The template's size: a request below it would be clamped to the minimum track size anyway.
    const SIZE size = m_anchors.MinimumTrackSize();
    if (!::SetWindowPos(m_hWnd, nullptr, 0, 0, size.cx, size.cy,
                        SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
        return false;
    }
    return CenterOn(::GetWindow(m_hWnd, GW_OWNER));
}

RECT CDlgTool::OwnerNormalRect() const {
    RECT rc{};
    const HWND owner = m_hWnd ? ::GetWindow(m_hWnd, GW_OWNER) : nullptr;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (owner && ::GetWindowPlacement(owner, &placement)) {
        rc = placement.rcNormalPosition;
    }
    return rc;
}

data::CDataWindow CDlgTool::BuildRecord() const {
    data::CDataWindow record;
    record.name = m_layoutName;
    if (!m_hWnd) {
        return record;
    }
    const RECT owner = OwnerNormalRect();
    const RECT rc = GetWindowRect();
    record.show = IsVisible() ? data::WindowShow::Normal : data::WindowShow::Hide;
    record.hasPosition = true;
    record.x = rc.left - owner.left;
    record.y = rc.top - owner.top;
    record.hasSize = true;
    record.cx = rc.right - rc.left;
    record.cy = rc.bottom - rc.top;
    StoreExtra(record);
    return record;
}

bool CDlgTool::ApplyRecord(const data::CDataWindow& record) {
    if (!m_hWnd) {
        return false;
    }
    if (record.hasPosition && record.hasSize) {
        const RECT owner = OwnerNormalRect();
        if (!::SetWindowPos(m_hWnd, nullptr, owner.left + record.x, owner.top + record.y, record.cx, record.cy,
                            SWP_NOZORDER | SWP_NOACTIVATE)) {
            return false;
        }
        ::ShowWindow(m_hWnd, record.show == data::WindowShow::Hide ? SW_HIDE : SW_SHOWNA);
    }
    ApplyExtra(record);
    return true;
}

void CDlgTool::OnLayoutRequest(UINT msg) {
    if (msg == kApplyLayout) {
        data::CDataWindow record;
        // No record keeps the initial placement.
        if (m_layout.Get(m_layoutName, record) && !ApplyRecord(record)) {
            win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_LAYOUT_LOAD), MB_OK | MB_ICONERROR);
        }
    } else if (!m_layout.Set(BuildRecord())) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_LAYOUT_SAVE), MB_OK | MB_ICONERROR);
    }
}

void CDlgTool::ReduceSystemMenu() const {
    const HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
    if (!menu) {
        return;
    }
    for (int i = ::GetMenuItemCount(menu) - 1; i >= 0; --i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR)) {
            continue;
        }
        if (info.wID != SC_MOVE && info.wID != SC_SIZE && info.wID != SC_CLOSE) {
            ::DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
        }
    }
}

bool CDlgTool::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        m_anchors.Init(hwnd);
        ReduceSystemMenu();
        m_initFailed = !AddAnchors() || !OnInitTool();
        // Made hidden while the frame is up: the focus stays where it is until the window is shown.
        result = FALSE;
        return true;
    case WM_SIZE:
        if (wp != SIZE_MINIMIZED) {
            (void)m_anchors.Apply();
        }
        result = 0;
        return true;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lp);
        const SIZE minimum = m_anchors.MinimumTrackSize();
        if (minimum.cx > 0 && minimum.cy > 0) {
            info->ptMinTrackSize = {minimum.cx, minimum.cy};
        }
        result = 0;
        return true;
    }
    case WM_CLOSE:
        ShowTool(false);
        result = 0;
        return true;
    case WM_ENABLE:
        if (const HWND owner = ::GetWindow(hwnd, GW_OWNER)) {
            ::SendMessageW(owner, kOwnerEnableNotify, wp, reinterpret_cast<LPARAM>(hwnd));
        }
        return false;
    case WM_COMMAND:
        // Escape and Enter of the dialog manager, and the close box: a tool window only hides.
        if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) {
            if (LOWORD(wp) == IDCANCEL) {
                ShowTool(false);
            }
            result = 0;
            return true;
        }
        return false;
    case kApplyLayout:
    case kStoreLayout:
        OnLayoutRequest(msg);
        result = 0;
        return true;
    case WM_DESTROY:
        OnDestroyTool();
        Unregister();
        return false;
    default:
        return false;
    }
}

bool CDlgTool::CKeyFilter::PreTranslateMessage(MSG& msg) {
    const HWND tool = m_tool.m_hWnd;
    if (!tool || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) {
        return false;
    }
    if (msg.hwnd != tool && !::IsChild(tool, msg.hwnd)) {
        return false;
    }
    return m_tool.TranslateToolKeys(msg);
}

} // namespace tools
