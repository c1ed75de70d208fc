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
    if (!CheckStorable(doc.IsStorable())) {
        return false;
    }
    const size_t keep = std::clamp<uint32_t>(hist.docNum, 1, CDataSetHist::kMaxDocNum) - 1;
    return ApplyEdit(kAdded, [&] {
        // The oldest entries go first, one at a time from the end, so a failure leaves the newest ones in place.
        bool trimmed = true;
        while (trimmed && m_root.GetCount() > keep) {
            trimmed = m_root.Remove(m_root.Children().back().handle);
        }
        const bool added = trimmed && m_root.Insert(NodePosition::Front(), CopyDocFields(doc)) != kNoNode;
        return added ? EditResult::Changed : EditResult::Failed;
    });
}

bool CDataHistory::Remove(NodeHandle handle) {
    // An entry another instance removed meanwhile is as removed as the user wants it.
    return ApplyEdit(kRemoved, [&] { return m_root.Remove(handle) ? EditResult::Changed : EditResult::Unchanged; });
}

bool CDataHistory::Clear() {
    return ReplaceContent(kRemoved, [this] { return Reset(); });
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

void CDataHistory::TakeOver(xml::CXmlStore& fresh) {
    CDataFolder& root = static_cast<CDataHistory&>(fresh).m_root;
    root.KeepHandlesOf(m_root);
    m_root = std::move(root);
}

} // namespace data
