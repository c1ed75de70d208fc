#pragma once
// The URL list store "chmurls.xml": the addresses documents were opened from, newest first, with their
// connection options, for the URL open dialog to offer again.

#include "data/DataRecords.h"
#include "xml/XmlStore.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace data {

class CDataSetting;

// Names one entry of the URL list while it exists; never reused by the same store, so a handle kept across
// an insertion or removal cannot come to name another entry. A reload keeps the handles of the addresses that
// are still listed.
using UrlHandle = uint32_t;
// The empty handle: no entry, or every entry for Delete.
constexpr UrlHandle kNoUrl = 0;

class CDataUrls : public xml::CXmlStore {
public:
    static constexpr wchar_t kFileName[] = L"chmurls.xml";
    static constexpr wchar_t kRootName[] = L"history";
    // Codes sent to the registered views (kReloaded, 1, comes from the base; an import replaces the whole
    // list and is announced like a reload).
    static constexpr DWORD kAdded = 2;
    static constexpr DWORD kUpdated = 4;
    static constexpr DWORD kDeleted = 8;

    // The settings tell whether and how many addresses to remember; they must outlive this store.
    explicit CDataUrls(const CDataSetting& settings);

    // Handles of all entries, newest first.
    void List(std::vector<UrlHandle>& handles) const;
    // A copy of the entry.
    [[nodiscard]] bool Get(UrlHandle handle, CDataUrl& url) const;
    // Puts the address in front, trimming the oldest entries so the list keeps at most the URL count of the
    // settings; does nothing (and succeeds) when the settings say not to remember addresses.
    [[nodiscard]] bool Add(const CDataUrl& url);
    // Moves the entry to the front with new options, then trims to the URL count; does nothing (and succeeds)
    // when addresses are not remembered, and fails with an error text when another instance deleted the entry.
    [[nodiscard]] bool Update(UrlHandle handle, const CDataUrl& url);
    // Removes one entry (one that is already gone is no failure), or all for kNoUrl.
    [[nodiscard]] bool Delete(UrlHandle handle);

    [[nodiscard]] size_t Size() const noexcept { return m_entries.size(); }

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
    std::unique_ptr<xml::CXmlStore> CreateScratch() const override;
    void TakeOver(xml::CXmlStore& fresh) override;

private:
    struct Entry {
        UrlHandle handle;
        CDataUrl url;
    };

    // An entry with a new handle.
    Entry MakeEntry(const CDataUrl& url);
    void InsertFront(const CDataUrl& url);
    void TrimTo(size_t limit);
    [[nodiscard]] bool Remove(UrlHandle handle);

    const CDataSetting& m_settings;
    // Newest first.
    std::vector<Entry> m_entries;
    UrlHandle m_lastHandle = kNoUrl;
};

} // namespace data
