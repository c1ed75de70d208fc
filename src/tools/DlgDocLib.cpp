#include "tools/DlgDocLib.h"

#include "data/DocInfoFile.h"
#include "tools/DlgFile.h"
#include "tools/PropRows.h"
#include "win/Clipboard.h"
#include "win/ContextMenu.h"
#include "win/DropData.h"
#include "win/MessageBox.h"
#include "win/Module.h"
#include "win/Strings.h"

#include <functional>

namespace tools {

namespace {

// The format's first two "%s" replaced by the texts in order, however long they are.
std::wstring FormatPair(const std::wstring& format, const std::wstring& first, const std::wstring& second) {
    std::wstring text;
    const std::wstring* next[] = {&first, &second};
    size_t used = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (used < 2 && format[i] == L'%' && i + 1 < format.size() && format[i + 1] == L's') {
            text += *next[used++];
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}

} // namespace

data::CDataDoc TopicRecordOf(const CurrentDoc& current) {
    data::CDataDoc doc = current.doc;
    doc.time = 0;
    if (!current.topicPath.empty()) {
        doc.topic.path = current.topicPath;
    }
    if (!current.topicTitle.empty()) {
        doc.title = FormatPair(win::LoadStr(IDS_LIBRARY_TOPIC_TITLE), current.doc.title, current.topicTitle);
        if (doc.title.size() > CDlgDocLib::kTitleLimit) {
            // Never cut a surrogate pair in two.
            size_t cut = CDlgDocLib::kTitleLimit;
            if (IS_HIGH_SURROGATE(doc.title[cut - 1])) {
                --cut;
            }
            doc.title.resize(cut);
        }
    }
    return doc;
}

CDlgDocLib::CDlgDocLib(data::CDataLayout& layout, data::CDataLibrary& library, const data::CDataSetting& setting,
                       const data::CDataShortkey& shortkey, IDocOpener& opener, ICurrentDocSource& current,
                       std::wstring execDir)
    : CDlgDocTree(IDD_DOC_LIB, kLayoutName, layout, m_tree, {IDC_LIB_TREE, IDC_LIB_LIST, IDC_LIB_SPLIT_AREA}),
      m_library(library), m_setting(setting), m_shortkey(shortkey), m_opener(opener), m_current(current),
      m_execDir(std::move(execDir)) {}

bool CDlgDocLib::OnInitTool() {
    if (!InitControls()) {
        return false;
    }
    m_library.AddView(xml::CXmlStore::kReloaded | data::CDataLibrary::kImported, m_hWnd, kLibraryEvent, 1);
    m_library.AddView(data::CDataLibrary::kAdded | data::CDataLibrary::kRemoved | data::CDataLibrary::kChanged, m_hWnd,
                      kLibraryEvent, 0);
    m_subscribed = true;
    // Without the drop target the window still works; only drops are refused.
    (void)m_tree.Register(m_tree.m_hWnd);
    RebuildNow();
    return true;
}

void CDlgDocLib::OnDestroyTool() {
    (void)m_tree.Revoke();
    if (m_subscribed) {
        (void)m_library.RemoveView(m_hWnd);
        m_subscribed = false;
    }
}

void CDlgDocLib::ShowError(UINT id, const std::wstring& detail) {
    win::MessageBoxFor(m_hWnd, win::TextWithDetail(id, detail), MB_OK | MB_ICONERROR);
}

// ---- Following the store

void CDlgDocLib::OnLibraryEvent(bool reloaded) {
    if (reloaded) {
        m_tree.NoteReload();
        m_bulkRebuild = true;
    }
    MarkStale();
}

void CDlgDocLib::MarkStale(data::NodeHandle select) {
    // The store tells us from inside its own operation, perhaps while the tree control is inside a callback
    // (a label edit, the start of a drag) holding an item: the tree is rebuilt once, later, from the loop.
    if (select != data::kNoNode) {
        m_selectAfterRebuild = select;
    }
    if (!m_rebuildPosted) {
        m_rebuildPosted = Post(kRebuild);
    }
}

void CDlgDocLib::RebuildNow() {
    m_rebuildPosted = false;
    const data::NodeHandle select = m_selectAfterRebuild;
    m_selectAfterRebuild = data::kNoNode;
    m_tree.Rebuild(select, m_bulkRebuild);
    m_bulkRebuild = false;
    ShowSelected();
}

void CDlgDocLib::ShowSelected() {
    data::CDataDoc doc;
    if (IsDocKind(SelectedKind()) && m_library.GetDoc(m_tree.SelectedHandle(), doc)) {
        (void)m_list.Show(BuildDocRows(PropDocOf(doc)));
    } else {
        m_list.Clear();
    }
}

// ---- Commands

bool CDlgDocLib::IsCommandEnabled(UINT id) {
    const TreeItemKind kind = SelectedKind();
    const bool any = kind != TreeItemKind::None;
    const bool node = kind == TreeItemKind::Folder || IsDocKind(kind);
    CurrentDoc current;
    switch (id) {
    case ID_LIB_ADD_FOLDER:
    case ID_LIB_DATA_LOAD:
        return any;
    case ID_LIB_ADD_DOC:
        return any && m_current.GetCurrentDoc(current);
    case ID_LIB_ADD_TOPIC:
        return any && m_current.GetCurrentDoc(current) && !current.topicPath.empty();
    case ID_LIB_EDIT_LABEL:
    case ID_EDIT_CUT:
    case ID_EDIT_COPY:
    case ID_LIB_DATA_SAVE:
        return node;
    case ID_LIB_PATH_CONV:
        return kind == TreeItemKind::DocLocal;
    case ID_EDIT_PASTE:
        return any && win::CClipboard::IsAvailable(win::DataFolderFormat());
    case ID_ITEM_ACTION:
        return node || (kind == TreeItemKind::Root && !m_library.GetRootFolder().Children().empty());
    case ID_FILE_OPEN:
        // Open on the root or a folder opens or closes it.
        return any;
    case ID_FILE_NEW_WINDOW:
    case ID_OPEN_CONFIRM:
        return IsDocKind(kind);
    case ID_DATA_EXPORT:
    case ID_DATA_IMPORT:
    case ID_LIB_REFRESH:
        return true;
    default:
        return false;
    }
}

bool CDlgDocLib::RunCommand(UINT id) {
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
    case ID_LIB_ADD_FOLDER:
        return AddFolder();
    case ID_LIB_ADD_DOC:
        return AddCurrent(false);
    case ID_LIB_ADD_TOPIC:
        return AddCurrent(true);
    case ID_LIB_EDIT_LABEL:
        return StartLabelEdit();
    case ID_LIB_PATH_CONV:
        return ConvertPath();
    case ID_EDIT_CUT:
        return CopySelected(true);
    case ID_EDIT_COPY:
        return CopySelected(false);
    case ID_EDIT_PASTE:
        return Paste();
    case ID_ITEM_ACTION:
        return DeleteSelected();
    case ID_LIB_DATA_SAVE:
        return SaveDataFile();
    case ID_LIB_DATA_LOAD:
        return LoadDataFile();
    case ID_DATA_EXPORT:
        return Export();
    case ID_DATA_IMPORT:
        return Import();
    case ID_LIB_REFRESH:
        return Refresh();
    default:
        return true;
    }
}

bool CDlgDocLib::OpenSelected(bool newWindow, bool confirm) {
    const HTREEITEM item = m_tree.GetSelection();
    if (!IsDocKind(m_tree.GetKind(item))) {
        m_tree.EnsureChildren(item);
        (void)TreeView_Expand(m_tree.m_hWnd, item, TVE_TOGGLE);
        m_tree.SyncImage(item);
        return true;
    }
    data::CDataDoc doc;
    if (!m_library.GetDoc(m_tree.HandleOf(item), doc) || !m_opener.RequestOpen(doc, newWindow, confirm)) {
        ShowError(IDS_ERR_WINDOW);
        return false;
    }
    if (m_setting.GetDocLib().openHide) {
        ShowTool(false);
    }
    return true;
}

bool CDlgDocLib::AddEntry(const std::function<data::NodeHandle(const LibTarget&)>& insert) {
    const std::optional<LibTarget> target = NewEntryTarget(m_library, m_tree.SelectedHandle());
    const data::NodeHandle added = target ? insert(*target) : data::kNoNode;
    if (added == data::kNoNode) {
        ShowError(IDS_ERR_LIBRARY_ADD, m_library.GetError());
        return false;
    }
    MarkStale(added);
    return true;
}

bool CDlgDocLib::AddFolder() {
    const std::wstring title = win::LoadStr(IDS_LIBRARY_NEW_FOLDER);
    return AddEntry(
        [&](const LibTarget& target) { return m_library.AddFolder(title, target.parent, target.position); });
}

bool CDlgDocLib::AddCurrent(bool topic) {
    CurrentDoc current;
    if (!m_current.GetCurrentDoc(current)) {
        ShowError(IDS_ERR_LIBRARY_ADD);
        return false;
    }
    const data::CDataDoc record = topic ? TopicRecordOf(current) : current.doc;
    return AddEntry([&](const LibTarget& target) { return m_library.AddDoc(record, target.parent, target.position); });
}

bool CDlgDocLib::StartLabelEdit() {
    const HTREEITEM item = m_tree.GetSelection();
    ::SetFocus(m_tree.m_hWnd);
    return item && TreeView_EditLabel(m_tree.m_hWnd, item) != nullptr;
}

void CDlgDocLib::OnEndLabelEdit(const NMTVDISPINFOW& info) {
    if (!info.item.pszText || info.item.pszText[0] == L'\0') {
        return;
    }
    // The control still holds the item while this returns: the rename runs later, by a post.
    m_renameNode = m_tree.HandleOf(info.item.hItem);
    m_renameText = info.item.pszText;
    (void)Post(kRename);
}

void CDlgDocLib::RenamePending() {
    const data::NodeHandle node = m_renameNode;
    m_renameNode = data::kNoNode;
    // The control may end one edit twice (the commit, then the lost focus): the first post did the work.
    if (node == data::kNoNode) {
        return;
    }
    bool done = false;
    if (m_library.GetKind(node) == data::NodeKind::Folder) {
        done = m_library.RenameFolder(node, m_renameText);
    } else if (data::CDataDoc doc; m_library.GetDoc(node, doc)) {
        doc.title = m_renameText;
        done = m_library.SetDoc(node, doc);
    }
    if (!done) {
        ShowError(IDS_ERR_LIBRARY_SET, m_library.GetError());
    }
    MarkStale(node);
}

bool CDlgDocLib::CopySelected(bool cut) {
    const data::NodeHandle node = m_tree.SelectedHandle();
    std::string utf8;
    bool copied = false;
    if (m_library.CopyOut(node, utf8)) {
        win::CClipboard clipboard(m_hWnd);
        copied = clipboard.IsOpen() && clipboard.SetText(win::DataFolderFormat(), utf8) &&
                 clipboard.SetText(win::Utf8ToWide(utf8));
    }
    if (!copied) {
        ShowError(IDS_ERR_WINDOW);
        return false;
    }
    // Only what reached the clipboard leaves the library.
    if (cut && !m_library.Remove(m_library.GetParent(node), node)) {
        ShowError(IDS_ERR_LIBRARY_DELETE, m_library.GetError());
        return false;
    }
    return true;
}

bool CDlgDocLib::Paste() {
    std::string utf8;
    {
        win::CClipboard clipboard(m_hWnd);
        if (!clipboard.IsOpen() || !clipboard.GetText(win::DataFolderFormat(), utf8)) {
            ShowError(IDS_ERR_LIBRARY_ADD);
            return false;
        }
    }
    return AddEntry([&](const LibTarget& target) { return m_library.InsertXml(utf8, target.parent, target.position); });
}

bool CDlgDocLib::DeleteSelected() {
    // Only the handle survives the question: the tree may be rebuilt while the box is up.
    const TreeItemKind kind = SelectedKind();
    const data::NodeHandle node = m_tree.SelectedHandle();
    const UINT question = kind == TreeItemKind::Root     ? IDS_ASK_LIBRARY_CLEAR
                          : kind == TreeItemKind::Folder ? IDS_ASK_LIBRARY_DELETE_FOLDER
                                                         : IDS_ASK_LIBRARY_DELETE_DOC;
    if (win::MessageBoxFor(m_hWnd, win::LoadStr(question), MB_YESNO | MB_ICONWARNING) != IDYES) {
        return true;
    }
    const bool removed =
        kind == TreeItemKind::Root ? m_library.Clear() : m_library.Remove(m_library.GetParent(node), node);
    if (!removed) {
        ShowError(IDS_ERR_LIBRARY_DELETE, m_library.GetError());
        return false;
    }
    return true;
}

bool CDlgDocLib::SaveDataFile() {
    const data::NodeHandle node = m_tree.SelectedHandle();
    CDlgFileDataSave dialog(m_setting, m_execDir, win::LoadStr(IDS_DOCINFO_SAVE_TITLE));
    if (!dialog.Show(m_hWnd, data::MakeDefaultFileName(data::kDocInfoBaseName))) {
        return true;
    }
    if (!data::SaveDocInfo(m_library, node, dialog.Path())) {
        ShowError(IDS_ERR_LIBRARY_SAVE);
        return false;
    }
    return true;
}

bool CDlgDocLib::LoadDataFile() {
    CDlgFileDataOpen dialog(m_setting, m_execDir, win::LoadStr(IDS_DOCINFO_LOAD_TITLE));
    if (!dialog.Show(m_hWnd, std::wstring())) {
        return true;
    }
    std::string utf8;
    if (!data::ReadDocInfoText(dialog.Path(), utf8)) {
        ShowError(IDS_ERR_LIBRARY_ADD);
        return false;
    }
    // The selection is looked up again: the dialog's loop may have rebuilt the tree.
    return AddEntry([&](const LibTarget& target) { return m_library.InsertXml(utf8, target.parent, target.position); });
}

bool CDlgDocLib::Export() {
    return ExportStore(m_hWnd, m_setting, m_execDir, m_library, IDS_LIBRARY_EXPORT_TITLE, IDS_ERR_LIBRARY_EXPORT);
}

bool CDlgDocLib::Import() {
    CDlgFileDataOpen dialog(m_setting, m_execDir, win::LoadStr(IDS_LIBRARY_IMPORT_TITLE));
    if (!dialog.Show(m_hWnd, std::wstring()) ||
        win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_LIBRARY_IMPORT), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) !=
            IDYES) {
        return true;
    }
    if (!m_library.Import(dialog.Path())) {
        ShowError(IDS_ERR_LIBRARY_IMPORT, m_library.GetError());
        return false;
    }
    return true;
}

