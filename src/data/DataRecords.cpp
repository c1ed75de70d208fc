#include "data/DataRecords.h"

#include "xml/XmlTextCheck.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace data {

namespace {

std::atomic<NodeHandle> g_lastHandle{kNoNode};

// Blocks of one size, handed out from a free list and refilled a chunk at a time; nothing is ever given back
// to the heap, so a process keeps the most it ever held at once.
class CBlockPool {
public:
    explicit CBlockPool(size_t blockSize) : m_blockSize(RoundUp(blockSize)) {}

    [[nodiscard]] size_t GetBlockSize() const noexcept { return m_blockSize; }

    void* Take() {
        Lock lock(m_lock);
        if (!m_free) {
            Refill();
        }
        FreeBlock* block = m_free;
        m_free = block->next;
        return block;
    }

    void Give(void* memory) noexcept {
        Lock lock(m_lock);
        auto* block = static_cast<FreeBlock*>(memory);
        block->next = m_free;
        m_free = block;
    }

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    class Lock {
    public:
        explicit Lock(SRWLOCK& lock) noexcept : m_lock(lock) { ::AcquireSRWLockExclusive(&m_lock); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;
        ~Lock() { ::ReleaseSRWLockExclusive(&m_lock); }

    private:
        SRWLOCK& m_lock;
    };

    static constexpr size_t kBlocksPerChunk = 256;

    static size_t RoundUp(size_t size) {
        constexpr size_t alignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;
        return (std::max(size, sizeof(FreeBlock)) + alignment - 1) / alignment * alignment;
    }

    void Refill() {
        // Operator new aligns for any object of the default alignment; blocks are multiples of it.
        auto* chunk = static_cast<char*>(::operator new(m_blockSize * kBlocksPerChunk));
        for (size_t i = kBlocksPerChunk; i-- > 0;) {
            auto* block = reinterpret_cast<FreeBlock*>(chunk + i * m_blockSize);
            block->next = m_free;
            m_free = block;
        }
    }

    const size_t m_blockSize;
    SRWLOCK m_lock = SRWLOCK_INIT;
    FreeBlock* m_free = nullptr;
};

CBlockPool& DocPool() {
    // Never destroyed: documents held by static objects may be freed after it would be.
    static CBlockPool* const pool = new CBlockPool(sizeof(CDataDoc));
    return *pool;
}

// Above this many comparisons a folder's children are matched in one greedy pass instead.
constexpr size_t kMaxMatchTable = size_t{1} << 20;

bool SameRecord(const CDataFolder::Child& a, const CDataFolder::Child& b) {
    if (a.folder && b.folder) {
        return a.folder->title == b.folder->title;
    }
    return a.doc && b.doc && *a.doc == *b.doc;
}

// Pairs of indexes (previous, current) of matching children, in order.
std::vector<std::pair<size_t, size_t>> MatchChildren(const std::vector<CDataFolder::Child>& previous,
                                                     const std::vector<CDataFolder::Child>& current) {
    std::vector<std::pair<size_t, size_t>> pairs;
    size_t begin = 0;
    size_t endPrevious = previous.size();
    size_t endCurrent = current.size();
    // The common start and end cost nothing; usually one record was added or removed between them.
    while (begin < endPrevious && begin < endCurrent && SameRecord(previous[begin], current[begin])) {
        pairs.emplace_back(begin, begin);
        ++begin;
    }
    std::vector<std::pair<size_t, size_t>> tail;
    while (endPrevious > begin && endCurrent > begin &&
           SameRecord(previous[endPrevious - 1], current[endCurrent - 1])) {
        tail.emplace_back(--endPrevious, --endCurrent);
    }
    const size_t rows = endPrevious - begin;
    const size_t columns = endCurrent - begin;
    if ((rows + 1) * (columns + 1) <= kMaxMatchTable) {
        // The longest common subsequence: length[i][j] matches previous[begin + i..] with current[begin + j..].
        std::vector<uint32_t> length((rows + 1) * (columns + 1), 0);
        const auto at = [columns](size_t i, size_t j) { return i * (columns + 1) + j; };
        for (size_t i = rows; i-- > 0;) {
            for (size_t j = columns; j-- > 0;) {
                length[at(i, j)] = SameRecord(previous[begin + i], current[begin + j])
                                       ? length[at(i + 1, j + 1)] + 1
                                       : std::max(length[at(i + 1, j)], length[at(i, j + 1)]);
            }
        }
        for (size_t i = 0, j = 0; i < rows && j < columns;) {
            if (SameRecord(previous[begin + i], current[begin + j])) {
                pairs.emplace_back(begin + i++, begin + j++);
            } else if (length[at(i + 1, j)] >= length[at(i, j + 1)]) {
                ++i;
            } else {
                ++j;
            }
        }
    } else {
        size_t next = begin;
        for (size_t j = begin; j < endCurrent; ++j) {
            for (size_t i = next; i < endPrevious; ++i) {
                if (SameRecord(previous[i], current[j])) {
                    pairs.emplace_back(i, j);
                    next = i + 1;
                    break;
                }
            }
        }
    }
    pairs.insert(pairs.end(), tail.rbegin(), tail.rend());
    return pairs;
}

} // namespace

NodeHandle NewNodeHandle() {
    NodeHandle handle = ++g_lastHandle;
    // Only after four thousand million nodes; kNoNode must never name a node.
    while (handle == kNoNode) {
        handle = ++g_lastHandle;
    }
    return handle;
}

bool CDataPathElement::IsStorable() const noexcept {
    return xml::IsStorableText(path);
}

bool CDataPathElement::SetDefaults() {
    path.clear();
    return true;
}

bool CDataPathElement::ReadElement(xml::CXmlReader& reader, int) {
    // No attribute is taken, but every one must pass the reader's checks.
    return reader.LocalName() == m_name && reader.ReadAttributes() && Reset() && reader.ReadElementText(path);
}

bool CDataPathElement::WriteElement(xml::CXmlWriter& writer, int) const {
    return writer.StartElement(m_name) && writer.WriteText(path) && writer.EndElement();
}

bool CDataUrl::IsStorable() const noexcept {
    return xml::IsStorableText(address) && xml::IsStorableText(user);
}

bool CDataUrl::SetDefaults() {
    *this = CDataUrl();
    return true;
}

bool CDataUrl::ReadElement(xml::CXmlReader& reader, int) {
    const xml::CXmlAttributeMap* attributes = reader.LocalName() == L"url" ? reader.ReadAttributes() : nullptr;
    if (!attributes || !Reset()) {
        return false;
    }
    xml::TakeText(*attributes, L"user", user);
    xml::TakeBool(*attributes, L"cache", cache);
    xml::TakeBool(*attributes, L"pasv", pasv);
    return reader.ReadElementText(address);
}

bool CDataUrl::WriteElement(xml::CXmlWriter& writer, int) const {
    return writer.StartElement(L"url") && (user.empty() || writer.WriteAttribute(L"user", user)) &&
           (!cache || writer.WriteAttribute(L"cache", xml::BoolToText(true))) &&
           (!pasv || writer.WriteAttribute(L"pasv", xml::BoolToText(true))) && writer.WriteText(address) &&
           writer.EndElement();
}

bool CDataDoc::IsStorable() const noexcept {
    return xml::IsStorableText(title) && xml::IsStorableText(note) && file.IsStorable() && url.IsStorable() &&
           topic.IsStorable();
}

bool CDataDoc::operator==(const CDataDoc& other) const {
    return title == other.title && time == other.time && note == other.note && file == other.file && url == other.url &&
           topic == other.topic;
}

bool CDataDoc::SetDefaults() {
    title.clear();
    time = 0;
    note.clear();
    return file.Reset() && url.Reset() && topic.Reset();
}

bool CDataDoc::ReadElement(xml::CXmlReader& reader, int depth) {
    // The reader's own map: it holds until the children are read, and the attributes are taken before that.
    const xml::CXmlAttributeMap* attributes = reader.LocalName() == L"doc" ? reader.ReadAttributes() : nullptr;
    if (!attributes || !Reset()) {
        return false;
    }
    xml::TakeText(*attributes, L"title", title);
    xml::TakeText(*attributes, L"note", note);
    if (!xml::TakeTime(*attributes, L"time", time)) {
        return false;
    }
    bool haveFile = false;
    bool haveUrl = false;
    bool haveTopic = false;
    while (reader.ReadToElement(depth + 1)) {
        const std::wstring_view name = reader.LocalName();
        xml::CXmlElement* child = nullptr;
        bool* seen = nullptr;
        if (name == L"file") {
            child = &file;
            seen = &haveFile;
        } else if (name == L"url") {
            child = &url;
            seen = &haveUrl;
        } else if (name == L"topic") {
            child = &topic;
            seen = &haveTopic;
        }
        if (!child || *seen || !child->Read(reader, depth + 1)) {
            return false;
        }
        *seen = true;
    }
    return true;
}

bool CDataDoc::WriteElement(xml::CXmlWriter& writer, int depth) const {
    return writer.StartElement(L"doc") && (title.empty() || writer.WriteAttribute(L"title", title)) &&
           (time <= 0 || writer.WriteAttribute(L"time", xml::TimeToText(time))) &&
           (note.empty() || writer.WriteAttribute(L"note", note)) &&
           (file.path.empty() || file.Write(writer, depth + 1)) &&
           (url.address.empty() || url.Write(writer, depth + 1)) &&
           (topic.path.empty() || topic.Write(writer, depth + 1)) && writer.EndElement();
}

void* CDataDoc::operator new(size_t size) {
    // A derived record of another size takes the heap.
    return size == sizeof(CDataDoc) ? DocPool().Take() : ::operator new(size);
}

void CDataDoc::operator delete(void* block, size_t size) noexcept {
    if (!block) {
        return;
    }
    if (size == sizeof(CDataDoc)) {
        DocPool().Give(block);
    } else {
        ::operator delete(block);
    }
}

std::unique_ptr<CDataDoc> CopyDocFields(const CDataDoc& record) {
    auto doc = std::make_unique<CDataDoc>();
    doc->title = record.title;
    doc->time = record.time;
    doc->note = record.note;
    doc->file = record.file;
    doc->url = record.url;
    doc->topic = record.topic;
    return doc;
}

CDataFolder::CDataFolder() = default;

CDataFolder::CDataFolder(const CDataFolder& other) : CXmlRoot(other), title(other.title) {
    m_children.reserve(other.m_children.size());
    for (const Child& child : other.m_children) {
        Child copy;
        copy.handle = NewNodeHandle();
        if (child.folder) {
            copy.folder = std::make_unique<CDataFolder>(*child.folder);
        } else {
            copy.doc = std::make_unique<CDataDoc>(*child.doc);
        }
        m_children.push_back(std::move(copy));
    }
}

CDataFolder& CDataFolder::operator=(const CDataFolder& other) {
    if (this != &other) {
        CDataFolder copy(other);
        *this = std::move(copy);
    }
    return *this;
}

// The base part (valid flag, error text) is small and copied; the children change owner.
CDataFolder::CDataFolder(CDataFolder&& other)
    : CXmlRoot(other), title(std::move(other.title)), m_children(std::move(other.m_children)) {
    other.m_children.clear();
}

CDataFolder& CDataFolder::operator=(CDataFolder&& other) {
    if (this != &other) {
        CXmlRoot::operator=(other);
        title = std::move(other.title);
        m_children = std::move(other.m_children);
        other.m_children.clear();
    }
    return *this;
}

CDataFolder::~CDataFolder() = default;

std::vector<NodeHandle> CDataFolder::List() const {
    std::vector<NodeHandle> handles;
    handles.reserve(m_children.size());
    for (const Child& child : m_children) {
        handles.push_back(child.handle);
    }
    return handles;
}

size_t CDataFolder::IndexOf(NodeHandle handle) const noexcept {
    if (handle == kNoNode) {
        return m_children.size();
    }
    const auto it =
        std::find_if(m_children.begin(), m_children.end(), [handle](const Child& c) { return c.handle == handle; });
    return static_cast<size_t>(it - m_children.begin());
}

NodeKind CDataFolder::GetKind(NodeHandle handle) const noexcept {
    const size_t index = IndexOf(handle);
    if (index == m_children.size()) {
        return NodeKind::None;
    }
    return m_children[index].folder ? NodeKind::Folder : NodeKind::Doc;
}

bool CDataFolder::FindInsertIndex(const NodePosition& position, size_t& index) const noexcept {
    switch (position.GetWhere()) {
    case NodePosition::Where::Front:
        index = 0;
        return true;
    case NodePosition::Where::End:
        index = m_children.size();
        return true;
    case NodePosition::Where::After:
        index = IndexOf(position.GetSibling());
        if (index == m_children.size()) {
            return false;
        }
        ++index;
        return true;
    }
    return false;
}

NodeHandle CDataFolder::InsertChild(const NodePosition& position, Child child) {
    size_t index = 0;
    if (!FindInsertIndex(position, index)) {
        return kNoNode;
    }
    child.handle = NewNodeHandle();
    const NodeHandle handle = child.handle;
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), std::move(child));
    return handle;
}

