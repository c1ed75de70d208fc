#include "tools/TreeDocLib.h"

#include "win/Clipboard.h"
#include "win/DropData.h"
#include "win/Strings.h"

#include "resource.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>
#include <vector>

namespace tools {

DropPlace DropPlaceOf(TreeItemKind kind, bool expanded, int offset, int height) noexcept {
    if (height <= 0 || offset < 0 || offset >= height) {
        return DropPlace::None;
    }
    switch (kind) {
    case TreeItemKind::Root:
    case TreeItemKind::Group:
        return DropPlace::Into;
    case TreeItemKind::Folder:
        if (offset * 4 < height) {
            return DropPlace::Before;
        }
        // An expanded folder's lower edge touches its first child: a drop there goes into it.
        return !expanded && offset * 4 >= height * 3 ? DropPlace::After : DropPlace::Into;
    case TreeItemKind::DocLocal:
    case TreeItemKind::DocUrl:
        return offset * 2 < height ? DropPlace::Before : DropPlace::After;
    default:
        return DropPlace::None;
    }
}

std::optional<LibTarget> TargetOf(const data::CDataLibrary& library, data::NodeHandle node, DropPlace place) {
    const data::NodeKind kind = library.GetKind(node);
    if (kind == data::NodeKind::None || place == DropPlace::None) {
        return std::nullopt;
    }
    if (place == DropPlace::Into) {
        if (kind != data::NodeKind::Folder) {
            return std::nullopt;
        }
        return LibTarget{node, data::NodePosition::End()};
    }
    const data::NodeHandle parent = library.GetParent(node);
    if (parent == data::kNoNode) {
        return std::nullopt;
    }
    if (place == DropPlace::After) {
        return LibTarget{parent, data::NodePosition::After(node)};
    }
    std::vector<data::NodeHandle> siblings;
    if (!library.ListChildren(parent, siblings)) {
        return std::nullopt;
    }
    const auto found = std::find(siblings.begin(), siblings.end(), node);
    if (found == siblings.end()) {
        return std::nullopt;
    }
    return LibTarget{parent,
                     found == siblings.begin() ? data::NodePosition::Front() : data::NodePosition::After(*(found - 1))};
}

std::optional<LibTarget> NewEntryTarget(const data::CDataLibrary& library, data::NodeHandle node) {
    return TargetOf(library, node,
                    library.GetKind(node) == data::NodeKind::Folder ? DropPlace::Into : DropPlace::Before);
}

// ---- Building

data::NodeHandle CTreeDocLib::HandleOf(HTREEITEM item) const {
    return item ? static_cast<data::NodeHandle>(GetData(item)) : data::kNoNode;
}

bool CTreeDocLib::ViewOf(data::NodeHandle handle, NodeView& view) const {
    std::vector<data::NodeHandle> children;
    if (m_library.ListChildren(handle, children)) {
        view.kind = TreeItemKind::Folder;
        (void)m_library.GetFolderTitle(handle, view.text);
        view.hasChildren = !children.empty();
        return true;
    }
    data::CDataDoc doc;
    if (!m_library.GetDoc(handle, doc)) {
        return false;
    }
    // A document with neither a file nor an address still has a place in the library: it shows as local.
    view.kind = DocKindOf(doc) == TreeItemKind::DocUrl ? TreeItemKind::DocUrl : TreeItemKind::DocLocal;
    view.text = std::move(doc.title);
    view.hasChildren = false;
    return true;
}

HTREEITEM CTreeDocLib::InsertNode(HTREEITEM parent, HTREEITEM after, data::NodeHandle handle, const NodeView& view) {
    const HTREEITEM item = Insert(parent, after, view.text, view.kind, static_cast<LPARAM>(handle));
    if (item && view.hasChildren) {
        // The button shows before the children exist in the tree.
        TVITEMW info{};
        info.mask = TVIF_CHILDREN | TVIF_HANDLE;
        info.hItem = item;
        info.cChildren = 1;
        (void)TreeView_SetItem(m_hWnd, &info);
    }
    return item;
}

void CTreeDocLib::UpdateItem(HTREEITEM item, const NodeView& view) {
    wchar_t text[1024] = {};
    TVITEMW info{};
    info.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_CHILDREN | TVIF_HANDLE;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = static_cast<int>(std::size(text));
    if (!TreeView_GetItem(m_hWnd, &info)) {
        return;
    }
    const bool hasItems = TreeView_GetChild(m_hWnd, item) != nullptr;
    const int children = view.hasChildren || hasItems ? 1 : 0;
    if (TreeKindOf(info.iImage) == view.kind && view.text == text && (info.cChildren != 0) == (children != 0)) {
        return;
    }
    std::wstring label = view.text;
    info.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_HANDLE;
    info.pszText = label.data();
    info.iImage = info.iSelectedImage = TreeImageOf(view.kind, IsExpanded(item) && hasItems);
    info.cChildren = children;
    (void)TreeView_SetItem(m_hWnd, &info);
}

void CTreeDocLib::SyncChildren(HTREEITEM item, data::NodeHandle handle,
                               const std::unordered_set<data::NodeHandle>& expanded) {
    std::vector<data::NodeHandle> children;
    (void)m_library.ListChildren(handle, children);
    // Items not yet passed, by their node: an item is kept where the store still has its node in the same
    // order; what lies between is deleted (and inserted again where the store has it now).
    std::unordered_map<data::NodeHandle, HTREEITEM> ahead;
    for (HTREEITEM child = TreeView_GetChild(m_hWnd, item); child; child = TreeView_GetNextSibling(m_hWnd, child)) {
        ahead.emplace(HandleOf(child), child);
    }
    HTREEITEM current = TreeView_GetChild(m_hWnd, item);
    HTREEITEM previous = TVI_FIRST;
    for (const data::NodeHandle child : children) {
        NodeView view;
        if (!ViewOf(child, view)) {
            continue;
        }
        const auto found = ahead.find(child);
        if (found != ahead.end()) {
            while (current && current != found->second) {
                const HTREEITEM next = TreeView_GetNextSibling(m_hWnd, current);
                ahead.erase(HandleOf(current));
                (void)TreeView_DeleteItem(m_hWnd, current);
                current = next;
            }
            ahead.erase(found);
            if (TreeView_GetChild(m_hWnd, current)) {
                SyncChildren(current, child, expanded);
            }
            UpdateItem(current, view);
            SyncImage(current);
            previous = current;
            current = TreeView_GetNextSibling(m_hWnd, current);
            continue;
        }
        const HTREEITEM inserted = InsertNode(item, previous, child, view);
        if (!inserted) {
            continue;
        }
        previous = inserted;
        if (view.kind == TreeItemKind::Folder && expanded.count(child) != 0) {
            EnsureChildren(inserted);
            (void)TreeView_Expand(m_hWnd, inserted, TVE_EXPAND);
            SyncImage(inserted);
            ExpandSaved(inserted, expanded);
        }
    }
    while (current) {
        const HTREEITEM next = TreeView_GetNextSibling(m_hWnd, current);
        (void)TreeView_DeleteItem(m_hWnd, current);
        current = next;
    }
}

void CTreeDocLib::EnsureChildren(HTREEITEM item) {
    const TreeItemKind kind = GetKind(item);
    if ((kind != TreeItemKind::Root && kind != TreeItemKind::Folder) || TreeView_GetChild(m_hWnd, item)) {
        return;
    }
    std::vector<data::NodeHandle> children;
    if (!m_library.ListChildren(HandleOf(item), children)) {
        return;
    }
    for (const data::NodeHandle child : children) {
        if (NodeView view; ViewOf(child, view)) {
            (void)InsertNode(item, TVI_LAST, child, view);
        }
    }
    TVITEMW info{};
    info.mask = TVIF_CHILDREN | TVIF_HANDLE;
    info.hItem = item;
    info.cChildren = children.empty() ? 0 : 1;
    (void)TreeView_SetItem(m_hWnd, &info);
}

HTREEITEM CTreeDocLib::FindNode(data::NodeHandle handle) {
    std::vector<data::NodeHandle> chain;
    for (data::NodeHandle node = handle; node != data::kNoNode; node = m_library.GetParent(node)) {
        chain.push_back(node);
    }
    HTREEITEM item = Root();
    if (chain.empty() || !item || chain.back() != HandleOf(item)) {
        return nullptr;
    }
    for (auto step = chain.rbegin() + 1; step != chain.rend() && item; ++step) {
        EnsureChildren(item);
        item = FindChild(item, static_cast<LPARAM>(*step));
    }
    return item;
}

void CTreeDocLib::CollectExpanded(HTREEITEM item, std::unordered_set<data::NodeHandle>& expanded) const {
    for (HTREEITEM child = TreeView_GetChild(m_hWnd, item); child; child = TreeView_GetNextSibling(m_hWnd, child)) {
        if (IsExpanded(child) && TreeView_GetChild(m_hWnd, child)) {
            expanded.insert(HandleOf(child));
            CollectExpanded(child, expanded);
        }
    }
}

void CTreeDocLib::ExpandSaved(HTREEITEM item, const std::unordered_set<data::NodeHandle>& expanded) {
    for (HTREEITEM child = TreeView_GetChild(m_hWnd, item); child; child = TreeView_GetNextSibling(m_hWnd, child)) {
        if (GetKind(child) == TreeItemKind::Folder && expanded.count(HandleOf(child)) != 0) {
            EnsureChildren(child);
            (void)TreeView_Expand(m_hWnd, child, TVE_EXPAND);
            SyncImage(child);
            ExpandSaved(child, expanded);
        }
    }
}

void CTreeDocLib::Rebuild(data::NodeHandle select, bool bulk) {
    const data::NodeHandle rootHandle = m_library.GetRoot();
    HTREEITEM root = Root();
    std::unordered_set<data::NodeHandle> expanded;
    if (root) {
        CollectExpanded(root, expanded);
    }
    const data::NodeHandle selected = select != data::kNoNode ? select : SelectedHandle();
    const data::NodeHandle firstVisible = HandleOf(TreeView_GetFirstVisible(m_hWnd));

    // Items whose node is still there stay (with their expansion and their inserted children); only what
    // changed is touched, so an edit of a large library costs little and the view does not jump.
    m_building = true;
    const bool first = !root || HandleOf(root) != rootHandle;
    // A build from nothing or after a reload draws once at the end; after an edit here the control repaints
    // just what changed.
    const bool quiet = first || bulk;
    if (quiet) {
        Send(WM_SETREDRAW, FALSE);
    }
    if (first) {
        (void)TreeView_DeleteAllItems(m_hWnd);
        root = Insert(nullptr, TVI_LAST, win::LoadStr(IDS_LIBRARY_ROOT), TreeItemKind::Root,
                      static_cast<LPARAM>(rootHandle));
    }
    if (root) {
        SyncChildren(root, rootHandle, expanded);
        TVITEMW info{};
        info.mask = TVIF_CHILDREN | TVIF_HANDLE;
        info.hItem = root;
        info.cChildren = TreeView_GetChild(m_hWnd, root) ? 1 : 0;
        (void)TreeView_SetItem(m_hWnd, &info);
        if (first) {
            (void)TreeView_Expand(m_hWnd, root, TVE_EXPAND);
        }
        SyncImage(root);
        const HTREEITEM target = selected != data::kNoNode ? FindNode(selected) : nullptr;
        if (TreeView_GetSelection(m_hWnd) != (target ? target : root)) {
            (void)TreeView_SelectItem(m_hWnd, target ? target : root);
        }
        if (select != data::kNoNode && target) {
            (void)TreeView_EnsureVisible(m_hWnd, target);
        } else if (HandleOf(TreeView_GetFirstVisible(m_hWnd)) != firstVisible && firstVisible != data::kNoNode) {
            if (const HTREEITEM top = FindNode(firstVisible)) {
                (void)TreeView_Select(m_hWnd, top, TVGN_FIRSTVISIBLE);
            }
        }
    }
    if (quiet) {
        Send(WM_SETREDRAW, TRUE);
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    m_building = false;
}

// ---- Dropping

void CTreeDocLib::BeginOwnDrag(data::NodeHandle node) noexcept {
    m_ownDrag = node;
    m_reloadedInDrag = false;
}

CTreeDocLib::Hit CTreeDocLib::HitAt(POINTL point) const {
    TVHITTESTINFO hit{};
    hit.pt = {point.x, point.y};
    ::ScreenToClient(m_hWnd, &hit.pt);
    const HTREEITEM item = TreeView_HitTest(m_hWnd, &hit);
    constexpr UINT onItem = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;
    RECT rc{};
    if (!item || (hit.flags & onItem) == 0 || !TreeView_GetItemRect(m_hWnd, item, &rc, FALSE)) {
        return {};
    }
    const data::NodeHandle node = HandleOf(item);
    // Nothing goes into itself: neither the dragged node nor anything below it takes the drop.
    if (m_ownDrag != data::kNoNode && m_library.IsWithin(node, m_ownDrag)) {
        return {};
    }
    const DropPlace place = DropPlaceOf(GetKind(item), IsExpanded(item), hit.pt.y - rc.top, rc.bottom - rc.top);
    return place == DropPlace::None ? Hit{} : Hit{item, place};
}

void CTreeDocLib::ShowFeedback(const Hit& hit) {
    if (hit.place == DropPlace::Into) {
        (void)TreeView_SetInsertMark(m_hWnd, nullptr, FALSE);
        (void)TreeView_SelectDropTarget(m_hWnd, hit.item);
    } else {
        (void)TreeView_SelectDropTarget(m_hWnd, nullptr);
        (void)TreeView_SetInsertMark(m_hWnd, hit.item, hit.place == DropPlace::After);
    }
}

void CTreeDocLib::ClearFeedback() {
    (void)TreeView_SetInsertMark(m_hWnd, nullptr, FALSE);
    (void)TreeView_SelectDropTarget(m_hWnd, nullptr);
}

void CTreeDocLib::AutoScroll(POINTL point) {
    POINT client{point.x, point.y};
    ::ScreenToClient(m_hWnd, &client);
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    const int margin = std::max(1, TreeView_GetItemHeight(m_hWnd) / 2);
    WPARAM direction = 0;
    if (client.y >= rc.top && client.y < rc.top + margin) {
        direction = SB_LINEUP;
    } else if (client.y < rc.bottom && client.y >= rc.bottom - margin) {
        direction = SB_LINEDOWN;
    } else {
        return;
    }
    const DWORD now = ::GetTickCount();
    if (now - m_lastScroll < kScrollPauseMs) {
        return;
    }
    m_lastScroll = now;
    ClearFeedback();
    Send(WM_VSCROLL, direction, 0);
}

DWORD CTreeDocLib::EffectFor(DWORD keyState, DWORD allowed) const {
    // Inside this tree a drag moves unless Ctrl asks for a copy; what comes from elsewhere is copied.
    DWORD wanted = DROPEFFECT_COPY;
    if (m_ownDrag != data::kNoNode && (keyState & MK_CONTROL) == 0) {
        wanted = DROPEFFECT_MOVE;
    }
    if (allowed & wanted) {
        return wanted;
    }
    return allowed & DROPEFFECT_COPY;
}

HRESULT CTreeDocLib::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) {
        return E_INVALIDARG;
    }
    FORMATETC format{static_cast<CLIPFORMAT>(win::DataFolderFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    m_acceptable = data && data->QueryGetData(&format) == S_OK;
    m_allowed = *effect;
    m_lastScroll = ::GetTickCount();
    return DragOver(keyState, point, effect);
}

HRESULT CTreeDocLib::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) {
        return E_INVALIDARG;
    }
    if (!m_acceptable) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    AutoScroll(point);
    const Hit hit = HitAt(point);
    if (!hit.item) {
        ClearFeedback();
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    ShowFeedback(hit);
    *effect = EffectFor(keyState, m_allowed);
    return S_OK;
}

HRESULT CTreeDocLib::DragLeave() {
    ClearFeedback();
    m_acceptable = false;
    return S_OK;
}

HRESULT CTreeDocLib::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) {
        return E_INVALIDARG;
    }
    const Hit hit = m_acceptable ? HitAt(point) : Hit{};
    const DWORD chosen = hit.item ? EffectFor(keyState, m_allowed) : DROPEFFECT_NONE;
    ClearFeedback();
    m_acceptable = false;
    std::string text;
    if (chosen == DROPEFFECT_NONE || !win::GetDataBytes(data, static_cast<CLIPFORMAT>(win::DataFolderFormat()), text)) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    // The text ends at its terminating zero.
    text.resize(std::min(text.size(), text.find('\0')));
    *effect = m_sink.DropText(text, HandleOf(hit.item), hit.place, chosen == DROPEFFECT_MOVE);
    return S_OK;
}

} // namespace tools