bool CDlgDocLib::Refresh() {
    if (!m_library.Reload()) {
        ShowError(IDS_ERR_RELOAD_LIBRARY, m_library.GetError());
        MarkStale();
        return false;
    }
    MarkStale();
    return true;
}

bool CDlgDocLib::ConvertPath() {
    const data::NodeHandle node = m_tree.SelectedHandle();
    std::wstring base;
    if (!data::CDataLibrary::GetBaseDirectory(m_execDir, base)) {
        ShowError(IDS_PATHCONV_NO_BASE);
        return false;
    }
    data::CDataDoc doc;
    if (!m_library.GetDoc(node, doc)) {
        ShowError(IDS_ERR_WINDOW);
        return false;
    }
    constexpr UINT askFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    std::wstring converted;
    switch (data::CDataLibrary::ClassifyPath(doc.file.path)) {
    case win::PathKind::Absolute:
        if (!data::CDataLibrary::IsOnSameDrive(doc.file.path, base)) {
            ShowError(IDS_PATHCONV_OTHER_DRIVE);
            return false;
        }
        if (win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_PATHCONV_RELATIVE), askFlags) != IDYES) {
            return true;
        }
        converted = data::CDataLibrary::ToRelativePath(doc.file.path, base);
        break;
    case win::PathKind::Relative:
        if (win::MessageBoxFor(m_hWnd, win::LoadStr(IDS_ASK_PATHCONV_ABSOLUTE), askFlags) != IDYES) {
            return true;
        }
        converted = data::CDataLibrary::ToAbsolutePath(doc.file.path, base);
        break;
    default:
        ShowError(IDS_PATHCONV_UNSUPPORTED);
        return false;
    }
    if (converted.empty()) {
        ShowError(IDS_ERR_WINDOW);
        return false;
    }
    // The record is read again: another instance may have changed it while the question was up.
    if (!m_library.GetDoc(node, doc)) {
        ShowError(IDS_ERR_LIBRARY_SET, m_library.GetError());
        return false;
    }
    doc.file.path = converted;
    if (!m_library.SetDoc(node, doc)) {
        ShowError(IDS_ERR_LIBRARY_SET, m_library.GetError());
        return false;
    }
    MarkStale(node);
    return true;
}

