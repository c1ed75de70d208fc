#include "data/DataHistory.h"

#include "data/DataSetting.h"

#include <algorithm>

namespace data {

// An import replaces the whole history and is announced like a reload.
CDataHistory::CDataHistory(const CDataSetting& settings)
    : CXmlStore(kFileName, kRemoved, kReloaded), m_settings(settings) {}

bool CDataHistory::Add(const CDataDoc& doc) {
    const CDataSetHist hist = m_settings.GetHist();
    if (!hist.doc) {
        return true;
    }
    const size_t keep = std::clamp<uint32_t>(hist.docNum, 1, CDataSetHist::kMaxDocNum) - 1;
    // The oldest entries go first, one at a time from the end, so a failure leaves the newest ones in place.
    bool trimmed = true;
    while (trimmed && m_root.GetCount() > keep) {
        trimmed = m_root.Remove(m_root.Children().back().handle);
    }
    const bool added = trimmed && m_root.Insert(NodePosition::Front(), CopyDocFields(doc)) != kNoNode;
    return CommitEdit(kAdded, added);
}

bool CDataHistory::Remove(NodeHandle handle) {
    return CommitEdit(kRemoved, m_root.Remove(handle));
}

bool CDataHistory::Clear() {
    return CommitEdit(kRemoved, Reset());
}

void CDataHistory::List(std::vector<NodeHandle>& handles) const {
    handles = m_root.List();
}

bool CDataHistory::GetDoc(NodeHandle handle, CDataDoc& doc) const {
    return m_root.CopyDoc(handle, doc);
}

bool CDataHistory::SetDefaults() {
    return m_root.Reset();
}

bool CDataHistory::ReadElement(xml::CXmlReader& reader, int depth) {
    if (reader.GetLocalName() != L"history" || !Reset()) {
        return false;
    }
    // The first element is the root folder; whatever follows it is passed over.
    if (reader.ReadToElement(depth + 1) && !m_root.Read(reader, depth + 1)) {
        return false;
    }
    while (reader.ReadToElement(depth + 1)) {
    }
    return true;
}

bool CDataHistory::WriteElement(xml::CXmlWriter& writer, int depth) const {
    return writer.StartElement(L"history") && m_root.Write(writer, depth + 1) && writer.EndElement();
}

std::unique_ptr<xml::CXmlStore> CDataHistory::CreateScratch() const {
    return std::make_unique<CDataHistory>(m_settings);
}

} // namespace data
