#include "tools/ListProp.h"

#include "win/Clipboard.h"
#include "win/ContextMenu.h"
#include "win/Handles.h"
#include "win/Module.h"
#include "win/Strings.h"

#include "resource.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace tools {

bool CListProp::Init(HWND list) {
    m_hWnd = list;
    if (!list) {
        return false;
    }
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    const RECT client = GetClientRect();
    const int width = client.right - client.left;
    const UINT titles[] = {IDS_PROP_COL_ITEM, IDS_PROP_COL_VALUE};
    const int widths[] = {std::max(60, width / 3), std::max(80, width - width / 3 - ::GetSystemMetrics(SM_CXVSCROLL))};
    for (int i = 0; i < 2; ++i) {
        std::wstring text = win::LoadStr(titles[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = text.data();
        column.cx = widths[i];
        column.iSubItem = i;
        if (ListView_InsertColumn(list, i, &column) != i) {
            return false;
        }
    }
    Enable(false);
    return true;
}

bool CListProp::Show(const PropRows& rows) {
    if (!m_hWnd) {
        return false;
    }
    Enable(false);
    Send(WM_SETREDRAW, FALSE);
    ListView_DeleteAllItems(m_hWnd);
    bool ok = true;
    int index = 0;
    for (const PropRow& row : rows) {
        std::wstring item = row.item;
        std::wstring content = row.content;
        LVITEMW lvi{};
        lvi.mask = LVIF_TEXT;
        lvi.iItem = index;
        lvi.pszText = item.data();
        if (ListView_InsertItem(m_hWnd, &lvi) != index) {
            ok = false;
            break;
        }
        ListView_SetItemText(m_hWnd, index, 1, content.data());
        ++index;
    }
    if (index > 0) {
        ListView_SetItemState(m_hWnd, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        Enable(true);
    }
    Send(WM_SETREDRAW, TRUE);
    Invalidate();
    return ok;
}

void CListProp::Clear() {
    if (m_hWnd) {
        ListView_DeleteAllItems(m_hWnd);
        Enable(false);
    }
}

int CListProp::GetCount() const {
    return m_hWnd ? ListView_GetItemCount(m_hWnd) : 0;
}

std::wstring CListProp::ItemText(int index, int column) const {
    // Grow until the text fits: a content (a long address, a note) has no fixed limit.
    std::wstring buffer(256, L'\0');
    for (;;) {
        LVITEMW lvi{};
        lvi.iSubItem = column;
        lvi.pszText = buffer.data();
        lvi.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<size_t>(
            ::SendMessageW(m_hWnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lvi)));
        if (length + 1 < buffer.size() || buffer.size() >= 0x100000) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

PropRows CListProp::GetRows(bool selectedOnly) const {
    PropRows rows;
    const int count = GetCount();
    for (int i = 0; i < count; ++i) {
        if (selectedOnly && !(ListView_GetItemState(m_hWnd, i, LVIS_SELECTED) & LVIS_SELECTED)) {
            continue;
        }
        rows.push_back({ItemText(i, 0), ItemText(i, 1)});
    }
    return rows;
}

bool CListProp::SelectAll() const {
    if (GetCount() == 0) {
        return false;
    }
    ListView_SetItemState(m_hWnd, -1, LVIS_SELECTED, LVIS_SELECTED);
    return true;
}

bool CListProp::Copy(HWND owner, bool contentOnly) const {
    const std::wstring text = BuildCopyText(GetRows(true), contentOnly);
    if (text.empty()) {
        return true;
    }
    win::CClipboard clipboard(owner);
    return clipboard.IsOpen() && clipboard.SetText(text);
}

bool CListProp::OnContextMenu(HWND target, WPARAM wp, LPARAM lp, win::CCommandBar* bar) const {
    if (!m_hWnd || reinterpret_cast<HWND>(wp) != m_hWnd) {
        return false;
    }
    POINT screen{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard: under the focused row, or the list's corner.
        RECT rc{};
        const int focused = ListView_GetNextItem(m_hWnd, -1, LVNI_FOCUSED);
        if (focused < 0 || !ListView_GetItemRect(m_hWnd, focused, &rc, LVIR_LABEL)) {
            rc = {};
        }
        screen = {rc.left, rc.bottom};
        ::ClientToScreen(m_hWnd, &screen);
    }
    win::CContextMenu menu(target, bar);
    if (!menu.SetMenu(IDR_PROPERTY_LIST, 0)) {
        return true;
    }
    const HMENU popup = menu.Popup();
    const bool any = GetCount() > 0;
    const bool selected = ListView_GetSelectedCount(m_hWnd) > 0;
    ::EnableMenuItem(popup, ID_EDIT_COPY, MF_BYCOMMAND | (selected ? MF_ENABLED : MF_GRAYED));
    ::EnableMenuItem(popup, ID_ITEM_ACTION, MF_BYCOMMAND | (selected ? MF_ENABLED : MF_GRAYED));
    ::EnableMenuItem(popup, ID_EDIT_SELECT_ALL, MF_BYCOMMAND | (any ? MF_ENABLED : MF_GRAYED));
    // The command comes back from the list itself, so the window can tell it from its other controls'.
    if (const UINT command = menu.Track(screen)) {
        ::PostMessageW(target, WM_COMMAND, MAKEWPARAM(command, 0), reinterpret_cast<LPARAM>(m_hWnd));
    }
    return true;
}

bool CListProp::TranslateKeys(HWND target, MSG& msg) const {
    if (!m_hWnd || msg.hwnd != m_hWnd) {
        return false;
    }
    static HACCEL table = ::LoadAcceleratorsW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(IDR_PROPERTY_LIST));
    return table && ::TranslateAcceleratorW(target, table, &msg) != 0;
}

bool CListProp::IsOwnCommand(UINT id) noexcept {
    return id == ID_EDIT_COPY || id == ID_ITEM_ACTION || id == ID_EDIT_SELECT_ALL;
}

bool CListProp::RunCommand(HWND owner, UINT id) const {
    switch (id) {
    case ID_EDIT_COPY:
        return Copy(owner, false);
    case ID_ITEM_ACTION:
        return Copy(owner, true);
    case ID_EDIT_SELECT_ALL:
        (void)SelectAll();
        return true;
    default:
        return false;
    }
}

} // namespace tools
