#include "tools/DlgUrlDocOpen.h"

#include "transfer/UrlStr.h"
#include "win/Handles.h"
#include "win/MessageBox.h"
#include "win/Module.h"
#include "win/Strings.h"

#include "resource.h"

#include <vector>

namespace tools {

namespace {

bool SameAddress(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                          static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// Every change the URL store announces.
constexpr DWORD kAllChanges = ~DWORD{0};

} // namespace

data::UrlHandle FindUrl(const data::CDataUrls& urls, std::wstring_view text, data::CDataUrl* found) {
    std::vector<data::UrlHandle> handles;
    urls.List(handles);
    for (const data::UrlHandle handle : handles) {
        data::CDataUrl url;
        if (urls.Get(handle, url) && SameAddress(url.address, text)) {
            if (found) {
                *found = std::move(url);
            }
            return handle;
        }
    }
    return data::kNoUrl;
}

CListUrl::~CListUrl() {
    Unregister();
}

bool CListUrl::Attach(HWND combo) {
    if (!Subclass(combo)) {
        return false;
    }
    m_urls.AddView(kAllChanges, combo, kStoreChanged);
    m_registered = combo;
    return Refill();
}

void CListUrl::Unregister() {
    if (m_registered) {
        (void)m_urls.RemoveView(m_registered);
        m_registered = nullptr;
    }
}

bool CListUrl::Refill() {
    if (!IsWindow()) {
        return false;
    }
    // Emptying the list may take the edit field's text, caret and chosen item with it: the user's typing must
    // survive a refill caused by another instance.
    const std::wstring text = GetText();
    DWORD selStart = 0;
    DWORD selEnd = 0;
    Send(CB_GETEDITSEL, reinterpret_cast<WPARAM>(&selStart), reinterpret_cast<LPARAM>(&selEnd));
    const bool hadItem = Send(CB_GETCURSEL) != CB_ERR;
    Send(CB_RESETCONTENT);
    std::vector<data::UrlHandle> handles;
    m_urls.List(handles);
    bool ok = true;
    for (const data::UrlHandle handle : handles) {
        data::CDataUrl url;
        if (!m_urls.Get(handle, url)) {
            ok = false;
            continue;
        }
        const LRESULT index = Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(url.address.c_str()));
        if (index == CB_ERR || index == CB_ERRSPACE) {
            ok = false;
            continue;
        }
        Send(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(handle));
    }
    if (hadItem) {
        const LRESULT index = Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        if (index != CB_ERR) {
            Send(CB_SETCURSEL, static_cast<WPARAM>(index));
        }
    }
    if (GetText() != text) {
        (void)SetText(text);
    }
    Send(CB_SETEDITSEL, 0, MAKELPARAM(static_cast<WORD>(selStart), static_cast<WORD>(selEnd)));
    return ok;
}

data::UrlHandle CListUrl::SelectedHandle() const {
    const LRESULT index = Send(CB_GETCURSEL);
    if (index == CB_ERR) {
        return data::kNoUrl;
    }
    const LRESULT handle = Send(CB_GETITEMDATA, static_cast<WPARAM>(index));
    return handle == CB_ERR ? data::kNoUrl : static_cast<data::UrlHandle>(handle);
}

int CListUrl::Count() const {
    const LRESULT count = Send(CB_GETCOUNT);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

bool CListUrl::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
    case kStoreChanged:
        if (!Refill()) {
            win::MessageBoxFor(GetParent(), win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
        }
        result = 0;
        return true;
    case WM_DESTROY:
        Unregister();
        return false;
    default:
        return false;
    }
}

CDlgUrlDocOpen::CDlgUrlDocOpen(data::CDataUrls& urls, const transfer::CUrlConn* initial)
    : CDialogImpl(IDD_URL_OPEN), m_urls(urls), m_list(urls), m_hasInitial(initial != nullptr) {
    if (initial) {
        m_initial = *initial;
    }
}

bool CDlgUrlDocOpen::OnInitDialog() {
    const HWND combo = GetDlgItem(IDC_URL_COMBO);
    if (!combo || !m_list.Attach(combo)) {
        return false;
    }
    m_newWindow = false;
    if (m_hasInitial) {
        (void)m_list.SetText(m_initial.Address().Url());
        ::CheckDlgButton(m_hWnd, IDC_URL_CACHE, m_initial.cache ? BST_CHECKED : BST_UNCHECKED);
        ::CheckDlgButton(m_hWnd, IDC_URL_PASV, m_initial.pasv ? BST_CHECKED : BST_UNCHECKED);
    }
    ::CheckDlgButton(m_hWnd, IDC_URL_NEW_WINDOW, BST_UNCHECKED);
    (void)CenterOn();
    return true;
}

void CDlgUrlDocOpen::TakeStoredFlags(std::wstring_view text) {
    data::CDataUrl stored;
    const bool found = FindUrl(m_urls, text, &stored) != data::kNoUrl;
    ::CheckDlgButton(m_hWnd, IDC_URL_CACHE, found && stored.cache ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, IDC_URL_PASV, found && stored.pasv ? BST_CHECKED : BST_UNCHECKED);
}

void CDlgUrlDocOpen::OnComboEvent(UINT code) {
    switch (code) {
    case CBN_SELCHANGE: {
        // The edit field takes the item's text only after this notification: read the item itself.
        const LRESULT index = m_list.Send(CB_GETCURSEL);
        if (index == CB_ERR) {
            break;
        }
        const LRESULT length = m_list.Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
        if (length == CB_ERR) {
            break;
        }
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        m_list.Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        TakeStoredFlags(text);
        break;
    }
    case CBN_EDITCHANGE:
    case CBN_CLOSEUP:
        TakeStoredFlags(m_list.GetText());
        break;
    case CBN_DROPDOWN:
        // An empty list has nothing to show: close it again at once.
        if (m_list.Count() == 0) {
            (void)m_list.Post(CB_SHOWDROPDOWN, FALSE);
        }
        break;
    default:
        break;
    }
}

void CDlgUrlDocOpen::OnMenuButton() {
    const HWND button = GetDlgItem(IDC_URL_MENU_BUTTON);
    win::CMenu menu(::LoadMenuW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(IDR_URL_MENU)));
    const HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!button || !popup) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
        return;
    }
    ::EnableMenuItem(popup, ID_URL_DELETE,
                     MF_BYCOMMAND | (m_list.SelectedHandle() != data::kNoUrl ? MF_ENABLED : MF_GRAYED));
    ::EnableMenuItem(popup, ID_URL_DELETE_ALL, MF_BYCOMMAND | (m_list.Count() > 0 ? MF_ENABLED : MF_GRAYED));
    RECT rc{};
    ::GetWindowRect(button, &rc);
    const UINT command = static_cast<UINT>(::TrackPopupMenu(
        popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, rc.left, rc.bottom, 0, m_hWnd, nullptr));
    if (command == ID_URL_DELETE) {
        OnDelete(false);
    } else if (command == ID_URL_DELETE_ALL) {
        OnDelete(true);
    }
}

