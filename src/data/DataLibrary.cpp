#include "data/DataLibrary.h"

#include "xml/XmlTextCheck.h"

namespace data {

CDataLibrary::CDataLibrary() : CXmlStore(kFileName, kRemoved, kImported), m_rootHandle(NewNodeHandle()) {}

const CDataLibrary::Location* CDataLibrary::Find(NodeHandle handle) const {
    EnsureIndex();
    return m_index.Find(handle);
}

CDataLibrary::Location* CDataLibrary::FindLocation(NodeHandle handle) {
    EnsureIndex();
    return m_index.Find(handle);
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

bool CDataLibrary::TargetExists(NodeHandle parent, const NodePosition& position) const {
    const CDataFolder* target = FindFolder(parent);
    return target && (position.GetWhere() != NodePosition::Where::After ||
                      target->IndexOf(position.GetSibling()) != target->GetCount());
}

NodeHandle CDataLibrary::InsertEdit(NodeHandle parent, const NodePosition& position,
                                    const std::function<NodeHandle()>& insert) {
    NodeHandle handle = kNoNode;
    const bool done = ApplyEdit(kAdded, [&] {
        if (!TargetExists(parent, position)) {
            return RecordGone();
        }
        handle = insert();
        return handle != kNoNode ? EditResult::Changed : EditResult::Failed;
    });
    return done ? handle : kNoNode;
}

NodeHandle CDataLibrary::AddFolder(std::wstring_view title, NodeHandle parent, const NodePosition& position) {
    if (!CheckStorable(xml::IsStorableText(title))) {
        return kNoNode;
    }
    return InsertEdit(parent, position, [&] {
        auto folder = std::make_unique<CDataFolder>();
        folder->title = title;
        return InsertFolder(std::move(folder), parent, position);
    });
}

NodeHandle CDataLibrary::AddDoc(const CDataDoc& record, NodeHandle parent, const NodePosition& position) {
    if (!CheckStorable(record.IsStorable())) {
        return kNoNode;
    }
    return InsertEdit(parent, position, [&] { return InsertDoc(CopyDocFields(record), parent, position); });
}

NodeHandle CDataLibrary::InsertXml(std::string_view utf8, NodeHandle parent, const NodePosition& position) {
    ClearError();
    auto folder = std::make_unique<CDataFolder>();
    auto doc = std::make_unique<CDataDoc>();
    if (folder->LoadText(utf8)) {
        doc.reset();
    } else if (doc->LoadText(utf8)) {
        folder.reset();
    } else {
        SetError(doc->GetError(), true);
        return kNoNode;
    }
    if (!CheckStorable(folder ? folder->IsStorable() : doc->IsStorable())) {
        return kNoNode;
    }
    return InsertEdit(parent, position, [&] {
        return folder ? InsertFolder(std::move(folder), parent, position) : InsertDoc(std::move(doc), parent, position);
    });
}

bool CDataLibrary::Move(NodeHandle handle, NodeHandle parent, const NodePosition& position) {
    return ApplyEdit(kMoved, [&] {
        Location* location = FindLocation(handle);
        if (!location || !TargetExists(parent, position)) {
            return RecordGone();
        }
        CDataFolder* target = FindFolder(parent);
        const bool allowed = location->parent && !IsWithin(parent, handle) &&
                             !(position.GetWhere() == NodePosition::Where::After && position.GetSibling() == handle) &&
                             Fits(parent, location->folder ? location->folder->GetHeight() : kDocHeight);
        if (!allowed) {
            return EditResult::Failed;
        }
        CDataFolder* source = location->parent;
        // Where it was, so a refused attachment can put it back.
        const size_t index = source->IndexOf(handle);
        const NodePosition previous =
            index == 0 ? NodePosition::Front() : NodePosition::After(source->Children()[index - 1].handle);
        CDataFolder::Child child = source->Detach(handle);
        if (!target->Attach(position, child)) {
            (void)source->Attach(previous, child);
            return EditResult::Failed;
        }
        location->parentHandle = parent;
        location->parent = target;
        return EditResult::Changed;
    });
}

bool CDataLibrary::RenameFolder(NodeHandle folder, std::wstring_view title) {
    if (!CheckStorable(xml::IsStorableText(title))) {
        return false;
    }
    return ApplyEdit(kChanged, [&] {
        CDataFolder* found = FindFolder(folder);
        if (!found) {
            return RecordGone();
        }
        found->title = title;
        return EditResult::Changed;
    });
}

bool CDataLibrary::SetDoc(NodeHandle doc, const CDataDoc& record) {
    if (!CheckStorable(record.IsStorable())) {
        return false;
    }
    return ApplyEdit(kChanged, [&] {
        const Location* location = Find(doc);
        if (!location || !location->doc) {
            return RecordGone();
        }
        *location->doc = *CopyDocFields(record);
        return EditResult::Changed;
    });
}

bool CDataLibrary::Remove(NodeHandle folder, NodeHandle child) {
    return ApplyEdit(kRemoved, [&] {
        CDataFolder* parent = FindFolder(folder);
        const Location* location = Find(child);
        // A node another instance removed meanwhile is as removed as the user wants it.
        if (!location) {
            return EditResult::Unchanged;
        }
        if (!parent || location->parent != parent) {
            return EditResult::Failed;
        }
        if (location->folder) {
            UnindexSubtree(*location->folder);
        }
        m_index.Erase(child);
        return parent->Remove(child) ? EditResult::Changed : EditResult::Failed;
    });
}

bool CDataLibrary::Clear() {
    return ReplaceContent(kRemoved, [this] { return Reset(); });
}

void CDataLibrary::EnsureIndex() const {
    if (m_indexStale) {
        RebuildIndex();
    }
}

void CDataLibrary::RebuildIndex() const {
    m_index.Clear();
    m_index.Reserve(m_root.CountNodes() + 1);
    // The index hands out the nodes for editing, which only the store's non-const operations do.
    auto& root = const_cast<CDataFolder&>(m_root);
    m_index[m_rootHandle] = {kNoNode, nullptr, &root, nullptr};
    IndexSubtree(root, m_rootHandle);
    m_indexStale = false;
}

void CDataLibrary::IndexSubtree(CDataFolder& folder, NodeHandle handle) const {
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
        m_index.Erase(child.handle);
    }
}

bool CDataLibrary::SetDefaults() {
    const bool reset = m_root.Reset();
    m_indexStale = true;
    return reset;
}

bool CDataLibrary::ReadElement(xml::CXmlReader& reader, int depth) {
    if (reader.LocalName() != L"library" || !Reset()) {
        return false;
    }
    bool read = true;
    if (reader.ReadToElement(depth + 1)) {
        read = m_root.Read(reader, depth + 1);
    }
    // Also after a failed read: the views show what was read up to the failure.
    m_indexStale = true;
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

void CDataLibrary::TakeOver(xml::CXmlStore& fresh) {
    CDataFolder& root = static_cast<CDataLibrary&>(fresh).m_root;
    // The root keeps its own handle; everything below keeps the handle of its counterpart.
    root.KeepHandlesOf(m_root);
    m_root = std::move(root);
    // The views ask for the new tree as soon as they are told.
    RebuildIndex();
}

} // namespace data