// ---- Dragging

void CDlgDocLib::DragNode(HTREEITEM item) {
    const TreeItemKind kind = m_tree.GetKind(item);
    const data::NodeHandle node = m_tree.HandleOf(item);
    std::string utf8;
    if ((kind != TreeItemKind::Folder && !IsDocKind(kind)) || !m_library.CopyOut(node, utf8)) {
        return;
    }
    // The drop (in this tree or elsewhere) does the whole work: this side never removes anything, so a
    // moved node leaves the library in one place only.
    m_tree.BeginOwnDrag(node);
    DWORD effect = DROPEFFECT_NONE;
    const bool started = win::StartDrag(static_cast<CLIPFORMAT>(win::DataFolderFormat()),
                                        DROPEFFECT_COPY | DROPEFFECT_MOVE, utf8.c_str(), utf8.size() + 1, effect);
    m_tree.EndOwnDrag();
    if (!started) {
        ShowError(IDS_ERR_WINDOW);
    }
}

DWORD CDlgDocLib::DropText(const std::string& utf8, data::NodeHandle node, DropPlace place, bool move) {
    const std::optional<LibTarget> target = TargetOf(m_library, node, place);
    const data::NodeHandle source = m_tree.OwnDrag();
    // A move whose node the store reloaded meanwhile becomes a copy of the dragged text: the node may hold
    // something else now, and the source stays where it is.
    const bool moveNode = move && !m_tree.ReloadedInDrag();
    data::NodeHandle result = data::kNoNode;
    DWORD effect = moveNode ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    if (target && moveNode) {
        result = m_library.Move(source, target->parent, target->position) ? source : data::kNoNode;
    } else if (target) {
        result = m_library.InsertXml(utf8, target->parent, target->position);
    }
    if (result == data::kNoNode) {
        ShowError(IDS_ERR_LIBRARY_ADD, m_library.GetError());
        return DROPEFFECT_NONE;
    }
    MarkStale(result);
    return effect;
}

