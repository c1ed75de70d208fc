#include "data/DataUrls.h"

#include "data/DataSetting.h"

#include <algorithm>
#include <cstddef>

namespace data {

CDataUrls::CDataUrls(const CDataSetting& settings) : CXmlStore(kFileName, kDeleted, kReloaded), m_settings(settings) {}

void CDataUrls::List(std::vector<UrlHandle>& handles) const {
    handles.clear();
    handles.reserve(m_entries.size());
    for (const Entry& entry : m_entries) {
        handles.push_back(entry.handle);
    }
}

bool CDataUrls::Get(UrlHandle handle, CDataUrl& url) const {
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [handle](const Entry& entry) { return entry.handle == handle; });
    if (handle == kNoUrl || it == m_entries.end()) {
        return false;
    }
    url = it->url;
    return true;
}

bool CDataUrls::Add(const CDataUrl& url) {
    const CDataSetHist hist = m_settings.GetHist();
    if (!hist.url) {
        return true;
    }
    TrimTo(hist.urlNum > 0 ? hist.urlNum - 1 : 0);
    InsertFront(url);
    return CommitEdit(kAdded);
}

bool CDataUrls::Update(UrlHandle handle, const CDataUrl& url) {
    const CDataSetHist hist = m_settings.GetHist();
    if (!hist.url) {
        return true;
    }
    if (!Remove(handle)) {
        return CommitEdit(kUpdated, false);
    }
    InsertFront(url);
    TrimTo(hist.urlNum);
    return CommitEdit(kUpdated);
}

bool CDataUrls::Delete(UrlHandle handle) {
    const bool removed = handle == kNoUrl ? Reset() : Remove(handle);
    return CommitEdit(kDeleted, removed);
}

CDataUrls::Entry CDataUrls::MakeEntry(const CDataUrl& url) {
    // Zero stays the empty handle even after the counter wraps.
    if (++m_lastHandle == kNoUrl) {
        ++m_lastHandle;
    }
    return Entry{m_lastHandle, url};
}

void CDataUrls::InsertFront(const CDataUrl& url) {
    m_entries.insert(m_entries.begin(), MakeEntry(url));
}

void CDataUrls::TrimTo(size_t limit) {
    if (m_entries.size() > limit) {
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(limit), m_entries.end());
    }
}

bool CDataUrls::Remove(UrlHandle handle) {
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [handle](const Entry& entry) { return entry.handle == handle; });
    if (handle == kNoUrl || it == m_entries.end()) {
        return false;
    }
    m_entries.erase(it);
    return true;
}

bool CDataUrls::SetDefaults() {
    m_entries.clear();
    return true;
}

bool CDataUrls::ReadElement(xml::CXmlReader& reader, int depth) {
    if (reader.GetLocalName() != kRootName || !Reset()) {
        return false;
    }
    while (reader.ReadToElement(depth + 1)) {
        CDataUrl url;
        if (!url.Read(reader, depth + 1)) {
            return false;
        }
        m_entries.push_back(MakeEntry(url));
    }
    return true;
}

bool CDataUrls::WriteElement(xml::CXmlWriter& writer, int depth) const {
    if (!writer.StartElement(kRootName)) {
        return false;
    }
    for (const Entry& entry : m_entries) {
        if (!entry.url.Write(writer, depth + 1)) {
            return false;
        }
    }
    return writer.EndElement();
}

std::unique_ptr<xml::CXmlStore> CDataUrls::CreateScratch() const {
    return std::make_unique<CDataUrls>(m_settings);
}

} // namespace data
