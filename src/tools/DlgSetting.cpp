#include "tools/DlgSetting.h"

#include "tools/DlgFile.h"
#include "win/ContextMenu.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

#include "resource.h"

#include <commctrl.h>
#include <windowsx.h>

#include <iterator>

namespace tools {

namespace {

struct PageRow {
    int index;
    UINT title;
    int parent;
};

// The page tree in order; a parent comes before its children.
constexpr PageRow kPages[] = {
    {1, IDS_SETPAGE_DOCVIEW, 0}, {2, IDS_SETPAGE_TOOLBAR, 1}, {3, IDS_SETPAGE_NAVI, 1},   {4, IDS_SETPAGE_TOPICVIEW, 1},
    {6, IDS_SETPAGE_SUBWIN, 0},  {7, IDS_SETPAGE_DOCHIST, 6}, {8, IDS_SETPAGE_DOCLIB, 6}, {9, IDS_SETPAGE_FILEDLG, 0},
    {10, IDS_SETPAGE_COMM, 0},   {12, IDS_SETPAGE_HIST, 0},
};

std::unique_ptr<CDlgSet> CreatePage(int index, data::CDataSetting& setting, ISettingHost& host,
                                    const std::wstring& execDir) {
    switch (index) {
    case 1:
        return std::make_unique<CDlgSetDocView>(setting, host, execDir);
    case 2:
        return std::make_unique<CDlgSetToolBar>(setting);
    case 3:
        return std::make_unique<CDlgSetNavi>(setting);
    case 4:
        return std::make_unique<CDlgSetHtmlView1>(setting);
    case 6:
        return std::make_unique<CDlgSetSubWin>(setting);
    case 7:
        return std::make_unique<CDlgSetDocHist>(setting);
    case 8:
        return std::make_unique<CDlgSetDocLib>(setting);
    case 9:
        return std::make_unique<CDlgSetFileDlg>(setting, execDir);
    case 10:
        return std::make_unique<CDlgSetComm>(setting);
    case 12:
        return std::make_unique<CDlgSetHist>(setting);
    default:
        return nullptr;
    }
}

} // namespace

bool CTreeSet::Build() {
    HTREEITEM items[16] = {};
    for (const PageRow& row : kPages) {
        const std::wstring title = win::LoadStr(row.title);
        TVINSERTSTRUCTW insert{};
        insert.hParent = row.parent ? items[row.parent] : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(title.c_str());
        insert.item.lParam = row.index;
        items[row.index] = TreeView_InsertItem(m_tree, &insert);
        if (!items[row.index]) {
            return false;
        }
    }
    return true;
}

void CTreeSet::ExpandAll(UINT code) const {
    for (HTREEITEM item = TreeView_GetRoot(m_tree); item; item = TreeView_GetNextSibling(m_tree, item)) {
        TreeView_Expand(m_tree, item, code);
    }
}

HTREEITEM CTreeSet::FindPage(int index) const {
    const HTREEITEM first = TreeView_GetRoot(m_tree);
    // Walks every item, expanded or not: parents come before their children.
    for (HTREEITEM item = first; item;) {
        if (PageIndex(item) == index) {
            return item;
        }
        HTREEITEM next = TreeView_GetChild(m_tree, item);
        while (!next && item) {
            next = TreeView_GetNextSibling(m_tree, item);
            if (!next) {
                item = TreeView_GetParent(m_tree, item);
            }
        }
        item = next;
    }
    return first;
}

int CTreeSet::PageIndex(HTREEITEM item) const {
    TVITEMW data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    return item && TreeView_GetItem(m_tree, &data) ? static_cast<int>(data.lParam) : 0;
}

std::wstring CTreeSet::Title(HTREEITEM item) const {
    wchar_t text[128] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = static_cast<int>(std::size(text));
    return TreeView_GetItem(m_tree, &data) ? std::wstring(text) : std::wstring();
}

CDlgSetting::CDlgSetting(data::CDataSetting& setting, std::wstring execDir, ISettingHost& host, win::CCommandBar* bar,
                         int initialPage)
    : win::CDialogImpl(IDD_SETTING), m_setting(setting), m_execDir(std::move(execDir)), m_host(host), m_bar(bar),
      m_initialPage(initialPage) {}

bool CDlgSetting::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        if (!OnInitDialog()) {
            ReportFailure();
            EndDialog(3);
        }
        result = FALSE; // the focus went to the tree
        return true;
    case kPageDirty:
        SetDirty(wp != 0, lp != 0);
        result = 0;
        return true;
    case kPageGuide:
        ::SetDlgItemTextW(m_hWnd, IDC_SET_GUIDE, wp ? reinterpret_cast<const wchar_t*>(wp) : L"");
        result = 0;
        return true;
    case kSelectLater: {
        const auto item = reinterpret_cast<HTREEITEM>(lp);
        if (LeavePage()) {
            m_selecting = true;
            TreeView_SelectItem(m_tree.Handle(), item);
            m_selecting = false;
        }
        result = 0;
        return true;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->hwndFrom != m_tree.Handle()) {
            return false;
        }
        result = OnTreeNotify(*header);
        return true;
    }
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wp) != m_tree.Handle()) {
            return false;
        }
        OnTreeMenu({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        result = 0;
        return true;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            OnApply();
            break;
        case IDC_SET_REVERT:
            OnRevert();
            break;
        case IDCANCEL:
            if (LeavePage()) {
                EndDialog(IDCANCEL);
            }
            break;
        case IDC_SET_MENU_BUTTON:
            OnMenuButton();
            break;
        case ID_ITEM_ACTION:
            m_tree.ExpandAll(TVE_EXPAND);
            break;
        case ID_ITEM_ACTION2:
            m_tree.ExpandAll(TVE_COLLAPSE);
            break;
        case ID_RESET_CURRENT:
            OnResetPage();
            break;
        case ID_RESET_ALL:
            OnResetAll();
            break;
        case ID_DATA_EXPORT:
            OnExport();
            break;
        case ID_DATA_IMPORT:
            OnImport();
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

bool CDlgSetting::OnInitDialog() {
    m_tree.Attach(::GetDlgItem(m_hWnd, IDC_SET_TREE));
    if (!m_tree.Handle()) {
        return false;
    }
    CenterOn(::GetWindow(m_hWnd, GW_OWNER));
    SetDirty(false, true);
    if (!m_tree.Build()) {
        return false;
    }
    m_tree.ExpandAll(TVE_EXPAND);
    m_selecting = true;
    TreeView_SelectItem(m_tree.Handle(), m_tree.FindPage(m_initialPage));
    m_selecting = false;
    ::SetFocus(m_tree.Handle());
    return m_page != nullptr;
}

LRESULT CDlgSetting::OnTreeNotify(const NMHDR& header) {
    switch (header.code) {
    case TVN_SELCHANGINGW: {
        if (m_selecting || !IsDirty()) {
            return FALSE;
        }
        // No question inside the notification: the tree is half-way through its change.
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        Post(kSelectLater, 0, reinterpret_cast<LPARAM>(change.itemNew.hItem));
        return TRUE;
    }
    case TVN_SELCHANGEDW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if (!SelectPage(change.itemNew.hItem)) {
            ReportFailure();
        }
        return 0;
    }
    case NM_RCLICK: {
        POINT point{};
        ::GetCursorPos(&point);
        OnTreeMenu(point);
        return TRUE;
    }
    default:
        return 0;
    }
}

bool CDlgSetting::SelectPage(HTREEITEM item) {
    ::SetDlgItemTextW(m_hWnd, IDC_SET_TITLE, L"");
    ::SetDlgItemTextW(m_hWnd, IDC_SET_GUIDE, L"");
    SetDirty(false, true);
    m_page.reset();
    m_pageItem = item;
    const int index = m_tree.PageIndex(item);
    m_page = CreatePage(index, m_setting, m_host, m_execDir);
    if (!m_page) {
        return false;
    }
    ::SetDlgItemTextW(m_hWnd, IDC_SET_TITLE, m_tree.Title(item).c_str());
    const HWND place = ::GetDlgItem(m_hWnd, IDC_SET_PLACE);
    ::ShowWindow(place, SW_HIDE);
    const HWND page = m_page->CreatePage(m_hWnd);
    if (!page || !place) {
        m_page.reset();
        return false;
    }
    RECT rc{};
    ::GetWindowRect(place, &rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    // Right after the placeholder in the tab order, without the page's own size changing.
    ::SetWindowPos(page, place, rc.left, rc.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return true;
}

bool CDlgSetting::IsDirty() const {
    return ::IsWindowEnabled(::GetDlgItem(m_hWnd, IDOK)) != FALSE;
}

void CDlgSetting::SetDirty(bool changed, bool moveDefault) {
    const HWND apply = ::GetDlgItem(m_hWnd, IDOK);
    const HWND revert = ::GetDlgItem(m_hWnd, IDC_SET_REVERT);
    const HWND close = ::GetDlgItem(m_hWnd, IDCANCEL);
    if (!changed) {
        const HWND focus = ::GetFocus();
        if (focus == apply || focus == revert) {
            ::SetFocus(close);
        }
    }
    ::EnableWindow(apply, changed ? TRUE : FALSE);
    ::EnableWindow(revert, changed ? TRUE : FALSE);
    if (moveDefault) {
        const int id = changed ? IDOK : IDCANCEL;
        ::SendMessageW(m_hWnd, DM_SETDEFID, static_cast<WPARAM>(id), 0);
        ::SendMessageW(apply, BM_SETSTYLE, changed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        ::SendMessageW(close, BM_SETSTYLE, changed ? BS_PUSHBUTTON : BS_DEFPUSHBUTTON, TRUE);
    }
}

bool CDlgSetting::LeavePage() {
    if (!IsDirty() || !m_page) {
        return true;
    }
    switch (win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_SETTING_LEAVE),
                               MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3)) {
    case IDYES:
        if (!m_page || !m_page->Apply()) {
            return false;
        }
        break;
    case IDNO:
        if (m_page) {
            m_page->Revert();
        }
        break;
    case IDCANCEL:
        return false;
    default:
        ReportFailure();
        return false;
    }
    SetDirty(false, true);
    return true;
}

void CDlgSetting::OnApply() {
    if (m_page && m_page->Apply()) {
        SetDirty(false, true);
    }
}

void CDlgSetting::OnRevert() {
    if (m_page) {
        m_page->Revert();
    }
    SetDirty(false, true);
}

void CDlgSetting::OnMenuButton() {
    RECT rc{};
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_SET_MENU_BUTTON), &rc);
    RunMenu(IDR_SETTING_MENU, {rc.left, rc.bottom});
}

