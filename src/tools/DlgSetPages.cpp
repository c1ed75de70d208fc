#include "tools/DlgSetPages.h"

#include "tools/DlgFile.h"
#include "transfer/UrlStr.h"
#include "win/MessageBox.h"
#include "win/Path.h"
#include "win/Strings.h"

#include "resource.h"

#include <commctrl.h>

#include <array>
#include <cwchar>
#include <cwctype>
#include <type_traits>

namespace tools {

namespace {

constexpr DWORD kStoreCodes = data::CDataSetting::kReloaded | data::CDataSetting::kReset |
                              data::CDataSetting::kChanged | data::CDataSetting::kImported;

std::wstring Trimmed(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(L" \t");
    return std::wstring(text.substr(first, last - first + 1));
}

} // namespace

RangedInput ParseRanged(std::wstring_view text, uint32_t min, uint32_t max, uint32_t& value) {
    const std::wstring digits = Trimmed(text);
    if (digits.empty()) {
        return RangedInput::NotNumber;
    }
    uint64_t number = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') {
            return RangedInput::NotNumber;
        }
        // Anything past the 32-bit range is out of every range: stop counting before it can overflow.
        number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(c - L'0'), uint64_t{1} << 33);
    }
    if (number < min || number > max) {
        return RangedInput::OutOfRange;
    }
    value = static_cast<uint32_t>(number);
    return RangedInput::Ok;
}

// ---- Page base

CDlgSet::~CDlgSet() {
    if (m_registered) {
        (void)m_setting.RemoveView(m_hWnd);
    }
}

HWND CDlgSet::CreatePage(HWND parent) {
    const HWND hwnd = Create(parent);
    if (hwnd && m_initFailed) {
        EndDialog(0);
        return nullptr;
    }
    return hwnd;
}

bool CDlgSet::Apply() {
    if (!Write()) {
        return false;
    }
    m_dirty = false;
    return true;
}

void CDlgSet::Revert() {
    m_filling = true;
    Fill();
    UpdateEnabled();
    m_filling = false;
    m_dirty = false;
}

bool CDlgSet::Reset() {
    const auto section = Section();
    if (!section || !m_setting.ResetSection(*section)) {
        return false;
    }
    Revert();
    return true;
}

bool CDlgSet::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        m_setting.AddView(kStoreCodes, hwnd, kStoreChanged);
        m_registered = true;
        m_initFailed = !OnInitPage();
        Revert();
        // The focus stays where the dialog has it (the page tree).
        result = FALSE;
        return true;
    case WM_COMMAND: {
        if (!lp) {
            return false;
        }
        const UINT id = LOWORD(wp);
        switch (HIWORD(wp)) {
        case EN_CHANGE:
            if (!m_filling) {
                Changed();
            }
            break;
        case EN_SETFOCUS:
        case EN_KILLFOCUS: {
            const std::wstring guide = GuideOf(id);
            if (!guide.empty()) {
                const std::wstring shown = HIWORD(wp) == EN_SETFOCUS ? guide : std::wstring();
                ::SendMessageW(::GetParent(hwnd), kGuide, reinterpret_cast<WPARAM>(shown.c_str()), 0);
            }
            break;
        }
        case BN_CLICKED: {
            const LONG_PTR type = ::GetWindowLongPtrW(reinterpret_cast<HWND>(lp), GWL_STYLE) & BS_TYPEMASK;
            if (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON) {
                UpdateEnabled();
                if (!m_filling) {
                    Changed();
                }
            } else {
                OnButton(id);
            }
            break;
        }
        default:
            break;
        }
        result = 0;
        return true;
    }
    case WM_HSCROLL:
        if (lp && !m_filling) {
            Changed();
        }
        result = 0;
        return true;
    case kStoreChanged:
        // Another instance's change (or a reset or import) shows at once unless the user is editing here.
        if (!m_dirty) {
            Revert();
        }
        result = 0;
        return true;
    case WM_DESTROY:
        if (m_registered) {
            (void)m_setting.RemoveView(hwnd);
            m_registered = false;
        }
        return false;
    default:
        return false;
    }
}

