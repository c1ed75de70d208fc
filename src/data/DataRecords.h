#pragma once
// The records that the history, the library and the document information file share: text leaves for a file
// path and a topic path, the URL a document came from, the document record, and the folder that owns
// documents and folders behind stable handles.

#include "xml/XmlElement.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace data {

// Identifies one folder or document while it exists. Handles come from one process-wide counter and are never
// reused, so a handle kept after its node was removed names nothing rather than some later node.
using NodeHandle = uint32_t;
inline constexpr NodeHandle kNoNode = 0;

// The next unused handle.
[[nodiscard]] NodeHandle NewNodeHandle();

enum class NodeKind : int {
    None = 0,
    Folder = 1,
    Doc = 2,
};

// Where a new child goes among its siblings.
class NodePosition {
public:
    enum class Where { Front, End, After };

    [[nodiscard]] static NodePosition Front() { return NodePosition(Where::Front, kNoNode); }
    [[nodiscard]] static NodePosition End() { return NodePosition(Where::End, kNoNode); }
    // Directly after the sibling with this handle.
    [[nodiscard]] static NodePosition After(NodeHandle sibling) { return NodePosition(Where::After, sibling); }

    [[nodiscard]] Where GetWhere() const noexcept { return m_where; }
    [[nodiscard]] NodeHandle GetSibling() const noexcept { return m_sibling; }

private:
    NodePosition(Where where, NodeHandle sibling) : m_where(where), m_sibling(sibling) {}

    Where m_where;
    NodeHandle m_sibling;
};

// A leaf whose whole content is one path as element text ("file", "topic").
class CDataPathElement : public xml::CXmlElement {
public:
    std::wstring path;

    [[nodiscard]] std::wstring_view GetElementName() const noexcept { return m_name; }
    // Whether a data file can carry the path (see xml::IsStorableText).
    [[nodiscard]] bool IsStorable() const noexcept;
    bool operator==(const CDataPathElement& other) const { return path == other.path; }

protected:
    explicit CDataPathElement(std::wstring_view name) : m_name(name) {}

    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;

private:
    std::wstring_view m_name;
};

// The file path of a local document, full or (in the library) relative.
class CDataFile : public CDataPathElement {
public:
    CDataFile() : CDataPathElement(L"file") {}
};

// A topic path inside a document.
class CDataTopic : public CDataPathElement {
public:
    CDataTopic() : CDataPathElement(L"topic") {}
};

// The address a document was downloaded from with the options of that download. The password is never a
// field here: it lives only in memory for the transfer.
class CDataUrl : public xml::CXmlElement {
public:
    std::wstring address;
    std::wstring user;
    bool cache = false;
    bool pasv = false;

    [[nodiscard]] bool IsStorable() const noexcept;
    bool operator==(const CDataUrl& other) const {
        return address == other.address && user == other.user && cache == other.cache && pasv == other.pasv;
    }

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// One document: where it is (file path or address), the topic shown, its title, when the entry was made and
// the user's note. It can stand alone as XML text, for copying and for the document information file.
class CDataDoc : public xml::CXmlRoot {
public:
    std::wstring title;
    // Seconds since 1970-01-01 00:00 UTC; 0 for none.
    int64_t time = 0;
    std::wstring note;
    CDataFile file;
    CDataUrl url;
    CDataTopic topic;

    // Whether a data file can carry every text field.
    [[nodiscard]] bool IsStorable() const noexcept;
    // Compares the stored fields only, not the error text or valid flag.
    bool operator==(const CDataDoc& other) const;

    // A large library holds documents by the ten thousand and every load replaces them all: they come from
    // blocks kept for reuse instead of one heap allocation each. The memory stays with the process.
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size) noexcept;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// A titled, ordered list of folders and documents in any mix. Every child has a handle of its own; a copy of a
// folder is a deep copy whose nodes get new handles.
class CDataFolder : public xml::CXmlRoot {
public:
    std::wstring title;

    // A child slot: exactly one of the two pointers is set.
    struct Child {
        NodeHandle handle = kNoNode;
        std::unique_ptr<CDataFolder> folder;
        std::unique_ptr<CDataDoc> doc;
    };

    CDataFolder();
    CDataFolder(const CDataFolder& other);
    CDataFolder& operator=(const CDataFolder& other);
    CDataFolder(CDataFolder&& other);
    CDataFolder& operator=(CDataFolder&& other);
    ~CDataFolder() override;

    [[nodiscard]] const std::vector<Child>& Children() const noexcept { return m_children; }
    [[nodiscard]] size_t GetCount() const noexcept { return m_children.size(); }
    // The handles of the direct children, in order.
    [[nodiscard]] std::vector<NodeHandle> List() const;
    // Index of the direct child with the handle, or GetCount() when there is none.
    [[nodiscard]] size_t IndexOf(NodeHandle handle) const noexcept;
    [[nodiscard]] NodeKind GetKind(NodeHandle handle) const noexcept;

    // The folder takes the record; the new child's handle, or kNoNode when the position names no child (the
    // record is then discarded) or the record is null.
    NodeHandle Insert(const NodePosition& position, std::unique_ptr<CDataFolder> folder);
    NodeHandle Insert(const NodePosition& position, std::unique_ptr<CDataDoc> doc);
    // Destroys the child with its whole subtree; false when no direct child has the handle.
    bool Remove(NodeHandle handle);
    // Takes the child out without destroying it; an empty slot when no direct child has the handle.
    Child Detach(NodeHandle handle);
    // Puts a detached child back at the position under its own handle; false (child untouched) when the
    // position names no child.
    bool Attach(const NodePosition& position, Child& child);

    // Direct children by handle; null for a handle of the other kind or of no child.
    [[nodiscard]] CDataFolder* FindFolder(NodeHandle handle) noexcept;
    [[nodiscard]] const CDataFolder* FindFolder(NodeHandle handle) const noexcept;
    [[nodiscard]] CDataDoc* FindDoc(NodeHandle handle) noexcept;
    [[nodiscard]] const CDataDoc* FindDoc(NodeHandle handle) const noexcept;
    // A copy of the document child; false for a folder or an unknown handle.
    [[nodiscard]] bool CopyDoc(NodeHandle handle, CDataDoc& doc) const;

    // Gives the children the handles of their counterparts in `previous`, an earlier state of this folder:
    // folders by title, documents by all their fields, matched in order (the longest common run, so records
    // keep their handles however others were added, removed or moved around them); matched folders do the same
    // with their children. Unmatched children keep their own new handles, so no handle names two records.
    void KeepHandlesOf(const CDataFolder& previous);
    // Whether a data file can carry the title and everything below.
    [[nodiscard]] bool IsStorable() const noexcept;

    // Levels of elements this folder spans when written: 1 for an empty folder, more for each nested level.
    [[nodiscard]] int GetHeight() const;
    // Number of folders and documents below this folder, at any depth.
    [[nodiscard]] size_t CountNodes() const;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;

private:
    // Index where a child goes for the position, or false when the position names no child.
    bool FindInsertIndex(const NodePosition& position, size_t& index) const noexcept;
    NodeHandle InsertChild(const NodePosition& position, Child child);

    std::vector<Child> m_children;
};

// A new document record with the stored fields of `record` only, so a record that failed to load (and is
// therefore marked invalid) still gives a copy that can be saved.
[[nodiscard]] std::unique_ptr<CDataDoc> CopyDocFields(const CDataDoc& record);

// Element levels a document spans when written: the "doc" element and its child elements.
inline constexpr int kDocHeight = 2;

} // namespace data
