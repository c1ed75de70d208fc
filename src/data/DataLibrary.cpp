#include "data/DataLibrary.h"

namespace data {

CDataLibrary::CDataLibrary() : CXmlStore(kFileName, kRemoved, kImported), m_rootHandle(NewNodeHandle()) {
    RebuildIndex();
}

const CDataLibrary::Location* CDataLibrary::Find(NodeHandle handle) const {
    const auto it = m_index.find(handle);
    return it == m_index.end() ? nullptr : &it->second;
}

CDataFolder* CDataLibrary::FindFolder(NodeHandle handle) const {
    const Location* location = Find(handle);
    return location ? location->folder : nullptr;
}

NodeKind CDataLibrary::GetKind(NodeHandle handle) const {
    const Location* location = Find(handle);
    if (!location) {
        return NodeKind::None;
    }
    return location->folder ? NodeKind::Folder : NodeKind::Doc;
}

NodeHandle CDataLibrary::GetParent(NodeHandle handle) const {
    const Location* location = Find(handle);
    return location ? location->parentHandle : kNoNode;
}

bool CDataLibrary::IsWithin(NodeHandle handle, NodeHandle ancestor) const {
    if (!Find(handle) || !Find(ancestor)) {
        return false;
    }
    for (NodeHandle current = handle; current != kNoNode; current = GetParent(current)) {
        if (current == ancestor) {
            return true;
        }
    }
    return false;
}

bool CDataLibrary::ListChildren(NodeHandle folder, std::vector<NodeHandle>& handles) const {
    handles.clear();
    const CDataFolder* found = FindFolder(folder);
    if (!found) {
        return false;
    }
    handles = found->List();
    return true;
}

bool CDataLibrary::GetFolderTitle(NodeHandle folder, std::wstring& title) const {
    const CDataFolder* found = FindFolder(folder);
    if (!found) {
        return false;
    }
    title = found->title;
    return true;
}

bool CDataLibrary::GetDoc(NodeHandle doc, CDataDoc& record) const {
    const Location* location = Find(doc);
    if (!location || !location->doc) {
        return false;
    }
    record = *location->doc;
    return true;
}

bool CDataLibrary::CopyOut(NodeHandle handle, std::string& utf8) {
    utf8.clear();
    const Location* location = Find(handle);
    if (!location) {
        return false;
    }
    return location->folder ? location->folder->SaveText(utf8) : location->doc->SaveText(utf8);
}

int CDataLibrary::DepthOf(NodeHandle folder) const {
    int depth = 1;
    for (NodeHandle current = GetParent(folder); current != kNoNode; current = GetParent(current)) {
        ++depth;
    }
    return depth;
}

bool CDataLibrary::Fits(NodeHandle parent, int height) const {
    // A tree deeper than the reader accepts would save but could never be read back.
    return DepthOf(parent) + height < xml::kMaxElementDepth;
}

NodeHandle CDataLibrary::InsertFolder(std::unique_ptr<CDataFolder> folder, NodeHandle parent,
                                      const NodePosition& position) {
    CDataFolder* target = FindFolder(parent);
    if (!target || !folder || !Fits(parent, folder->GetHeight())) {
        return kNoNode;
    }
    CDataFolder* inserted = folder.get();
    const NodeHandle handle = target->Insert(position, std::move(folder));
    if (handle != kNoNode) {
        m_index[handle] = {parent, target, inserted, nullptr};
        IndexSubtree(*inserted, handle);
    }
    return handle;
}

NodeHandle CDataLibrary::InsertDoc(std::unique_ptr<CDataDoc> doc, NodeHandle parent, const NodePosition& position) {
    CDataFolder* target = FindFolder(parent);
    if (!target || !doc || !Fits(parent, kDocHeight)) {
        return kNoNode;
    }
    CDataDoc* inserted = doc.get();
    const NodeHandle handle = target->Insert(position, std::move(doc));
    if (handle != kNoNode) {
        m_index[handle] = {parent, target, nullptr, inserted};
    }
    return handle;
}

NodeHandle CDataLibrary::AddFolder(std::wstring_view title, NodeHandle parent, const NodePosition& position) {
    auto folder = std::make_unique<CDataFolder>();
    folder->title = title;
    const NodeHandle handle = InsertFolder(std::move(folder), parent, position);
    return CommitEdit(kAdded, handle != kNoNode) ? handle : kNoNode;
}

NodeHandle CDataLibrary::AddDoc(const CDataDoc& record, NodeHandle parent, const NodePosition& position) {
    const NodeHandle handle = InsertDoc(CopyDocFields(record), parent, position);
    return CommitEdit(kAdded, handle != kNoNode) ? handle : kNoNode;
}

NodeHandle CDataLibrary::InsertXml(std::string_view utf8, NodeHandle parent, const NodePosition& position) {
    NodeHandle handle = kNoNode;
    auto folder = std::make_unique<CDataFolder>();
    if (folder->LoadText(utf8)) {
        handle = InsertFolder(std::move(folder), parent, position);
    } else if (auto doc = std::make_unique<CDataDoc>(); doc->LoadText(utf8)) {
        handle = InsertDoc(std::move(doc), parent, position);
    }
    return CommitEdit(kAdded, handle != kNoNode) ? handle : kNoNode;
}

bool CDataLibrary::Move(NodeHandle handle, NodeHandle parent, const NodePosition& position) {
    Location* location = nullptr;
    if (const auto it = m_index.find(handle); it != m_index.end()) {
        location = &it->second;
    }
    CDataFolder* target = FindFolder(parent);
    bool moved = false;
    const bool allowed =
        location && location->parent && target && !IsWithin(parent, handle) &&
        !(position.GetWhere() == NodePosition::Where::After &&
          (position.GetSibling() == handle || target->IndexOf(position.GetSibling()) == target->GetCount())) &&
        Fits(parent, location->folder ? location->folder->GetHeight() : kDocHeight);
    if (allowed) {
        CDataFolder* source = location->parent;
        // Where it was, so a refused attachment can put it back.
        const size_t index = source->IndexOf(handle);
        const NodePosition previous =
            index == 0 ? NodePosition::Front() : NodePosition::After(source->Children()[index - 1].handle);
        CDataFolder::Child child = source->Detach(handle);
        if (target->Attach(position, child)) {
            location->parentHandle = parent;
            location->parent = target;
            moved = true;
        } else {
            (void)source->Attach(previous, child);
        }
    }
    return CommitEdit(kMoved, moved);
}

bool CDataLibrary::RenameFolder(NodeHandle folder, std::wstring_view title) {
    CDataFolder* found = FindFolder(folder);
    if (found) {
        found->title = title;
    }
    return CommitEdit(kChanged, found != nullptr);
}

bool CDataLibrary::SetDoc(NodeHandle doc, const CDataDoc& record) {
    const Location* location = Find(doc);
    CDataDoc* found = location ? location->doc : nullptr;
    if (found) {
        *found = *CopyDocFields(record);
    }
    return CommitEdit(kChanged, found != nullptr);
}

bool CDataLibrary::Remove(NodeHandle folder, NodeHandle child) {
    CDataFolder* parent = FindFolder(folder);
    const Location* location = Find(child);
    bool removed = false;
    if (parent && location && location->parent == parent) {
        if (location->folder) {
            UnindexSubtree(*location->folder);
        }
        m_index.erase(child);
        removed = parent->Remove(child);
    }
    return CommitEdit(kRemoved, removed);
}

bool CDataLibrary::Clear() {
    return CommitEdit(kRemoved, Reset());
}

void CDataLibrary::RebuildIndex() {
    m_index.clear();
    m_index[m_rootHandle] = {kNoNode, nullptr, &m_root, nullptr};
    IndexSubtree(m_root, m_rootHandle);
}

void CDataLibrary::IndexSubtree(CDataFolder& folder, NodeHandle handle) {
    for (const CDataFolder::Child& child : folder.Children()) {
        m_index[child.handle] = {handle, &folder, child.folder.get(), child.doc.get()};
        if (child.folder) {
            IndexSubtree(*child.folder, child.handle);
        }
    }
}

void CDataLibrary::UnindexSubtree(const CDataFolder& folder) {
    for (const CDataFolder::Child& child : folder.Children()) {
        if (child.folder) {
            UnindexSubtree(*child.folder);
        }
        m_index.erase(child.handle);
    }
}

bool CDataLibrary::SetDefaults() {
    const bool reset = m_root.Reset();
    RebuildIndex();
    return reset;
}

bool CDataLibrary::ReadElement(xml::CXmlReader& reader, int depth) {
    if (reader.GetLocalName() != L"library" || !Reset()) {
        return false;
    }
    bool read = true;
    if (reader.ReadToElement(depth + 1)) {
        read = m_root.Read(reader, depth + 1);
    }
    // Also after a failed read: the views show what was read up to the failure.
    RebuildIndex();
    if (!read) {
        return false;
    }
    // Only the first element is the library; later ones are passed over.
    while (reader.ReadToElement(depth + 1)) {
    }
    return true;
}

bool CDataLibrary::WriteElement(xml::CXmlWriter& writer, int depth) const {
    return writer.StartElement(L"library") && m_root.Write(writer, depth + 1) && writer.EndElement();
}

std::unique_ptr<xml::CXmlStore> CDataLibrary::CreateScratch() const {
    return std::make_unique<CDataLibrary>();
}

} // namespace data