NodeHandle CDataFolder::Insert(const NodePosition& position, std::unique_ptr<CDataFolder> folder) {
    if (!folder) {
        return kNoNode;
    }
    Child child;
    child.folder = std::move(folder);
    return InsertChild(position, std::move(child));
}

NodeHandle CDataFolder::Insert(const NodePosition& position, std::unique_ptr<CDataDoc> doc) {
    if (!doc) {
        return kNoNode;
    }
    Child child;
    child.doc = std::move(doc);
    return InsertChild(position, std::move(child));
}

bool CDataFolder::Remove(NodeHandle handle) {
    const size_t index = IndexOf(handle);
    if (index == m_children.size()) {
        return false;
    }
    m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

CDataFolder::Child CDataFolder::Detach(NodeHandle handle) {
    const size_t index = IndexOf(handle);
    if (index == m_children.size()) {
        return {};
    }
    Child child = std::move(m_children[index]);
    m_children.erase(m_children.begin() + static_cast<std::ptrdiff_t>(index));
    return child;
}

bool CDataFolder::Attach(const NodePosition& position, Child& child) {
    size_t index = 0;
    if (child.handle == kNoNode || (!child.folder == !child.doc) || !FindInsertIndex(position, index)) {
        return false;
    }
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), std::move(child));
    child = {};
    return true;
}

