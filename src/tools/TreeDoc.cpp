#include "tools/TreeDoc.h"

#include "win/Module.h"
#include "win/Strings.h"

#include "resource.h"

#include <ctime>
#include <cwchar>
#include <iterator>

namespace tools {

namespace {

constexpr int kImageCount = 7;
constexpr int kImageSize = 16;

} // namespace

int TreeImageOf(TreeItemKind kind, bool expanded) noexcept {
    switch (kind) {
    case TreeItemKind::Root:
        return 0;
    case TreeItemKind::Group:
        return expanded ? 2 : 1;
    case TreeItemKind::Folder:
        return expanded ? 4 : 3;
    case TreeItemKind::DocLocal:
        return 5;
    case TreeItemKind::DocUrl:
        return 6;
    default:
        return -1;
    }
}

TreeItemKind TreeKindOf(int image) noexcept {
    switch (image) {
    case 0:
        return TreeItemKind::Root;
    case 1:
    case 2:
        return TreeItemKind::Group;
    case 3:
    case 4:
        return TreeItemKind::Folder;
    case 5:
        return TreeItemKind::DocLocal;
    case 6:
        return TreeItemKind::DocUrl;
    default:
        return TreeItemKind::None;
    }
}

TreeItemKind DocKindOf(const data::CDataDoc& doc) noexcept {
    if (!doc.file.path.empty()) {
        return TreeItemKind::DocLocal;
    }
    return doc.url.address.empty() ? TreeItemKind::None : TreeItemKind::DocUrl;
}

std::wstring HistoryItemText(int64_t time, const std::wstring& title) {
    if (time <= 0) {
        return title;
    }
    const __time64_t value = time;
    std::tm local{};
    if (_localtime64_s(&local, &value) != 0) {
        return title;
    }
    const std::wstring format = win::LoadStr(IDS_HISTORY_TIME_FORMAT);
    wchar_t text[129] = {};
    const size_t length = std::wcsftime(text, std::size(text), format.c_str(), &local);
    if (length == 0) {
        return title;
    }
    return std::wstring(text, length) + L" " + title;
}

// ---- CTreeDoc

bool CTreeDoc::Init(HWND tree) {
    m_hWnd = tree;
    if (!tree) {
        return false;
    }
    // The control draws through its own back buffer, so a rebuild does not flicker.
    TreeView_SetExtendedStyle(tree, TVS_EX_DOUBLEBUFFER, TVS_EX_DOUBLEBUFFER);
    m_images.reset(ImageList_Create(kImageSize, kImageSize, ILC_COLOR24 | ILC_MASK, kImageCount, 0));
    const HBITMAP strip = static_cast<HBITMAP>(::LoadImageW(
        win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(IDB_TREE_DOC), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!m_images || !strip) {
        if (strip) {
            ::DeleteObject(strip);
        }
        return false;
    }
    const int added = ImageList_AddMasked(m_images.get(), strip, RGB(255, 0, 255));
    ::DeleteObject(strip);
    if (added < 0) {
        return false;
    }
    TreeView_SetImageList(tree, m_images.get(), TVSIL_NORMAL);
    return true;
}

TreeItemKind CTreeDoc::GetKind(HTREEITEM item) const {
    if (!item) {
        return TreeItemKind::None;
    }
    TVITEMW info{};
    info.mask = TVIF_IMAGE | TVIF_HANDLE;
    info.hItem = item;
    return TreeView_GetItem(m_hWnd, &info) ? TreeKindOf(info.iImage) : TreeItemKind::None;
}

LPARAM CTreeDoc::GetData(HTREEITEM item) const {
    TVITEMW info{};
    info.mask = TVIF_PARAM | TVIF_HANDLE;
    info.hItem = item;
    return item && TreeView_GetItem(m_hWnd, &info) ? info.lParam : 0;
}

std::wstring CTreeDoc::GetText(HTREEITEM item) const {
    std::wstring text(1024, L'\0');
    TVITEMW info{};
    info.mask = TVIF_TEXT | TVIF_HANDLE;
    info.hItem = item;
    info.pszText = text.data();
    info.cchTextMax = static_cast<int>(text.size());
    if (!item || !TreeView_GetItem(m_hWnd, &info)) {
        return {};
    }
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

bool CTreeDoc::IsExpanded(HTREEITEM item) const {
    return item && (TreeView_GetItemState(m_hWnd, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

HTREEITEM CTreeDoc::Insert(HTREEITEM parent, HTREEITEM after, const std::wstring& text, TreeItemKind kind,
                           LPARAM data) {
    std::wstring label = text;
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = label.data();
    insert.item.iImage = insert.item.iSelectedImage = TreeImageOf(kind, false);
    insert.item.lParam = data;
    return TreeView_InsertItem(m_hWnd, &insert);
}

HTREEITEM CTreeDoc::FindChild(HTREEITEM parent, LPARAM data) const {
    for (HTREEITEM child = TreeView_GetChild(m_hWnd, parent); child; child = TreeView_GetNextSibling(m_hWnd, child)) {
        if (GetData(child) == data) {
            return child;
        }
    }
    return nullptr;
}

bool CTreeDoc::RemoveItem(HTREEITEM item) {
    const HTREEITEM parent = TreeView_GetParent(m_hWnd, item);
    if (!TreeView_DeleteItem(m_hWnd, item)) {
        return false;
    }
    if (parent && !TreeView_GetChild(m_hWnd, parent)) {
        TVITEMW info{};
        info.mask = TVIF_CHILDREN | TVIF_STATE | TVIF_HANDLE;
        info.hItem = parent;
        info.cChildren = 0;
        info.stateMask = TVIS_EXPANDED;
        info.state = 0;
        (void)TreeView_SetItem(m_hWnd, &info);
        SyncImage(parent);
    }
    return true;
}

void CTreeDoc::SyncImage(HTREEITEM item) const {
    const TreeItemKind kind = GetKind(item);
    if (kind != TreeItemKind::Group && kind != TreeItemKind::Folder) {
        return;
    }
    TVITEMW info{};
    info.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    info.hItem = item;
    info.iImage = info.iSelectedImage = TreeImageOf(kind, IsExpanded(item) && TreeView_GetChild(m_hWnd, item));
    (void)TreeView_SetItem(m_hWnd, &info);
}

HTREEITEM CTreeDoc::ItemAt(POINT screen) const {
    if (screen.x == -1 && screen.y == -1) {
        return GetSelection();
    }
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ::ScreenToClient(m_hWnd, &hit.pt);
    const HTREEITEM item = TreeView_HitTest(m_hWnd, &hit);
    return (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

// ---- CTreeDocHist

HTREEITEM CTreeDocHist::Group() const {
    return TreeView_GetRoot(m_hWnd);
}

HTREEITEM CTreeDocHist::FindEntry(data::NodeHandle key) const {
    const HTREEITEM group = Group();
    return group && key != data::kNoNode ? FindChild(group, static_cast<LPARAM>(key)) : nullptr;
}

data::NodeHandle CTreeDocHist::SelectedKey() const {
    const HTREEITEM selected = GetSelection();
    return IsDocKind(GetKind(selected)) ? static_cast<data::NodeHandle>(GetData(selected)) : data::kNoNode;
}

std::set<data::NodeHandle> CTreeDocHist::Rebuild(const data::CDataHistory& history) {
    std::set<data::NodeHandle> skipped;
    const HTREEITEM oldGroup = Group();
    const bool hadGroup = oldGroup != nullptr;
    const bool groupSelected = hadGroup && GetSelection() == oldGroup;
    // A group without children has nothing to show collapsed: it opens when entries come.
    const bool wasExpanded = !m_built || !hadGroup || IsExpanded(oldGroup) || !TreeView_GetChild(m_hWnd, oldGroup);
    const data::NodeHandle selectedKey = SelectedKey();

    m_building = true;
    Send(WM_SETREDRAW, FALSE);
    (void)TreeView_DeleteAllItems(m_hWnd);
    const std::vector<data::NodeHandle> keys = history.List();
    HTREEITEM group = nullptr;
    if (!keys.empty() || hadGroup) {
        group = Insert(nullptr, TVI_LAST, win::LoadStr(IDS_HISTORY_GROUP), TreeItemKind::Group, 0);
    }
    HTREEITEM first = nullptr;
    HTREEITEM reselect = nullptr;
    for (const data::NodeHandle key : keys) {
        data::CDataDoc doc;
        const TreeItemKind kind = history.GetDoc(key, doc) ? DocKindOf(doc) : TreeItemKind::None;
        if (!group || kind == TreeItemKind::None) {
            skipped.insert(key);
            continue;
        }
        const HTREEITEM item =
            Insert(group, TVI_LAST, HistoryItemText(doc.time, doc.title), kind, static_cast<LPARAM>(key));
        if (!item) {
            skipped.insert(key);
            continue;
        }
        first = first ? first : item;
        reselect = key == selectedKey ? item : reselect;
    }
    if (group) {
        if (first && wasExpanded) {
            (void)TreeView_Expand(m_hWnd, group, TVE_EXPAND);
        }
        const HTREEITEM target = groupSelected || !wasExpanded ? group : (reselect ? reselect : first);
        (void)TreeView_SelectItem(m_hWnd, target ? target : group);
        SyncImage(group);
    }
    Send(WM_SETREDRAW, TRUE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    m_building = false;
    m_built = true;
    return skipped;
}

} // namespace tools