// ---- Window

void CDlgDocLib::ShowTreeMenu(POINT screen) {
    screen = TreeMenuPoint(screen);
    const TreeItemKind kind = SelectedKind();
    const int index = kind == TreeItemKind::Root ? 0 : kind == TreeItemKind::Folder ? 1 : IsDocKind(kind) ? 2 : -1;
    win::CContextMenu menu(m_hWnd, m_menuBar);
    if (index < 0 || !menu.SetMenu(IDR_LIBRARY_MENU, index)) {
        return;
    }
    for (const UINT id : {ID_FILE_OPEN, ID_FILE_NEW_WINDOW, ID_OPEN_CONFIRM, ID_LIB_ADD_FOLDER, ID_LIB_ADD_DOC,
                          ID_LIB_ADD_TOPIC, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_ITEM_ACTION, ID_LIB_EDIT_LABEL,
                          ID_LIB_PATH_CONV, ID_LIB_DATA_SAVE, ID_LIB_DATA_LOAD, ID_DATA_EXPORT, ID_DATA_IMPORT}) {
        ::EnableMenuItem(menu.Popup(), id, MF_BYCOMMAND | (IsCommandEnabled(id) ? MF_ENABLED : MF_GRAYED));
    }
    // Run here rather than through WM_COMMAND, where the property list's commands share ids.
    if (const UINT chosen = menu.Track(screen); chosen != 0) {
        (void)RunCommand(chosen);
    }
}