CDataFolder* CDataFolder::FindFolder(NodeHandle handle) noexcept {
    const size_t index = IndexOf(handle);
    return index == m_children.size() ? nullptr : m_children[index].folder.get();
}

const CDataFolder* CDataFolder::FindFolder(NodeHandle handle) const noexcept {
    const size_t index = IndexOf(handle);
    return index == m_children.size() ? nullptr : m_children[index].folder.get();
}

CDataDoc* CDataFolder::FindDoc(NodeHandle handle) noexcept {
    const size_t index = IndexOf(handle);
    return index == m_children.size() ? nullptr : m_children[index].doc.get();
}

const CDataDoc* CDataFolder::FindDoc(NodeHandle handle) const noexcept {
    const size_t index = IndexOf(handle);
    return index == m_children.size() ? nullptr : m_children[index].doc.get();
}

bool CDataFolder::CopyDoc(NodeHandle handle, CDataDoc& doc) const {
    const CDataDoc* found = FindDoc(handle);
    if (!found) {
        return false;
    }
    doc = *found;
    return true;
}

void CDataFolder::KeepHandlesOf(const CDataFolder& previous) {
    for (const auto& [from, to] : MatchChildren(previous.m_children, m_children)) {
        m_children[to].handle = previous.m_children[from].handle;
        if (m_children[to].folder) {
            m_children[to].folder->KeepHandlesOf(*previous.m_children[from].folder);
        }
    }
}