void CDlgSet::Changed() {
    m_dirty = true;
    ::SendMessageW(::GetParent(m_hWnd), kDirty, TRUE, TRUE);
}

bool CDlgSet::IsChecked(UINT id) const {
    return ::IsDlgButtonChecked(m_hWnd, static_cast<int>(id)) == BST_CHECKED;
}

void CDlgSet::SetChecked(UINT id, bool checked) const {
    ::CheckDlgButton(m_hWnd, static_cast<int>(id), checked ? BST_CHECKED : BST_UNCHECKED);
}

std::wstring CDlgSet::ItemText(UINT id) const {
    return win::CWindow(::GetDlgItem(m_hWnd, static_cast<int>(id))).GetText();
}

void CDlgSet::SetItemText(UINT id, const std::wstring& text) const {
    ::SetDlgItemTextW(m_hWnd, static_cast<int>(id), text.c_str());
}

void CDlgSet::EnableItem(UINT id, bool enable) const {
    ::EnableWindow(::GetDlgItem(m_hWnd, static_cast<int>(id)), enable ? TRUE : FALSE);
}

bool CDlgSet::Refuse(UINT textId, UINT control) const {
    win::MessageBoxFor(::GetParent(m_hWnd), win::LoadStr(textId), MB_OK | MB_ICONWARNING);
    if (const HWND item = ::GetDlgItem(m_hWnd, static_cast<int>(control))) {
        ::SetFocus(item);
        ::SendMessageW(item, EM_SETSEL, 0, -1);
    }
    return false;
}

bool CDlgSet::ReadRanged(UINT edit, uint32_t min, uint32_t max, uint32_t& value) const {
    switch (ParseRanged(ItemText(edit), min, max, value)) {
    case RangedInput::Ok:
        return true;
    case RangedInput::NotNumber:
        return Refuse(IDS_SET_NOT_NUMBER, edit);
    case RangedInput::OutOfRange:
        return Refuse(IDS_SET_OUT_OF_RANGE, edit);
    }
    return false;
}

void CDlgSet::SetRanged(UINT spin, uint32_t min, uint32_t max, uint32_t value) const {
    const HWND control = ::GetDlgItem(m_hWnd, static_cast<int>(spin));
    ::SendMessageW(control, UDM_SETRANGE32, min, max);
    ::SendMessageW(control, UDM_SETPOS32, 0, static_cast<LPARAM>(value));
}

std::wstring CDlgSet::RangeGuide(uint32_t min, uint32_t max) {
    wchar_t text[128] = {};
    const std::wstring format = win::LoadStr(IDS_SET_RANGE_GUIDE);
    std::swprintf(text, std::size(text), format.c_str(), static_cast<unsigned long>(min),
                  static_cast<unsigned long>(max));
    return text;
}

bool CDlgSet::Written(bool written) const {
    if (!written) {
        win::MessageBoxFor(::GetParent(m_hWnd), win::TextWithDetail(IDS_ERR_SETTING_APPLY, m_setting.GetError()),
                           MB_OK | MB_ICONERROR);
    }
    return written;
}

// ---- Start-up document

CDlgSetDocView::CDlgSetDocView(data::CDataSetting& setting, ISettingHost& host, std::wstring execDir)
    : CDlgSet(IDD_SET_DOCVIEW, setting), m_host(host), m_execDir(std::move(execDir)) {}

void CDlgSetDocView::Fill() {
    Show(m_setting.GetDocView());
}

