#include "tools/DlgDocHist.h"

#include "tools/DocClip.h"
#include "tools/PropRows.h"
#include "win/Clipboard.h"
#include "win/ContextMenu.h"
#include "win/DropData.h"
#include "win/Handles.h"
#include "win/MessageBox.h"
#include "win/Module.h"
#include "win/Strings.h"


#include <algorithm>
#include <iterator>

namespace tools {

transfer::CPropDoc PropDocOf(const data::CDataDoc& doc) {
    transfer::CPropDoc props;
    props.title = doc.title;
    props.filePath = doc.file.path;
    if (!doc.url.address.empty() && props.connection.SetAddress(doc.url.address)) {
        props.connection.user = doc.url.user;
        props.connection.cache = doc.url.cache ? 1U : 0U;
        props.connection.pasv = doc.url.pasv ? 1U : 0U;
    }
    props.topic = transfer::CTopicStr(std::wstring_view(doc.topic.path), false);
    props.opened = doc.time;
    props.note = doc.note;
    return props;
}

CDlgDocHist::CDlgDocHist(data::CDataLayout& layout, data::CDataHistory& history, const data::CDataSetting& setting,
                         IDocOpener& opener)
    : CDlgDocTree(IDD_DOC_HIST, kLayoutName, layout, m_tree, {IDC_HIST_TREE, IDC_HIST_LIST, IDC_HIST_SPLIT_AREA}),
      m_history(history), m_setting(setting), m_opener(opener) {}

bool CDlgDocHist::OnInitTool() {
    if (!InitControls()) {
        return false;
    }
    m_history.AddView(xml::CXmlStore::kReloaded | data::CDataHistory::kAdded | data::CDataHistory::kRemoved, m_hWnd,
                      kHistoryEvent);
    m_subscribed = true;
    RebuildNow();
    return true;
}

void CDlgDocHist::OnDestroyTool() {
    if (m_subscribed) {
        (void)m_history.RemoveView(m_hWnd);
        m_subscribed = false;
    }
}

void CDlgDocHist::MarkStale() {
    // The store tells us from inside its own operation, perhaps while our caller still holds a tree item: the
    // tree is rebuilt once, later, from the message loop.
    if (!m_rebuildPosted) {
        m_rebuildPosted = Post(kRebuild);
    }
}

void CDlgDocHist::RebuildNow() {
    const std::set<data::NodeHandle> skipped = m_tree.Rebuild(m_history);
    ShowSelected();
    bool fresh = false;
    for (const data::NodeHandle key : skipped) {
        fresh = m_reported.insert(key).second || fresh;
    }
    if (fresh) {
        (void)Post(kReportSkipped);
    }
}

void CDlgDocHist::ShowSelected() {
    data::CDataDoc doc;
    const data::NodeHandle key = m_tree.SelectedKey();
    if (key != data::kNoNode && m_history.GetDoc(key, doc)) {
        (void)m_list.Show(BuildDocRows(PropDocOf(doc)));
    } else {
        m_list.Clear();
    }
}

bool CDlgDocHist::IsCommandEnabled(UINT id) const {
    const TreeItemKind kind = m_tree.GetKind(m_tree.GetSelection());
    switch (id) {
    case ID_FILE_OPEN:
    case ID_FILE_NEW_WINDOW:
    case ID_OPEN_CONFIRM:
    case ID_EDIT_COPY:
        return IsDocKind(kind);
    case ID_ITEM_ACTION:
        return IsDocKind(kind) || kind == TreeItemKind::Group;
    default:
        return false;
    }
}

bool CDlgDocHist::RunTreeCommand(UINT id) {
    if (!IsCommandEnabled(id)) {
        return true;
    }
    switch (id) {
    case ID_FILE_OPEN:
        return OpenSelected(false, false);
    case ID_FILE_NEW_WINDOW:
        return OpenSelected(true, false);
    case ID_OPEN_CONFIRM:
        return OpenSelected(false, true);
    case ID_EDIT_COPY:
        return CopySelected();
    case ID_ITEM_ACTION:
        return DeleteSelected();
    default:
        return true;
    }
}

bool CDlgDocHist::OpenSelected(bool newWindow, bool confirm) {
    data::CDataDoc doc;
    if (!m_history.GetDoc(m_tree.SelectedKey(), doc) || !m_opener.RequestOpen(doc, newWindow, confirm)) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
        return false;
    }
    if (m_setting.GetDocHist().openHide) {
        ShowTool(false);
    }
    return true;
}