bool CDlgDocLib::TranslateToolKeys(MSG& msg) {
    if (msg.hwnd == m_tree.m_hWnd) {
        // The library's own place first: its keys may be rebound; then the tree's fixed keys.
        if (m_shortkey.Translate(data::Place::DocLib, m_hWnd, msg)) {
            return true;
        }
        static const HACCEL table =
            ::LoadAcceleratorsW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(IDR_LIBRARY_TREE));
        return table && ::TranslateAcceleratorW(m_hWnd, table, &msg) != 0;
    }
    return TranslateListKeys(msg);
}

bool CDlgDocLib::OnNotify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != m_tree.m_hWnd) {
        return false;
    }
    const auto& tree = reinterpret_cast<const NMTREEVIEWW&>(header);
    switch (header.code) {
    case TVN_SELCHANGEDW:
        if (!m_tree.IsBuilding()) {
            ShowSelected();
        }
        result = 0;
        return true;
    case TVN_ITEMEXPANDINGW:
        if (tree.action & TVE_EXPAND) {
            m_tree.EnsureChildren(tree.itemNew.hItem);
        }
        result = FALSE;
        return true;
    case TVN_ITEMEXPANDEDW:
        m_tree.SyncImage(tree.itemNew.hItem);
        result = 0;
        return true;
    case TVN_BEGINDRAGW:
        DragNode(tree.itemNew.hItem);
        result = 0;
        return true;
    case TVN_BEGINLABELEDITW: {
        // The root has no title of its own to edit.
        const auto& info = reinterpret_cast<const NMTVDISPINFOW&>(header);
        const TreeItemKind kind = m_tree.GetKind(info.item.hItem);
        result = kind == TreeItemKind::Folder || IsDocKind(kind) ? FALSE : TRUE;
        return true;
    }
    case TVN_ENDLABELEDITW:
        OnEndLabelEdit(reinterpret_cast<const NMTVDISPINFOW&>(header));
        // The label stays as it was until the rebuild shows what the store took.
        result = FALSE;
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

bool CDlgDocLib::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kLibraryEvent:
        OnLibraryEvent(wp == 1);
        result = 0;
        return true;
    case kRebuild:
        RebuildNow();
        result = 0;
        return true;
    case kRename:
        RenamePending();
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
        case ID_LIB_ADD_FOLDER:
        case ID_LIB_ADD_DOC:
        case ID_LIB_ADD_TOPIC:
        case ID_LIB_EDIT_LABEL:
        case ID_LIB_PATH_CONV:
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
        case ID_EDIT_PASTE:
        case ID_ITEM_ACTION:
        case ID_LIB_DATA_SAVE:
        case ID_LIB_DATA_LOAD:
        case ID_DATA_EXPORT:
        case ID_DATA_IMPORT:
        case ID_LIB_REFRESH:
            (void)RunCommand(LOWORD(wp));
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