void CDlgSetting::OnTreeMenu(POINT point) {
    if (point.x == -1 && point.y == -1) {
        RECT rc{};
        const HWND tree = m_tree.Handle();
        if (const HTREEITEM selected = TreeView_GetSelection(tree);
            selected && TreeView_GetItemRect(tree, selected, &rc, TRUE)) {
            point = {rc.left, rc.bottom};
            ::ClientToScreen(tree, &point);
        }
    }
    RunMenu(IDR_SETTING_TREE, point);
}

void CDlgSetting::RunMenu(UINT resource, POINT point) {
    win::CContextMenu menu(m_hWnd, m_bar);
    if (!menu.SetMenu(resource, 0)) {
        ReportFailure();
        return;
    }
    ::EnableMenuItem(menu.Popup(), ID_RESET_CURRENT,
                     MF_BYCOMMAND | (m_page && m_page->CanReset() ? MF_ENABLED : MF_GRAYED));
    if (const UINT command = menu.Track(point)) {
        ::SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    }
}

void CDlgSetting::OnResetPage() {
    if (!m_page || !m_page->CanReset()) {
        return;
    }
    const HWND focus = ::GetFocus();
    if (win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_SETTING_RESET_PAGE),
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES) {
        // The defaults are written, not only shown: a page showing what is not in effect would mislead.
        if (m_page && m_page->Reset()) {
            SetDirty(false, true);
        } else {
            win::MessageBoxFor(m_hWnd, win::TextWithDetail(IDS_ERR_SETTING_RESET, m_setting.GetError()),
                               MB_OK | MB_ICONERROR);
        }
    }
    if (focus && ::IsWindow(focus) && ::IsWindowEnabled(focus)) {
        ::SetFocus(focus);
    }
}

