#pragma once
// The library's tree: the root, folders and documents of the library store. A folder's children are inserted
// when it is first opened (a library of thousands shows at once), and the tree is a drop target that
// rearranges the library.

#include "data/DataLibrary.h"
#include "tools/TreeDoc.h"
#include "win/DropTarget.h"

#include <optional>
#include <string>
#include <unordered_set>

namespace tools {

enum class DropPlace { None, Before, Into, After };

// Where a drop lands on an item of the kind, by the pointer's offset from the item's top and the item's
// height. Root and group: into. Folder: upper quarter before, lower quarter after while collapsed, else into.
// Document: upper half before, lower half after.
[[nodiscard]] DropPlace DropPlaceOf(TreeItemKind kind, bool expanded, int offset, int height) noexcept;

// A place in the library: the folder and the position in it.
struct LibTarget {
    data::NodeHandle parent = data::kNoNode;
    data::NodePosition position = data::NodePosition::End();
};

// The folder and position of a drop on the node. Before a node means after its previous sibling, or the front.
[[nodiscard]] std::optional<LibTarget> TargetOf(const data::CDataLibrary& library, data::NodeHandle node,
                                                DropPlace place);
// Where a new entry goes when the node is selected: the end of a selected folder (or the root), or directly
// before a selected document.
[[nodiscard]] std::optional<LibTarget> NewEntryTarget(const data::CDataLibrary& library, data::NodeHandle node);

// What the tree asks of its window when something is dropped on it.
class ILibDropSink {
public:
    // Inserts the dropped text at the target; `move` for a drag of this tree without Ctrl. The effect that
    // took place: DROPEFFECT_NONE after a failure (reported already).
    virtual DWORD DropText(const std::string& utf8, data::NodeHandle node, DropPlace place, bool move) = 0;

protected:
    ~ILibDropSink() = default;
};

class CTreeDocLib : public CTreeDoc, public win::CDgDpTarget {
public:
    // Half an item's height near an edge scrolls a line, at most once per this many milliseconds.
    static constexpr DWORD kScrollPauseMs = 200;

    CTreeDocLib(const data::CDataLibrary& library, ILibDropSink& sink) : m_library(library), m_sink(sink) {}

    // Brings the tree in line with the store, keeping the expanded folders, the first visible item and the
    // selection (or selecting and showing `select` when given) where they still exist. The first build shows
    // the root's children and selects the root. `bulk` (after a reload) draws once at the end.
    void Rebuild(data::NodeHandle select = data::kNoNode, bool bulk = false);
    [[nodiscard]] bool IsBuilding() const noexcept { return m_building; }
    [[nodiscard]] HTREEITEM Root() const { return TreeView_GetRoot(m_hWnd); }
    [[nodiscard]] data::NodeHandle HandleOf(HTREEITEM item) const;
    [[nodiscard]] data::NodeHandle SelectedHandle() const { return HandleOf(GetSelection()); }
    // The node's item, inserting the children of its folders on the way; null when the store has no such node.
    HTREEITEM FindNode(data::NodeHandle handle);
    // Inserts a container's children the first time it needs them.
    void EnsureChildren(HTREEITEM item);

    // The drag this tree started: its node, until the drag ends. A reload of the store meanwhile is recorded,
    // since the dragged text may no longer be what the node holds.
    void BeginOwnDrag(data::NodeHandle node) noexcept;
    void EndOwnDrag() noexcept { m_ownDrag = data::kNoNode; }
    [[nodiscard]] data::NodeHandle OwnDrag() const noexcept { return m_ownDrag; }
    void NoteReload() noexcept { m_reloadedInDrag = m_ownDrag != data::kNoNode; }
    [[nodiscard]] bool ReloadedInDrag() const noexcept { return m_reloadedInDrag; }

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    struct Hit {
        HTREEITEM item = nullptr;
        DropPlace place = DropPlace::None;
    };

    // What an item shows for a node.
    struct NodeView {
        TreeItemKind kind = TreeItemKind::None;
        std::wstring text;
        bool hasChildren = false;
    };

    [[nodiscard]] bool ViewOf(data::NodeHandle handle, NodeView& view) const;
    HTREEITEM InsertNode(HTREEITEM parent, HTREEITEM after, data::NodeHandle handle, const NodeView& view);
    void UpdateItem(HTREEITEM item, const NodeView& view);
    // Makes the inserted children of an item those of its folder in the store, in order.
    void SyncChildren(HTREEITEM item, data::NodeHandle handle, const std::unordered_set<data::NodeHandle>& expanded);
    void CollectExpanded(HTREEITEM item, std::unordered_set<data::NodeHandle>& expanded) const;
    void ExpandSaved(HTREEITEM item, const std::unordered_set<data::NodeHandle>& expanded);
    // The item and place under a screen point; none where a drop is refused.
    [[nodiscard]] Hit HitAt(POINTL point) const;
    void ShowFeedback(const Hit& hit);
    void ClearFeedback();
    void AutoScroll(POINTL point);
    [[nodiscard]] DWORD EffectFor(DWORD keyState, DWORD allowed) const;

    const data::CDataLibrary& m_library;
    ILibDropSink& m_sink;
    bool m_building = false;
    data::NodeHandle m_ownDrag = data::kNoNode;
    bool m_reloadedInDrag = false;
    bool m_acceptable = false;
    DWORD m_allowed = DROPEFFECT_NONE;
    DWORD m_lastScroll = 0;
};

} // namespace tools
