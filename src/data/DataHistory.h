#pragma once
// The history store "chmhist.xml": the documents the user opened, newest first, as documents of one untitled
// root folder.

#include "data/DataRecords.h"
#include "xml/XmlStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace data {

class CDataSetting;

// The document history and its observer list.
class CDataHistory : public xml::CXmlStore {
public:
    static constexpr wchar_t kFileName[] = L"chmhist.xml";
    static constexpr DWORD kAdded = 2;
    static constexpr DWORD kRemoved = 4;

    // The settings tell whether and how many documents to remember; they must outlive this store.
    explicit CDataHistory(const CDataSetting& settings);

    // Keeps the newest (document count - 1) entries, puts a copy of the document in front, saves and tells
    // the views. When the settings say not to remember documents nothing changes and the result is true. A
    // record with text a data file cannot carry is refused (see xml::MakeStorableText for titles).
    [[nodiscard]] bool Add(const CDataDoc& doc);
    // Removes one entry, saves and tells the views; an entry that is already gone is no failure.
    [[nodiscard]] bool Remove(NodeHandle handle);
    // Empties the history, saves and tells the views.
    [[nodiscard]] bool Clear();
    // The handles of all entries, newest first.
    void List(std::vector<NodeHandle>& handles) const;
    [[nodiscard]] std::vector<NodeHandle> List() const { return m_root.List(); }
    // A copy of one entry.
    [[nodiscard]] bool GetDoc(NodeHandle handle, CDataDoc& doc) const;
    [[nodiscard]] size_t GetCount() const noexcept { return m_root.GetCount(); }

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
    std::unique_ptr<xml::CXmlStore> CreateScratch() const override;
    void TakeOver(xml::CXmlStore& fresh) override;

private:
    const CDataSetting& m_settings;
    CDataFolder m_root;
};

} // namespace data