bool CDataFolder::IsStorable() const noexcept {
    if (!xml::IsStorableText(title)) {
        return false;
    }
    return std::all_of(m_children.begin(), m_children.end(), [](const Child& child) {
        return child.folder ? child.folder->IsStorable() : child.doc->IsStorable();
    });
}

int CDataFolder::GetHeight() const {
    int below = 0;
    for (const Child& child : m_children) {
        below = std::max(below, child.folder ? child.folder->GetHeight() : kDocHeight);
    }
    return 1 + below;
}

size_t CDataFolder::CountNodes() const {
    size_t count = m_children.size();
    for (const Child& child : m_children) {
        if (child.folder) {
            count += child.folder->CountNodes();
        }
    }
    return count;
}

bool CDataFolder::SetDefaults() {
    title.clear();
    m_children.clear();
    return true;
}

bool CDataFolder::ReadElement(xml::CXmlReader& reader, int depth) {
    const xml::CXmlAttributeMap* attributes = reader.LocalName() == L"folder" ? reader.ReadAttributes() : nullptr;
    if (!attributes || !Reset()) {
        return false;
    }
    xml::TakeText(*attributes, L"title", title);
    while (reader.ReadToElement(depth + 1)) {
        const std::wstring_view name = reader.LocalName();
        Child child;
        if (name == L"folder") {
            child.folder = std::make_unique<CDataFolder>();
            if (!child.folder->Read(reader, depth + 1)) {
                return false;
            }
        } else if (name == L"doc") {
            child.doc = std::make_unique<CDataDoc>();
            if (!child.doc->Read(reader, depth + 1)) {
                return false;
            }
        } else {
            return false;
        }
        child.handle = NewNodeHandle();
        // A library folder holds tens of children: growing from a few slots spares the smallest steps.
        if (m_children.empty()) {
            m_children.reserve(8);
        }
        m_children.push_back(std::move(child));
    }
    return true;
}

bool CDataFolder::WriteElement(xml::CXmlWriter& writer, int depth) const {
    if (!writer.StartElement(L"folder") || (!title.empty() && !writer.WriteAttribute(L"title", title))) {
        return false;
    }
    for (const Child& child : m_children) {
        const bool written =
            child.folder ? child.folder->Write(writer, depth + 1) : child.doc->Write(writer, depth + 1);
        if (!written) {
            return false;
        }
    }
    return writer.EndElement();
}

} // namespace data