void CDlgSetDocView::Show(const data::CDataSetDocView& start) {
    const UINT kind = start.startDoc == data::StartDoc::File  ? IDC_SET_START_FILE
                      : start.startDoc == data::StartDoc::Url ? IDC_SET_START_URL
                                                              : IDC_SET_START_NONE;
    ::CheckRadioButton(m_hWnd, IDC_SET_START_NONE, IDC_SET_START_URL, static_cast<int>(kind));
    SetItemText(IDC_SET_START_PATH, start.file.path);
    SetItemText(IDC_SET_START_ADDRESS, start.url.address);
    SetItemText(IDC_SET_START_TOPIC, start.topic.path);
    SetChecked(IDC_SET_START_CACHE, start.url.cache);
    SetChecked(IDC_SET_START_PASV, start.url.pasv);
    m_user = start.url.user;
    m_userAddress = start.url.address;
}

data::StartDoc CDlgSetDocView::Kind() const {
    if (IsChecked(IDC_SET_START_FILE)) {
        return data::StartDoc::File;
    }
    return IsChecked(IDC_SET_START_URL) ? data::StartDoc::Url : data::StartDoc::None;
}

void CDlgSetDocView::UpdateEnabled() {
    const data::StartDoc kind = Kind();
    const bool url = kind == data::StartDoc::Url;
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SET_START_PATH), url ? SW_HIDE : SW_SHOWNA);
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SET_START_ADDRESS), url ? SW_SHOWNA : SW_HIDE);
    EnableItem(IDC_SET_START_PATH, kind == data::StartDoc::File);
    EnableItem(IDC_SET_START_ADDRESS, url);
    EnableItem(IDC_SET_START_TOPIC, kind != data::StartDoc::None);
    EnableItem(IDC_SET_START_CACHE, url);
    EnableItem(IDC_SET_START_PASV, url);
    EnableItem(IDC_SET_START_TRY, kind != data::StartDoc::None);
    data::CDataSetDocView current;
    EnableItem(IDC_SET_START_CURRENT, m_host.GetCurrentDocument(current));
}

bool CDlgSetDocView::Read(data::CDataSetDocView& start) const {
    start = m_setting.GetDocView();
    start.startDoc = Kind();
    start.file.path = Trimmed(ItemText(IDC_SET_START_PATH));
    start.url.address = Trimmed(ItemText(IDC_SET_START_ADDRESS));
    // The user name belongs to the address it was stored with.
    start.url.user = win::EqualsNoCase(start.url.address, m_userAddress) ? m_user : std::wstring();
    start.url.cache = IsChecked(IDC_SET_START_CACHE);
    start.url.pasv = IsChecked(IDC_SET_START_PASV);
    start.topic.path = Trimmed(ItemText(IDC_SET_START_TOPIC));
    if (start.startDoc == data::StartDoc::File && start.file.path.empty()) {
        return Refuse(IDS_SET_NEED_PATH, IDC_SET_START_PATH);
    }
    if (start.startDoc == data::StartDoc::Url) {
        switch (transfer::CheckUrl(start.url.address)) {
        case transfer::UrlCheck::UrlOk:
            break;
        case transfer::UrlCheck::UrlEmpty:
            return Refuse(IDS_URL_EMPTY, IDC_SET_START_ADDRESS);
        case transfer::UrlCheck::UrlBadScheme:
            return Refuse(IDS_URL_BAD_SCHEME, IDC_SET_START_ADDRESS);
        default:
            return Refuse(IDS_URL_BAD_FORMAT, IDC_SET_START_ADDRESS);
        }
    }
    return true;
}

bool CDlgSetDocView::Write() {
    data::CDataSetDocView start;
    return Read(start) && Written(m_setting.SetDocView(start));
}

void CDlgSetDocView::OnButton(UINT id) {
    data::CDataSetDocView start;
    if (id == IDC_SET_START_CURRENT) {
        if (m_host.GetCurrentDocument(start)) {
            Show(start);
            UpdateEnabled();
            Changed();
        }
    } else if (id == IDC_SET_START_TRY && Read(start) && !m_host.OpenTrial(start)) {
        win::MessageBoxFor(::GetParent(m_hWnd), win::LoadStr(IDS_ERR_DOC_OPEN), MB_OK | MB_ICONERROR);
    }
}

