#include "tools/DlgShortKey.h"

#include "tools/DlgFile.h"
#include "win/ContextMenu.h"
#include "win/MessageBox.h"
#include "win/Strings.h"

#include <commctrl.h>

#include <iterator>

namespace tools {

// ---- Key field

data::KeyBinding CEditShortKey::FromKey(WPARAM key) {
    data::KeyBinding binding;
    binding.flags = data::kKeyVirtual;
    // The modifiers as they are held for this key press.
    if (::GetKeyState(VK_SHIFT) < 0) {
        binding.flags |= data::kKeyShift;
    }
    if (::GetKeyState(VK_CONTROL) < 0) {
        binding.flags |= data::kKeyControl;
    }
    if (::GetKeyState(VK_MENU) < 0) {
        binding.flags |= data::kKeyAlt;
    }
    binding.key = static_cast<uint16_t>(key);
    return binding;
}

void CEditShortKey::Show(const std::optional<data::KeyBinding>& key) {
    m_captured = key;
    const std::wstring text = key ? data::KeyDisplayText(*key) : std::wstring();
    ::SetWindowTextW(m_hWnd, text.c_str());
    ::SendMessageW(m_hWnd, EM_SETSEL, 0, 0);
}

bool CEditShortKey::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_GETDLGCODE: {
        // The dialog manager asks before it moves the focus or presses a button: a key that can be bound is
        // ours (Tab, Enter, Escape included). The message it asks about may be missing.
        const auto* asked = reinterpret_cast<const MSG*>(lp);
        const bool keyDown = asked && (asked->message == WM_KEYDOWN || asked->message == WM_SYSKEYDOWN);
        result = keyDown && data::IsAllowedCombination(FromKey(asked->wParam)) ? DLGC_WANTALLKEYS : DLGC_WANTCHARS;
        return true;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // System keys too: Alt+F4 is captured here, it does not close the window.
        const data::KeyBinding binding = FromKey(wp);
        if (data::IsAllowedCombination(binding)) {
            Show(binding);
        }
        result = 0;
        return true;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
    case WM_CONTEXTMENU:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
        result = 0;
        return true;
    default:
        return false;
    }
}

// ---- Function list

bool CListShortFunc::Init(HWND list) {
    m_list = list;
    if (!m_list) {
        return false;
    }
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT);
    const std::wstring function = win::LoadStr(IDS_SK_COLUMN_FUNC);
    const std::wstring key = win::LoadStr(IDS_SK_COLUMN_KEY);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 170;
    column.pszText = const_cast<wchar_t*>(function.c_str());
    if (ListView_InsertColumn(m_list, 0, &column) != 0) {
        return false;
    }
    column.cx = 130;
    column.pszText = const_cast<wchar_t*>(key.c_str());
    return ListView_InsertColumn(m_list, 1, &column) == 1;
}

void CListShortFunc::Fill(const data::CDataShortkey& store, data::Place place) {
    ::SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(m_list);
    int row = 0;
    for (const auto& [command, name] : data::CDataShortkey::ListFunctions(place)) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = row++;
        item.pszText = const_cast<wchar_t*>(name.c_str());
        item.lParam = command;
        (void)ListView_InsertItem(m_list, &item);
    }
    RewriteKeys(store, place);
    if (Count() > 0) {
        Select(0);
    }
    ::SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(m_list, nullptr, TRUE);
}

void CListShortFunc::RewriteKeys(const data::CDataShortkey& store, data::Place place) const {
    for (int row = 0; row < Count(); ++row) {
        data::KeyBinding binding;
        std::wstring text;
        if (store.FindByCommand(place, CommandAt(row), binding)) {
            text = data::KeyDisplayText(binding);
        }
        ListView_SetItemText(m_list, row, 1, text.data());
    }
}

int CListShortFunc::Selected() const {
    return ListView_GetNextItem(m_list, -1, LVNI_SELECTED);
}

uint16_t CListShortFunc::CommandAt(int row) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    return ListView_GetItem(m_list, &item) ? static_cast<uint16_t>(item.lParam) : 0;
}

int CListShortFunc::RowOf(uint16_t command) const {
    for (int row = 0; row < Count(); ++row) {
        if (CommandAt(row) == command) {
            return row;
        }
    }
    return -1;
}

void CListShortFunc::Select(int row) const {
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(m_list, row, FALSE);
}

int CListShortFunc::Count() const {
    return ListView_GetItemCount(m_list);
}

std::wstring CListShortFunc::TextAt(int row) const {
    wchar_t text[256] = {};
    ListView_GetItemText(m_list, row, 0, text, static_cast<int>(std::size(text)));
    return text;
}

// ---- Window

CDlgShortKey::CDlgShortKey(data::CDataLayout& layout, data::CDataShortkey& store, const data::CDataSetting& setting,
                           std::wstring execDir)
    : CDlgToolT<CDlgShortKey>(IDD_SHORTKEY, kLayoutName, layout), m_store(store), m_setting(setting),
      m_execDir(std::move(execDir)) {}

