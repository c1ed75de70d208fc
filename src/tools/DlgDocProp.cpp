#include "tools/DlgDocProp.h"

#include "win/MessageBox.h"
#include "win/Strings.h"

namespace tools {

CDlgDocProp::CDlgDocProp(data::CDataLayout& layout, IPropSource& source)
    : CDlgToolT<CDlgDocProp>(IDD_DOC_PROP, kLayoutName, layout), m_source(source) {}

bool CDlgDocProp::OnInitTool() {
    const HWND box = Category();
    if (!box || !m_list.Init(GetDlgItem(IDC_PROP_LIST))) {
        return false;
    }
    const std::pair<PropCategory, UINT> categories[] = {
        {PropCategory::Document, IDS_PROP_CAT_DOC},
        {PropCategory::File, IDS_PROP_CAT_FILE},
        {PropCategory::Topic, IDS_PROP_CAT_TOPIC},
    };
    for (const auto& [category, name] : categories) {
        const std::wstring text = win::LoadStr(name);
        const LRESULT index = ::SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (index < 0) {
            return false;
        }
        ::SendMessageW(box, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(category));
    }
    ::SendMessageW(box, CB_SETCURSEL, 0, 0);
    m_source.Events().AddView(m_source.ChangeEvents(), m_hWnd, kDocumentEvent, 0);
    m_subscribed = true;
    return Refresh();
}

void CDlgDocProp::OnDestroyTool() {
    if (m_subscribed) {
        (void)m_source.Events().RemoveView(m_hWnd);
        m_subscribed = false;
    }
}

PropCategory CDlgDocProp::CurrentCategory() const {
    const HWND box = Category();
    const LRESULT index = ::SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (index < 0) {
        return PropCategory::Document;
    }
    return static_cast<PropCategory>(::SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

bool CDlgDocProp::SelectCategory(PropCategory category) {
    const HWND box = Category();
    const auto count = static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (::SendMessageW(box, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == static_cast<LRESULT>(category)) {
            ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return Refresh();
        }
    }
    return false;
}

bool CDlgDocProp::ShowTopicPage() {
    return ShowTool(true) && SelectCategory(PropCategory::Topic);
}

bool CDlgDocProp::Refresh() {
    if (!m_hWnd) {
        return false;
    }
    if (!m_source.HasDocument()) {
        ::EnableWindow(Category(), FALSE);
        m_list.Clear();
        return true;
    }
    ::EnableWindow(Category(), TRUE);
    switch (CurrentCategory()) {
    case PropCategory::File:
        return m_list.Show(BuildFileRows(m_source.FileProperties()));
    case PropCategory::Topic:
        return m_list.Show(BuildTopicRows(m_source.TopicProperties()));
    default:
        return m_list.Show(BuildDocRows(m_source.DocProperties()));
    }
}

void CDlgDocProp::ReportFailure() const {
    win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_DIALOG), MB_OK | MB_ICONERROR);
}

void CDlgDocProp::StoreExtra(data::CDataWindow& record) const {
    record.hasSelection = true;
    record.select = static_cast<int32_t>(::SendMessageW(Category(), CB_GETCURSEL, 0, 0));
}

void CDlgDocProp::ApplyExtra(const data::CDataWindow& record) {
    const auto count = static_cast<int32_t>(::SendMessageW(Category(), CB_GETCOUNT, 0, 0));
    if (record.hasSelection && record.select >= 0 && record.select < count) {
        ::SendMessageW(Category(), CB_SETCURSEL, static_cast<WPARAM>(record.select), 0);
        if (!Refresh()) {
            ReportFailure();
        }
    }
}

bool CDlgDocProp::TranslateToolKeys(MSG& msg) {
    return m_list.TranslateKeys(m_hWnd, msg);
}

bool CDlgDocProp::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kDocumentEvent:
        if (!Refresh()) {
            ReportFailure();
        }
        result = 0;
        return true;
    case WM_CONTEXTMENU:
        if (m_list.OnContextMenu(m_hWnd, wp, lp, m_menuBar)) {
            result = 0;
            return true;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wp) == IDC_PROP_CATEGORY && HIWORD(wp) == CBN_SELCHANGE) {
            if (!Refresh()) {
                ReportFailure();
            }
            result = 0;
            return true;
        }
        if (CListProp::IsOwnCommand(LOWORD(wp))) {
            if (!m_list.RunCommand(m_hWnd, LOWORD(wp))) {
                ReportFailure();
            }
            result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return CDlgToolT<CDlgDocProp>::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

} // namespace tools
