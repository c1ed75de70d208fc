#pragma once
// The window layout store "chmlay.xml": where the main window and the tool windows were, how large, whether
// shown, and a little state of each. Read once when the main window is shown and written when it closes;
// never reloaded, so the last instance to close wins.

#include "xml/XmlStore.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace data {

enum class WindowShow : uint32_t {
    Hide = 0,
    Normal = 1,
    Max = 2,
    Min = 3,
};

// One window's record, keyed by its name.
class CDataWindow : public xml::CXmlElement {
public:
    std::wstring name;
    WindowShow show = WindowShow::Hide;
    bool hasPosition = false;
    int32_t x = 0;
    int32_t y = 0;
    bool hasSize = false;
    int32_t cx = 0;
    int32_t cy = 0;
    bool hasSplit = false;
    int32_t sx = 0;
    int32_t sy = 0;
    bool hasSelection = false;
    int32_t select = 0;

    bool operator==(const CDataWindow& other) const;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

class CDataLayout : public xml::CXmlStore {
public:
    static constexpr wchar_t kFileName[] = L"chmlay.xml";
    // Codes sent to the registered tool windows.
    static constexpr DWORD kApplyPlacement = 1;
    static constexpr DWORD kStorePlacement = 2;

    CDataLayout();

    // Empty layout, then the file if there is one; a missing file is an empty layout.
    [[nodiscard]] bool Load();
    // Writes the layout as it is, under the shared file mutex; the layout is written whole when the main window
    // closes, so nothing is read first.
    [[nodiscard]] bool Save();
    // The record of that name (the later one when the file holds two).
    [[nodiscard]] bool Get(std::wstring_view name, CDataWindow& record) const;
    // Replaces the record of that name or adds it at the end; an empty name, or one a data file cannot carry
    // (with an error text), is refused. Does not save.
    [[nodiscard]] bool Set(const CDataWindow& record);
    [[nodiscard]] const std::vector<CDataWindow>& Records() const noexcept { return m_records; }

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
    std::unique_ptr<xml::CXmlStore> CreateScratch() const override;
    void TakeOver(xml::CXmlStore& fresh) override;

private:
    std::vector<CDataWindow> m_records;
};

} // namespace data
