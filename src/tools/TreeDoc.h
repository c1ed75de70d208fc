#pragma once
// The document trees of the history and library windows: a tree view whose items carry their kind in their
// image index, drawn with our own item images, and the history's tree built from the history store.

#include "data/DataHistory.h"
#include "win/Window.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <type_traits>

namespace tools {

// The kind of a tree item; the values are those the image indexes encode.
enum class TreeItemKind : int { None = 0, Root = 1, Group = 2, Folder = 3, DocLocal = 4, DocUrl = 5 };

// The image index of a kind, by its expansion for the containers.
[[nodiscard]] int TreeImageOf(TreeItemKind kind, bool expanded) noexcept;
// The kind an image index encodes; None for an index no kind uses.
[[nodiscard]] TreeItemKind TreeKindOf(int image) noexcept;
[[nodiscard]] constexpr bool IsDocKind(TreeItemKind kind) noexcept {
    return kind == TreeItemKind::DocLocal || kind == TreeItemKind::DocUrl;
}
// Local when the record has a file path, URL when it has only an address, None when it has neither.
[[nodiscard]] TreeItemKind DocKindOf(const data::CDataDoc& doc) noexcept;
// "[03/05 09:07] Guide": the entry's local time in the history's format, a blank and the title; a time of 0 or
// less, or one without a local time, shows the title alone.
[[nodiscard]] std::wstring HistoryItemText(int64_t time, const std::wstring& title);

// A tree view of the dialog with the document images. The dialog owns the control; this owns the images.
class CTreeDoc : public win::CWindow {
public:
    CTreeDoc() = default;
    CTreeDoc(const CTreeDoc&) = delete;
    CTreeDoc& operator=(const CTreeDoc&) = delete;
    virtual ~CTreeDoc() = default;

    bool Init(HWND tree);

    [[nodiscard]] TreeItemKind GetKind(HTREEITEM item) const;
    [[nodiscard]] LPARAM GetData(HTREEITEM item) const;
    [[nodiscard]] std::wstring GetText(HTREEITEM item) const;
    [[nodiscard]] HTREEITEM GetSelection() const { return TreeView_GetSelection(m_hWnd); }
    [[nodiscard]] bool IsExpanded(HTREEITEM item) const;
    // The last child, after `after` (or TVI_LAST / TVI_FIRST) of `parent`; null when it failed.
    HTREEITEM Insert(HTREEITEM parent, HTREEITEM after, const std::wstring& text, TreeItemKind kind, LPARAM data);
    // The item of `parent`'s children whose data is `data`; null when none.
    [[nodiscard]] HTREEITEM FindChild(HTREEITEM parent, LPARAM data) const;
    // Deletes an item; a parent left without children loses its expand button and shows itself collapsed.
    bool RemoveItem(HTREEITEM item);
    // The image of a container after it was expanded or collapsed.
    void SyncImage(HTREEITEM item) const;
    // The item under a screen point (the double-click's point), or the selection for (-1, -1).
    [[nodiscard]] HTREEITEM ItemAt(POINT screen) const;

private:
    struct ImageListDeleter {
        void operator()(std::remove_pointer_t<HIMAGELIST>* images) const noexcept { ImageList_Destroy(images); }
    };
    std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter> m_images;
};

// The history's tree: one group item holding an item per entry, newest first, each carrying the entry's key.
class CTreeDocHist : public CTreeDoc {
public:
    // Builds the tree again from the store. The first build selects the group's first child; later builds keep
    // the selected entry (or the group) and the group's expansion, and keep the group even when the history
    // became empty. Entries the tree cannot show (neither a file nor an address) are skipped and returned.
    std::set<data::NodeHandle> Rebuild(const data::CDataHistory& history);
    [[nodiscard]] HTREEITEM Group() const;
    [[nodiscard]] HTREEITEM FindEntry(data::NodeHandle key) const;
    // The selected entry's key; kNoNode when the group or nothing is selected.
    [[nodiscard]] data::NodeHandle SelectedKey() const;
    [[nodiscard]] bool IsBuilding() const noexcept { return m_building; }

private:
    bool m_built = false;
    bool m_building = false;
};

} // namespace tools