void CDlgSetting::OnResetAll() {
    const HWND focus = ::GetFocus();
    if (LeavePage() && win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_SETTING_RESET_ALL),
                                          MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES) {
        if (m_setting.ResetAll()) {
            if (m_page) {
                m_page->Revert();
            }
            SetDirty(false, true);
        } else {
            win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_SETTING_RESET), MB_OK | MB_ICONERROR);
        }
    }
    if (focus && ::IsWindow(focus) && ::IsWindowEnabled(focus)) {
        ::SetFocus(focus);
    }
}

void CDlgSetting::OnExport() {
    (void)ExportStore(m_hWnd, m_setting, m_execDir, m_setting, IDS_SETTING_EXPORT_TITLE, IDS_ERR_SETTING_EXPORT);
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_SET_MENU_BUTTON));
}

void CDlgSetting::OnImport() {
    CDlgFileDataOpen dialog(m_setting, m_execDir, win::LoadStr(IDS_SETTING_IMPORT_TITLE));
    if (LeavePage() && dialog.Show(m_hWnd, std::wstring()) &&
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_SETTING_IMPORT), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) ==
            IDYES) {
        if (m_setting.Import(dialog.Path())) {
            if (m_page) {
                m_page->Revert();
            }
            SetDirty(false, true);
        } else {
            win::MessageBoxFor(m_hWnd, win::TextWithDetail(IDS_ERR_SETTING_IMPORT, m_setting.GetError()),
                               MB_OK | MB_ICONERROR);
        }
    }
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_SET_MENU_BUTTON));
}

void CDlgSetting::ReportFailure() {
    win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
}

} // namespace tools