bool CDlgShortKey::OnInitTool() {
    if (!m_list.Init(GetDlgItem(IDC_SK_LIST)) || !m_key.Subclass(GetDlgItem(IDC_SK_KEY))) {
        return false;
    }
    const HWND hint = GetDlgItem(IDC_SK_HINT);
    ::SendMessageW(hint, STM_SETICON, reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_INFORMATION)), 0);
    m_tip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0,
                              0, m_hWnd, nullptr, nullptr, nullptr);
    if (m_tip) {
        std::wstring text = win::LoadStr(IDS_SK_HINT);
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = reinterpret_cast<UINT_PTR>(hint);
        tool.lpszText = text.data();
        ::SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, 400);
        ::SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (!FillPlaces()) {
        return false;
    }
    m_store.AddView(xml::CXmlStore::kReloaded | data::CDataShortkey::kReset | data::CDataShortkey::kImported, m_hWnd,
                    kStoreEvent);
    m_subscribed = true;
    LoadSelectedPlace();
    return true;
}

void CDlgShortKey::OnDestroyTool() {
    if (m_subscribed) {
        (void)m_store.RemoveView(m_hWnd);
        m_subscribed = false;
    }
    (void)m_key.Unsubclass();
}

bool CDlgShortKey::FillPlaces() {
    const HWND box = GetDlgItem(IDC_SK_PLACE);
    ::SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const auto& [place, name] : data::CDataShortkey::ListPlaces()) {
        const LRESULT index = ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (index < 0) {
            return false;
        }
        ::SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(place));
    }
    return ::SendMessageW(box, CB_SETCURSEL, 0, 0) == 0;
}

void CDlgShortKey::LoadSelectedPlace() {
    const HWND box = GetDlgItem(IDC_SK_PLACE);
    const LRESULT index = ::SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return;
    }
    m_place = static_cast<data::Place>(::SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
    m_list.Fill(m_store, m_place);
    RefreshDetail();
}

void CDlgShortKey::RefreshDetail() {
    for (const int id : {IDC_SK_KEY, IDC_SK_SEARCH, IDC_SK_SET, IDC_SK_REMOVE}) {
        ::EnableWindow(GetDlgItem(id), FALSE);
    }
    ::SetDlgItemTextW(m_hWnd, IDC_SK_FUNC, win::LoadStr(IDS_SK_NO_FUNCTION).c_str());
    m_key.Show(std::nullopt);
    const int row = m_list.Selected();
    if (m_list.Count() == 0 || row < 0) {
        return;
    }
    if (const std::wstring name = m_list.TextAt(row); !name.empty()) {
        ::SetDlgItemTextW(m_hWnd, IDC_SK_FUNC, name.c_str());
    }
    ::EnableWindow(GetDlgItem(IDC_SK_KEY), TRUE);
    data::KeyBinding binding;
    if (m_store.FindByCommand(m_place, m_list.CommandAt(row), binding)) {
        m_key.Show(binding);
        ::EnableWindow(GetDlgItem(IDC_SK_REMOVE), TRUE);
    }
}

void CDlgShortKey::UpdateButtons() {
    const bool key = m_key.Captured().has_value() && m_list.Count() > 0;
    ::EnableWindow(GetDlgItem(IDC_SK_SEARCH), key ? TRUE : FALSE);
    ::EnableWindow(GetDlgItem(IDC_SK_SET), key && m_list.Selected() >= 0 ? TRUE : FALSE);
    ::EnableWindow(GetDlgItem(IDC_SK_REMOVE), FALSE);
}

void CDlgShortKey::OnSearch() {
    if (!m_key.Captured()) {
        ShowError(IDS_ERR_DIALOG);
        return;
    }
    data::KeyBinding binding;
    const int row =
        m_store.FindByKey(m_place, m_key.Captured()->Combination(), binding) ? m_list.RowOf(binding.command) : -1;
    if (row < 0) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_SK_NOT_BOUND), MB_OK | MB_ICONINFORMATION);
        return;
    }
    const data::KeyBinding searched = *m_key.Captured();
    m_list.Select(row);
    // The selection change refreshed the fields; the searched key stays in the field.
    m_key.Show(searched);
}

void CDlgShortKey::OnSet() {
    const int row = m_list.Selected();
    if (!m_key.Captured() || row < 0) {
        ShowError(IDS_ERR_DIALOG);
        return;
    }
    data::KeyBinding binding = *m_key.Captured();
    binding.command = m_list.CommandAt(row);
    if (!m_store.SetBinding(m_place, binding)) {
        ShowError(IDS_ERR_SHORTKEY_SET, m_store.GetError());
    }
    // Whatever the store decided about the key's earlier binding, the list shows what it holds.
    m_list.RewriteKeys(m_store, m_place);
    RefreshDetail();
}

void CDlgShortKey::OnRemove() {
    const int row = m_list.Selected();
    if (row < 0) {
        ShowError(IDS_ERR_DIALOG);
        return;
    }
    if (!m_store.RemoveBinding(m_place, m_list.CommandAt(row))) {
        ShowError(IDS_ERR_SHORTKEY_REMOVE, m_store.GetError());
    }
    m_list.RewriteKeys(m_store, m_place);
    RefreshDetail();
}