std::wstring CDlgSetDocView::GuideOf(UINT id) const {
    if (id == IDC_SET_START_PATH) {
        return win::LoadStr(IDS_SET_PATH_GUIDE);
    }
    return id == IDC_SET_START_TOPIC ? win::LoadStr(IDS_SET_TOPIC_GUIDE) : std::wstring();
}

// ---- Tool bar, headings

CDlgSetToolBar::CDlgSetToolBar(data::CDataSetting& setting) : CDlgSet(IDD_SET_TOOLBAR, setting) {}

void CDlgSetToolBar::Fill() {
    SetChecked(IDC_SET_FULLHIDE, m_setting.GetToolBar().fullHide);
}

bool CDlgSetToolBar::Write() {
    data::CDataSetToolBar section = m_setting.GetToolBar();
    section.fullHide = IsChecked(IDC_SET_FULLHIDE);
    return Written(m_setting.SetToolBar(section));
}

CDlgSetNavi::CDlgSetNavi(data::CDataSetting& setting) : CDlgSet(IDD_SET_EMPTY, setting) {}

CDlgSetSubWin::CDlgSetSubWin(data::CDataSetting& setting) : CDlgSet(IDD_SET_EMPTY, setting) {}

// ---- Topic view

namespace {

struct PageOverControls {
    data::PageOverMethod method;
    UINT box;
    UINT track;
};

constexpr std::array<PageOverControls, 3> kPageOver{{
    {data::PageOverMethod::MouseWheel, IDC_SET_PGOV_WHEEL, IDC_SET_PGOV_WHEEL_TRACK},
    {data::PageOverMethod::CursorKey, IDC_SET_PGOV_CURSOR, IDC_SET_PGOV_CURSOR_TRACK},
    {data::PageOverMethod::PageKey, IDC_SET_PGOV_PAGE, IDC_SET_PGOV_PAGE_TRACK},
}};

} // namespace

CDlgSetHtmlView1::CDlgSetHtmlView1(data::CDataSetting& setting) : CDlgSet(IDD_SET_HTMLVIEW1, setting) {}

bool CDlgSetHtmlView1::OnInitPage() {
    for (const PageOverControls& row : kPageOver) {
        const HWND track = ::GetDlgItem(m_hWnd, static_cast<int>(row.track));
        if (!track) {
            return false;
        }
        ::SendMessageW(track, TBM_SETRANGE, FALSE, MAKELPARAM(0, data::PageOverRule::kMaxRepeat));
        ::SendMessageW(track, TBM_SETPAGESIZE, 0, 5);
    }
    return true;
}

void CDlgSetHtmlView1::Fill() {
    const data::CDataSetHtmlView1 section = m_setting.GetHtmlView1();
    for (const PageOverControls& row : kPageOver) {
        const data::PageOverRule& rule = section.Rule(row.method);
        SetChecked(row.box, rule.enable);
        ::SendDlgItemMessageW(m_hWnd, static_cast<int>(row.track), TBM_SETPOS, TRUE,
                              static_cast<LPARAM>(rule.repeat));
    }
    SetChecked(IDC_SET_PGOV_TOC_ONLY, section.noPageOverOffContents);
}

void CDlgSetHtmlView1::UpdateEnabled() {
    for (const PageOverControls& row : kPageOver) {
        EnableItem(row.track, IsChecked(row.box));
    }
}

bool CDlgSetHtmlView1::Write() {
    data::CDataSetHtmlView1 section = m_setting.GetHtmlView1();
    for (const PageOverControls& row : kPageOver) {
        data::PageOverRule& rule = section.Rule(row.method);
        rule.enable = IsChecked(row.box);
        rule.repeat = static_cast<uint32_t>(
            ::SendDlgItemMessageW(m_hWnd, static_cast<int>(row.track), TBM_GETPOS, 0, 0));
    }
    section.noPageOverOffContents = IsChecked(IDC_SET_PGOV_TOC_ONLY);
    return Written(m_setting.SetHtmlView1(section));
}

