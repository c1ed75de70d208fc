#include "tools/DlgDocTree.h"

#include "win/MessageBox.h"
#include "win/Strings.h"

#include "resource.h"

#include <windowsx.h>

namespace tools {

CDlgDocTree::CDlgDocTree(UINT templateId, std::wstring layoutName, data::CDataLayout& layout, CTreeDoc& tree,
                         const Controls& controls)
    : CDlgTool(templateId, std::move(layoutName), layout), m_docTree(tree), m_controls(controls) {}

bool CDlgDocTree::AddAnchors() {
    return m_anchors.Add(m_controls.splitArea, win::CResizeAnchors::kSizeX | win::CResizeAnchors::kSizeY);
}

bool CDlgDocTree::InitControls() {
    return m_docTree.Init(GetDlgItem(m_controls.tree)) && m_list.Init(GetDlgItem(m_controls.list)) &&
           m_split.Init(m_hWnd, m_controls.splitArea, m_controls.tree, m_controls.list);
}

void CDlgDocTree::StoreExtra(data::CDataWindow& record) const {
    record.hasSplit = true;
    record.sx = 0;
    record.sy = m_split.GetPosition();
}

void CDlgDocTree::ApplyExtra(const data::CDataWindow& record) {
    if (record.hasSplit) {
        (void)m_split.SetPosition(record.sy);
    }
}

POINT CDlgDocTree::TreeMenuPoint(POINT screen) const {
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard: under the selection, or the tree's corner.
        RECT rc{};
        const HTREEITEM selected = m_docTree.GetSelection();
        if (!selected || !TreeView_GetItemRect(m_docTree.m_hWnd, selected, &rc, TRUE)) {
            rc = {};
        }
        screen = {rc.left, rc.bottom};
        ::ClientToScreen(m_docTree.m_hWnd, &screen);
    } else if (const HTREEITEM item = m_docTree.ItemAt(screen)) {
        (void)TreeView_SelectItem(m_docTree.m_hWnd, item);
    }
    return screen;
}

bool CDlgDocTree::OpenOnDoubleClick() {
    const DWORD pos = ::GetMessagePos();
    const HTREEITEM item = m_docTree.ItemAt({GET_X_LPARAM(pos), GET_Y_LPARAM(pos)});
    if (!IsDocKind(m_docTree.GetKind(item))) {
        return false;
    }
    (void)TreeView_SelectItem(m_docTree.m_hWnd, item);
    const UINT id = (::GetKeyState(VK_SHIFT) & 0x8000) ? ID_FILE_NEW_WINDOW : ID_FILE_OPEN;
    (void)Post(WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(m_docTree.m_hWnd));
    return true;
}

bool CDlgDocTree::IsListCommand(WPARAM wp, LPARAM lp) const {
    if (!CListProp::IsOwnCommand(LOWORD(wp))) {
        return false;
    }
    const auto source = reinterpret_cast<HWND>(lp);
    return source == m_list.m_hWnd || (!source && ::GetFocus() == m_list.m_hWnd);
}

bool CDlgDocTree::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SIZE: {
        const bool handled = CDlgTool::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        if (wp != SIZE_MINIMIZED) {
            (void)m_split.Layout();
        }
        return handled;
    }
    case WM_CONTEXTMENU:
        if (m_list.OnContextMenu(m_hWnd, wp, lp, m_menuBar)) {
            result = 0;
            return true;
        }
        if (reinterpret_cast<HWND>(wp) == m_docTree.m_hWnd) {
            ShowTreeMenu({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            result = 0;
            return true;
        }
        break;
    case WM_COMMAND:
        if (IsListCommand(wp, lp)) {
            if (!m_list.RunCommand(m_hWnd, LOWORD(wp))) {
                win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
            }
            result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return CDlgTool::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

} // namespace tools
