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
    if (!CheckStorable(url.IsStorable())) {
        return false;
    }
    return ApplyEdit(kAdded, [&] {
        TrimTo(hist.urlNum > 0 ? hist.urlNum - 1 : 0);
        InsertFront(url);
        return EditResult::Changed;
    });
}

bool CDataUrls::Update(UrlHandle handle, const CDataUrl& url) {
    const CDataSetHist hist = m_settings.GetHist();
    if (!hist.url) {
        return true;
    }
    if (!CheckStorable(url.IsStorable())) {
        return false;
    }
    return ApplyEdit(kUpdated, [&] {
        if (!Remove(handle)) {
            return RecordGone();
        }
        InsertFront(url);
        TrimTo(hist.urlNum);
        return EditResult::Changed;
    });
}

bool CDataUrls::Delete(UrlHandle handle) {
    if (handle == kNoUrl) {
        return ReplaceContent(kDeleted, [this] { return Reset(); });
    }
    // An entry another instance deleted meanwhile is as deleted as the user wants it.
    return ApplyEdit(kDeleted, [&] { return Remove(handle) ? EditResult::Changed : EditResult::Unchanged; });
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

void CDataUrls::TakeOver(xml::CXmlStore& fresh) {
    std::vector<Entry>& entries = static_cast<CDataUrls&>(fresh).m_entries;
    // Each entry keeps the handle of the first entry of the same address not yet taken, so a dialog's
    // selection survives another instance's change; the others get handles of this store's counter.
    std::vector<bool> taken(m_entries.size(), false);
    for (Entry& entry : entries) {
        bool matched = false;
        for (size_t i = 0; i < m_entries.size() && !matched; ++i) {
            if (!taken[i] && m_entries[i].url.address == entry.url.address) {
                taken[i] = true;
                entry.handle = m_entries[i].handle;
                matched = true;
            }
        }
        if (!matched) {
            entry.handle = MakeEntry(entry.url).handle;
        }
    }
    m_entries = std::move(entries);
}

} // namespace data
