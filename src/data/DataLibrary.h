#pragma once
// The library store "chmlib.xml": the user's catalogue of documents in nested folders, edited through handles,
// plus the conversion of a document's file path between absolute and relative form.

#include "data/DataRecords.h"
#include "data/NodeMap.h"
#include "xml/XmlStore.h"

#include "win/Path.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace data {

// The library tree under one untitled root folder, with an index from every handle to its node.
class CDataLibrary : public xml::CXmlStore {
public:
    static constexpr wchar_t kFileName[] = L"chmlib.xml";
    static constexpr DWORD kAdded = 2;
    static constexpr DWORD kRemoved = 4;
    static constexpr DWORD kChanged = 8;
    static constexpr DWORD kImported = 16;
    // A move takes a node from one place and adds it at another.
    static constexpr DWORD kMoved = kAdded | kRemoved;
    // The title the user interface gives a folder it creates.
    static constexpr wchar_t kNewFolderTitle[] = L"\u65B0\u898F\u30D5\u30A9\u30EB\u30C0";

    CDataLibrary();

    // The root folder's handle; it stays the same for the life of the store.
    [[nodiscard]] NodeHandle GetRoot() const noexcept { return m_rootHandle; }
    [[nodiscard]] NodeKind GetKind(NodeHandle handle) const;
    // The folder holding the node; kNoNode for the root and for unknown handles.
    [[nodiscard]] NodeHandle GetParent(NodeHandle handle) const;
    // True when `handle` is `ancestor` or lies anywhere below it.
    [[nodiscard]] bool IsWithin(NodeHandle handle, NodeHandle ancestor) const;
    // The direct children of a folder, in order; false for anything but a folder.
    [[nodiscard]] bool ListChildren(NodeHandle folder, std::vector<NodeHandle>& handles) const;
    [[nodiscard]] bool GetFolderTitle(NodeHandle folder, std::wstring& title) const;
    [[nodiscard]] bool GetDoc(NodeHandle doc, CDataDoc& record) const;
    // The folder or document with its whole subtree as XML text without declaration.
    [[nodiscard]] bool CopyOut(NodeHandle handle, std::string& utf8);
    [[nodiscard]] const CDataFolder& GetRootFolder() const noexcept { return m_root; }

    // Edits: each runs on the file's current content (handles stay valid across another instance's changes),
    // saves the file and tells the views, also after a failed attempt. Text a data file cannot carry is refused
    // before anything changes; an edit whose node or target another instance removed fails with an error text,
    // except a removal, which then succeeds without writing.
    // New empty folder in `parent` at the position; its handle or kNoNode.
    [[nodiscard]] NodeHandle AddFolder(std::wstring_view title, NodeHandle parent, const NodePosition& position);
    // A copy of the record in `parent` at the position; its handle or kNoNode.
    [[nodiscard]] NodeHandle AddDoc(const CDataDoc& record, NodeHandle parent, const NodePosition& position);
    // Text of a "folder" (tried first) or a "doc" element, inserted with new handles; any other text changes
    // nothing and gives kNoNode.
    [[nodiscard]] NodeHandle InsertXml(std::string_view utf8, NodeHandle parent, const NodePosition& position);
    // Moves a node with its subtree into `parent` at the position, keeping every handle. The root cannot move,
    // and a folder cannot move into itself or below itself.
    [[nodiscard]] bool Move(NodeHandle handle, NodeHandle parent, const NodePosition& position);
    [[nodiscard]] bool RenameFolder(NodeHandle folder, std::wstring_view title);
    // Replaces the document's stored fields with the record's.
    [[nodiscard]] bool SetDoc(NodeHandle doc, const CDataDoc& record);
    // Removes a direct child of the folder with everything below it.
    [[nodiscard]] bool Remove(NodeHandle folder, NodeHandle child);
    // Empties the library.
    [[nodiscard]] bool Clear();

    // Path classes: 0 empty, 1 drive-rooted, 2 relative, 3 UNC.
    [[nodiscard]] static win::PathKind ClassifyPath(std::wstring_view path);
    // The directory paths are converted against: `given` (the execution directory) or, when empty, the current
    // directory; it must be drive-rooted and exist. False when there is none.
    [[nodiscard]] static bool GetBaseDirectory(std::wstring_view given, std::wstring& base);
    // Whether a drive-rooted path is on the base directory's drive.
    [[nodiscard]] static bool IsOnSameDrive(std::wstring_view path, std::wstring_view base);
    // Drive-rooted paths on the base's drive become relative to the base (".\" or "..\" first); other paths
    // come back unchanged. Empty on failure or without a base.
    [[nodiscard]] static std::wstring ToRelativePath(std::wstring_view path, std::wstring_view base);
    // Relative paths are resolved against the base; other paths come back unchanged. Empty on failure or
    // without a base.
    [[nodiscard]] static std::wstring ToAbsolutePath(std::wstring_view path, std::wstring_view base);

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
    std::unique_ptr<xml::CXmlStore> CreateScratch() const override;
    void TakeOver(xml::CXmlStore& fresh) override;

private:
    // Where a node lives: its parent folder (none for the root) and the node itself.
    struct Location {
        NodeHandle parentHandle = kNoNode;
        CDataFolder* parent = nullptr;
        CDataFolder* folder = nullptr;
        CDataDoc* doc = nullptr;
    };

    [[nodiscard]] const Location* Find(NodeHandle handle) const;
    [[nodiscard]] Location* FindLocation(NodeHandle handle);
    [[nodiscard]] CDataFolder* FindFolder(NodeHandle handle) const;
    // Element depth of a folder when written: 1 for the root folder, inside "library".
    [[nodiscard]] int DepthOf(NodeHandle folder) const;
    // Whether a subtree of `height` levels fits below the folder without passing the reader's nesting limit.
    [[nodiscard]] bool Fits(NodeHandle parent, int height) const;
    // The index is made when it is first needed after the tree was replaced, so a scratch copy that is only read
    // and handed over never makes one.
    void EnsureIndex() const;
    void RebuildIndex() const;
    void IndexSubtree(CDataFolder& folder, NodeHandle handle) const;
    void UnindexSubtree(const CDataFolder& folder);
    // Inserts a record prepared by the caller after the checks every insertion shares.
    NodeHandle InsertFolder(std::unique_ptr<CDataFolder> folder, NodeHandle parent, const NodePosition& position);
    NodeHandle InsertDoc(std::unique_ptr<CDataDoc> doc, NodeHandle parent, const NodePosition& position);
    // Whether the folder exists and, for a position after a sibling, holds that sibling.
    [[nodiscard]] bool TargetExists(NodeHandle parent, const NodePosition& position) const;
    // Runs an insertion as an edit; the new node's handle, or kNoNode.
    NodeHandle InsertEdit(NodeHandle parent, const NodePosition& position, const std::function<NodeHandle()>& insert);

    CDataFolder m_root;
    const NodeHandle m_rootHandle;
    mutable CNodeMapT<Location> m_index;
    mutable bool m_indexStale = true;
};

} // namespace data