// ---- History and library windows

template <class Record> CDlgSetToolWindow<Record>::CDlgSetToolWindow(data::CDataSetting& setting)
    : CDlgSet(std::is_same_v<Record, data::CDataSetDocHist> ? IDD_SET_DOCHIST : IDD_SET_DOCLIB, setting) {}

template <class Record> std::optional<data::SettingSection> CDlgSetToolWindow<Record>::Section() const {
    return std::is_same_v<Record, data::CDataSetDocHist> ? data::SettingSection::DocHist
                                                           : data::SettingSection::DocLib;
}

template <class Record> void CDlgSetToolWindow<Record>::Fill() {
    if constexpr (std::is_same_v<Record, data::CDataSetDocHist>) {
        SetChecked(IDC_SET_OPENHIDE, m_setting.GetDocHist().openHide);
    } else {
        SetChecked(IDC_SET_OPENHIDE, m_setting.GetDocLib().openHide);
    }
}

template <class Record> bool CDlgSetToolWindow<Record>::Write() {
    if constexpr (std::is_same_v<Record, data::CDataSetDocHist>) {
        data::CDataSetDocHist section = m_setting.GetDocHist();
        section.openHide = IsChecked(IDC_SET_OPENHIDE);
        return Written(m_setting.SetDocHist(section));
    } else {
        data::CDataSetDocLib section = m_setting.GetDocLib();
        section.openHide = IsChecked(IDC_SET_OPENHIDE);
        return Written(m_setting.SetDocLib(section));
    }
}

template class CDlgSetToolWindow<data::CDataSetDocHist>;
template class CDlgSetToolWindow<data::CDataSetDocLib>;

// ---- File dialogs

namespace {

struct FolderControls {
    UINT box;
    UINT edit;
    UINT browse;
    data::DefaultFolder data::CDataSetFileDlg::* field;
};

constexpr std::array<FolderControls, 2> kFolders{{
    {IDC_SET_DOCDIR_ON, IDC_SET_DOCDIR, IDC_SET_DOCDIR_BROWSE, &data::CDataSetFileDlg::doc},
    {IDC_SET_DATADIR_ON, IDC_SET_DATADIR, IDC_SET_DATADIR_BROWSE, &data::CDataSetFileDlg::data},
}};

} // namespace

CDlgSetFileDlg::CDlgSetFileDlg(data::CDataSetting& setting, std::wstring execDir)
    : CDlgSet(IDD_SET_FILEDLG, setting), m_execDir(std::move(execDir)) {}

void CDlgSetFileDlg::Fill() {
    const data::CDataSetFileDlg section = m_setting.GetFileDlg();
    for (const FolderControls& row : kFolders) {
        SetChecked(row.box, (section.*row.field).enable);
        SetItemText(row.edit, (section.*row.field).folder);
    }
}

void CDlgSetFileDlg::UpdateEnabled() {
    for (const FolderControls& row : kFolders) {
        EnableItem(row.edit, IsChecked(row.box));
        EnableItem(row.browse, IsChecked(row.box));
    }
}

bool CDlgSetFileDlg::Write() {
    data::CDataSetFileDlg section = m_setting.GetFileDlg();
    for (const FolderControls& row : kFolders) {
        data::DefaultFolder& folder = section.*row.field;
        folder.enable = IsChecked(row.box);
        folder.folder = Trimmed(ItemText(row.edit));
        if (folder.enable && folder.folder.empty()) {
            return Refuse(IDS_SET_NEED_FOLDER, row.edit);
        }
    }
    return Written(m_setting.SetFileDlg(section));
}