bool CDlgDocHist::CopySelected() {
    data::CDataDoc doc;
    if (!m_history.GetDoc(m_tree.SelectedKey(), doc) || !CopyDocToClipboard(m_hWnd, doc)) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

void CDlgDocHist::DragEntry(HTREEITEM item) {
    // The entry is read before the drag: the drag's loop may rebuild the tree under it.
    data::CDataDoc doc;
    std::string utf8;
    if (!IsDocKind(m_tree.GetKind(item)) ||
        !m_history.GetDoc(static_cast<data::NodeHandle>(m_tree.GetData(item)), doc) ||
        !BuildDocExchangeText(doc, utf8)) {
        return;
    }
    // The history keeps its entries: a drop elsewhere copies.
    DWORD effect = DROPEFFECT_NONE;
    if (!win::StartDrag(static_cast<CLIPFORMAT>(win::DataFolderFormat()), DROPEFFECT_COPY, utf8.c_str(),
                        utf8.size() + 1, effect)) {
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
    }
}

bool CDlgDocHist::DeleteSelected() {
    // Only the key survives the question: the tree may be rebuilt while the box is up.
    const bool all = m_tree.GetKind(m_tree.GetSelection()) == TreeItemKind::Group;
    const data::NodeHandle key = m_tree.SelectedKey();
    const UINT question = all ? IDS_ASK_HISTORY_DELETE_ALL : IDS_ASK_HISTORY_DELETE;
    if (win::MessageBoxFor(m_hWnd, win::LoadStr(question), MB_YESNO | MB_ICONWARNING) != IDYES) {
        return true;
    }
    const bool removed = all ? m_history.Clear() : m_history.Remove(key);
    if (!removed) {
        win::MessageBoxFor(m_hWnd, win::TextWithDetail(IDS_ERR_HISTORY_DELETE, m_history.GetError()),
                           MB_OK | MB_ICONERROR);
        return false;
    }
    if (!all) {
        if (const HTREEITEM item = m_tree.FindEntry(key)) {
            (void)m_tree.RemoveItem(item);
        }
    }
    return true;
}

void CDlgDocHist::ShowTreeMenu(POINT screen) {
    screen = TreeMenuPoint(screen);
    win::CContextMenu menu(m_hWnd, m_menuBar);
    if (!menu.SetMenu(IDR_HISTORY_TREE, 0)) {
        return;
    }
    for (const UINT id : {ID_FILE_OPEN, ID_FILE_NEW_WINDOW, ID_OPEN_CONFIRM, ID_EDIT_COPY, ID_ITEM_ACTION}) {
        ::EnableMenuItem(menu.Popup(), id, MF_BYCOMMAND | (IsCommandEnabled(id) ? MF_ENABLED : MF_GRAYED));
    }
    // The command runs here rather than through WM_COMMAND, where the list's commands share its ids.
    if (const UINT chosen = menu.Track(screen); chosen != 0) {
        (void)RunTreeCommand(chosen);
    }
}

bool CDlgDocHist::TranslateToolKeys(MSG& msg) {
    if (msg.hwnd == m_tree.m_hWnd) {
        static const HACCEL table =
            ::LoadAcceleratorsW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(IDR_HISTORY_TREE));
        return table && ::TranslateAcceleratorW(m_hWnd, table, &msg) != 0;
    }
    return TranslateListKeys(msg);
}

bool CDlgDocHist::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != m_tree.m_hWnd) {
        return false;
    }
    switch (header.code) {
    case TVN_SELCHANGEDW:
        if (!m_tree.IsBuilding()) {
            ShowSelected();
        }
        result = 0;
        return true;
    case TVN_BEGINDRAGW:
        DragEntry(reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.hItem);
        result = 0;
        return true;
    case TVN_ITEMEXPANDEDW:
        m_tree.SyncImage(reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.hItem);
        result = 0;
        return true;
    case NM_DBLCLK:
        if (!OpenOnDoubleClick()) {
            return false;
        }
        result = TRUE;
        return true;
    default:
        return false;
    }
}

bool CDlgDocHist::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kHistoryEvent:
        MarkStale();
        result = 0;
        return true;
    case kRebuild:
        m_rebuildPosted = false;
        RebuildNow();
        result = 0;
        return true;
    case kReportSkipped:
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ERR_WINDOW), MB_OK | MB_ICONERROR);
        result = 0;
        return true;
    case WM_NOTIFY:
        if (OnNotify(*reinterpret_cast<const NMHDR*>(lp), result)) {
            return true;
        }
        break;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case ID_FILE_OPEN:
        case ID_FILE_NEW_WINDOW:
        case ID_OPEN_CONFIRM:
        case ID_EDIT_COPY:
        case ID_ITEM_ACTION:
            (void)RunTreeCommand(LOWORD(wp));
            result = 0;
            return true;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return CDlgDocTree::ProcessWindowMessage(hwnd, msg, wp, lp, result);
}

} // namespace tools