void CDlgUrlDocOpen::OnDelete(bool all) {
    data::UrlHandle handle = all ? data::kNoUrl : m_list.SelectedHandle();
    if (!all && handle == data::kNoUrl) {
        return;
    }
    data::CDataUrl selected;
    if (!all && !m_urls.Get(handle, selected)) {
        return;
    }
    const UINT question = all ? IDS_ASK_URL_DELETE_ALL : IDS_ASK_URL_DELETE;
    if (win::MessageBoxFor(m_hWnd, win::LoadStr(question), MB_YESNO | MB_ICONWARNING) != IDYES) {
        return;
    }
    // The question box runs its own loop, in which another instance's change may have reloaded the list with
    // new handles: find the entry again by its address.
    if (!all) {
        handle = FindUrl(m_urls, selected.address);
    }
    // An entry that went meanwhile needs no deleting.
    if ((all || handle != data::kNoUrl) && !m_urls.Delete(handle)) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_URLS_DELETE), MB_OK | MB_ICONERROR);
    }
    ClearInput();
}

void CDlgUrlDocOpen::ClearInput() {
    m_list.Send(CB_SETCURSEL, static_cast<WPARAM>(-1));
    (void)m_list.SetText(L"");
    ::CheckDlgButton(m_hWnd, IDC_URL_CACHE, BST_UNCHECKED);
    ::CheckDlgButton(m_hWnd, IDC_URL_PASV, BST_UNCHECKED);
    FocusCombo();
}

void CDlgUrlDocOpen::FocusCombo() {
    if (m_list.m_hWnd) {
        Send(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_list.m_hWnd), TRUE);
    }
}

void CDlgUrlDocOpen::OnOk() {
    if (!m_list.IsWindow()) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
        return;
    }
    const std::wstring text = m_list.GetText();
    const bool cache = ::IsDlgButtonChecked(m_hWnd, IDC_URL_CACHE) == BST_CHECKED;
    const bool pasv = ::IsDlgButtonChecked(m_hWnd, IDC_URL_PASV) == BST_CHECKED;
    const bool newWindow = ::IsDlgButtonChecked(m_hWnd, IDC_URL_NEW_WINDOW) == BST_CHECKED;

    UINT refusal = 0;
    switch (transfer::CheckUrl(text)) {
    case transfer::UrlCheck::UrlOk:
        break;
    case transfer::UrlCheck::UrlEmpty:
        refusal = IDS_URL_EMPTY;
        break;
    case transfer::UrlCheck::UrlBadScheme:
        refusal = IDS_URL_BAD_SCHEME;
        break;
    default:
        refusal = IDS_URL_BAD_FORMAT;
        break;
    }
    m_connection.Reset();
    if (refusal == 0 && !m_connection.SetAddress(text)) {
        refusal = IDS_URL_BAD_FORMAT;
    }
    if (refusal != 0) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(refusal), MB_OK | MB_ICONWARNING);
        FocusCombo();
        return;
    }
    m_connection.cache = cache ? 1U : 0U;
    m_connection.pasv = pasv ? 1U : 0U;

    // The same address in other letters is the same entry: it moves to the front with the new options.
    data::CDataUrl record;
    record.address = text;
    record.cache = cache;
    record.pasv = pasv;
    const data::UrlHandle existing = FindUrl(m_urls, text);
    const bool stored = existing != data::kNoUrl ? m_urls.Update(existing, record) : m_urls.Add(record);
    if (!stored) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_URLS_ADD), MB_OK | MB_ICONERROR);
        return;
    }
    m_newWindow = newWindow;
    EndDialog(IDOK);
}

bool CDlgUrlDocOpen::ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        if (!OnInitDialog()) {
            win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
            EndDialog(IDCANCEL);
        }
        // The address combo box, the first tab stop, takes the focus.
        result = TRUE;
        return true;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_URL_COMBO:
            OnComboEvent(HIWORD(wp));
            break;
        case IDC_URL_MENU_BUTTON:
            if (HIWORD(wp) == BN_CLICKED) {
                OnMenuButton();
            }
            break;
        case IDOK:
            OnOk();
            break;
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

} // namespace tools