void CDlgSetFileDlg::OnButton(UINT id) {
    for (const FolderControls& row : kFolders) {
        if (row.browse != id) {
            continue;
        }
        const std::wstring typed = Trimmed(ItemText(row.edit));
        CDlgFolder dialog;
        if (dialog.Show(::GetParent(m_hWnd), win::LoadStr(IDS_SET_FOLDER_TITLE),
                        typed.empty() ? std::wstring() : win::ResolveAgainst(typed, m_execDir), 0)) {
            SetItemText(row.edit, dialog.Path());
        }
        ::SetFocus(::GetDlgItem(m_hWnd, static_cast<int>(row.browse)));
    }
}

std::wstring CDlgSetFileDlg::GuideOf(UINT id) const {
    return id == IDC_SET_DOCDIR || id == IDC_SET_DATADIR ? win::LoadStr(IDS_SET_PATH_GUIDE) : std::wstring();
}

// ---- Communication

CDlgSetComm::CDlgSetComm(data::CDataSetting& setting) : CDlgSet(IDD_SET_COMM, setting) {}

void CDlgSetComm::Fill() {
    SetRanged(IDC_SET_TIMEOUT_SPIN, data::CDataSetComm::kMinTimeout, data::CDataSetComm::kMaxTimeout,
              m_setting.GetComm().timeout);
}

bool CDlgSetComm::Write() {
    data::CDataSetComm section = m_setting.GetComm();
    return ReadRanged(IDC_SET_TIMEOUT, data::CDataSetComm::kMinTimeout, data::CDataSetComm::kMaxTimeout,
                      section.timeout) &&
           Written(m_setting.SetComm(section));
}

std::wstring CDlgSetComm::GuideOf(UINT id) const {
    return id == IDC_SET_TIMEOUT ? RangeGuide(data::CDataSetComm::kMinTimeout, data::CDataSetComm::kMaxTimeout)
                                 : std::wstring();
}

// ---- History counts

CDlgSetHist::CDlgSetHist(data::CDataSetting& setting) : CDlgSet(IDD_SET_HIST, setting) {}

void CDlgSetHist::Fill() {
    const data::CDataSetHist section = m_setting.GetHist();
    SetChecked(IDC_SET_HIST_DOC, section.doc);
    SetRanged(IDC_SET_HIST_DOCNUM_SPIN, 1, data::CDataSetHist::kMaxDocNum, section.docNum);
    SetChecked(IDC_SET_HIST_URL, section.url);
    SetRanged(IDC_SET_HIST_URLNUM_SPIN, 1, data::CDataSetHist::kMaxUrlNum, section.urlNum);
}

void CDlgSetHist::UpdateEnabled() {
    const bool doc = IsChecked(IDC_SET_HIST_DOC);
    EnableItem(IDC_SET_HIST_DOCNUM, doc);
    EnableItem(IDC_SET_HIST_DOCNUM_SPIN, doc);
    const bool url = IsChecked(IDC_SET_HIST_URL);
    EnableItem(IDC_SET_HIST_URLNUM, url);
    EnableItem(IDC_SET_HIST_URLNUM_SPIN, url);
}

bool CDlgSetHist::Write() {
    data::CDataSetHist section = m_setting.GetHist();
    section.doc = IsChecked(IDC_SET_HIST_DOC);
    section.url = IsChecked(IDC_SET_HIST_URL);
    // A count is read only while it can be edited; a switched-off one keeps its stored value.
    if (section.doc && !ReadRanged(IDC_SET_HIST_DOCNUM, 1, data::CDataSetHist::kMaxDocNum, section.docNum)) {
        return false;
    }
    if (section.url && !ReadRanged(IDC_SET_HIST_URLNUM, 1, data::CDataSetHist::kMaxUrlNum, section.urlNum)) {
        return false;
    }
    return Written(m_setting.SetHist(section));
}

std::wstring CDlgSetHist::GuideOf(UINT id) const {
    if (id == IDC_SET_HIST_DOCNUM) {
        return RangeGuide(1, data::CDataSetHist::kMaxDocNum);
    }
    return id == IDC_SET_HIST_URLNUM ? RangeGuide(1, data::CDataSetHist::kMaxUrlNum) : std::wstring();
}

} // namespace tools