void CDlgShortKey::OnMenuButton() {
    const HWND button = GetDlgItem(IDC_SK_MENU);
    win::CContextMenu menu(m_hWnd, m_menuBar);
    if (!menu.SetMenu(IDR_SHORTKEY_MENU, 0)) {
        ShowError(IDS_ERR_DIALOG);
        return;
    }
    RECT rc{};
    ::GetWindowRect(button, &rc);
    (void)menu.TrackAndPost({rc.left, rc.bottom});
}

void CDlgShortKey::OnReset(bool all) {
    if (win::MessageBoxFor(m_hWnd, win::LoadStr(all ? IDS_ASK_SHORTKEY_RESET_ALL : IDS_ASK_SHORTKEY_RESET_PLACE),
                           MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
        return;
    }
    const std::optional<data::Place> place = all ? std::nullopt : std::optional<data::Place>(m_place);
    if (!m_store.ResetPlace(place)) {
        ShowError(IDS_ERR_SHORTKEY_RESET, m_store.GetError());
    }
    // The store's reset notice reloads the list; a failed one leaves it as the store holds it.
    m_list.RewriteKeys(m_store, m_place);
    RefreshDetail();
}

void CDlgShortKey::OnExport() {
    (void)ExportStore(m_hWnd, m_setting, m_execDir, m_store, IDS_SHORTKEY_EXPORT_TITLE, IDS_ERR_SHORTKEY_EXPORT);
}

void CDlgShortKey::OnImport() {
    CDlgFileDataOpen dialog(m_setting, m_execDir, win::LoadStr(IDS_SHORTKEY_IMPORT_TITLE));
    if (!dialog.Show(m_hWnd, std::wstring()) ||
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_SHORTKEY_IMPORT), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) !=
            IDYES) {
        return;
    }
    if (!m_store.Import(dialog.Path())) {
        ShowError(IDS_ERR_SHORTKEY_IMPORT, m_store.GetError());
    }
}

void CDlgShortKey::OnStoreEvent() {
    // Places and functions are fixed; the selected place stays and its keys come again from the store.
    const data::Place place = m_place;
    if (!FillPlaces()) {
        ShowError(IDS_ERR_DIALOG);
        return;
    }
    const HWND box = GetDlgItem(IDC_SK_PLACE);
    const LRESULT count = ::SendMessageW(box, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (static_cast<data::Place>(::SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == place) {
            ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        }
    }
    const int row = m_list.Selected();
    LoadSelectedPlace();
    if (row >= 0 && row < m_list.Count()) {
        m_list.Select(row);
    }
}

void CDlgShortKey::StoreExtra(data::CDataWindow& record) const {
    record.hasSelection = true;
    record.select = static_cast<int32_t>(::SendDlgItemMessageW(m_hWnd, IDC_SK_PLACE, CB_GETCURSEL, 0, 0));
}

void CDlgShortKey::ApplyExtra(const data::CDataWindow& record) {
    const LRESULT count = ::SendDlgItemMessageW(m_hWnd, IDC_SK_PLACE, CB_GETCOUNT, 0, 0);
    // A stored index is checked before use; selecting it does not notify, so the list is loaded here.
    if (record.hasSelection && record.select >= 0 && record.select < count) {
        ::SendDlgItemMessageW(m_hWnd, IDC_SK_PLACE, CB_SETCURSEL, static_cast<WPARAM>(record.select), 0);
        LoadSelectedPlace();
    }
}

void CDlgShortKey::ShowError(UINT id, const std::wstring& detail) const {
    const std::wstring text = detail.empty() ? win::LoadStr(id) : win::TextWithDetail(id, detail);
    win::MessageBoxFor(m_hWnd, text, MB_OK | MB_ICONERROR);
}

bool CDlgShortKey::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kStoreEvent:
        OnStoreEvent();
        result = 0;
        return true;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lp);
        if (header->hwndFrom == m_list.Handle() && header->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lp);
            if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED)) {
                RefreshDetail();
            }
            result = 0;
            return true;
        }
        break;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_SK_PLACE:
            if (HIWORD(wp) == CBN_SELCHANGE) {
                LoadSelectedPlace();
            }
            break;
        case IDC_SK_KEY:
            if (HIWORD(wp) == EN_CHANGE && ::GetFocus() == m_key.m_hWnd) {
                UpdateButtons();
            }
            break;
        case IDC_SK_MENU:
            OnMenuButton();
            break;
        case IDC_SK_SEARCH:
            OnSearch();
            break;
        case IDC_SK_SET:
            OnSet();
            break;
        case IDC_SK_REMOVE:
            OnRemove();
            break;
        case ID_RESET_CURRENT:
            OnReset(false);
            break;
        case ID_RESET_ALL:
            OnReset(true);
            break;
        case ID_DATA_EXPORT:
            OnExport();
            break;
        case ID_DATA_IMPORT:
            OnImport();
            break;
        default:
            return CDlgToolT<CDlgShortKey>::ProcessWindowMessage(hwnd, msg, wp, lp, result);
        }
        result = 0;
        return true;
    default:
        break;
    }
    return CDlgToolT<CDlgShortKey>::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

} // namespace tools
