#pragma once
// The shortcut-key store "chmkey.xml": per place, the key combination bound to each function, and the
// platform accelerator table built from those bindings that turns key presses into commands.

#include "data/FunctionTable.h"
#include "data/KeyNames.h"
#include "xml/XmlStore.h"

#include <windows.h>

#include <map>
#include <optional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace data {

// One binding, stored as element "func" whose text is the function's name.
class CDataAccelFunc : public xml::CXmlElement {
public:
    KeyBinding binding;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// The bindings of one place: a command has at most one combination and a combination at most one command.
class CDataAccelTable : public xml::CXmlElement {
public:
    explicit CDataAccelTable(Place place = Place::Main) : m_place(place) {}
    CDataAccelTable(const CDataAccelTable&) = delete;
    CDataAccelTable& operator=(const CDataAccelTable&) = delete;
    ~CDataAccelTable() override;

    [[nodiscard]] Place GetPlace() const noexcept { return m_place; }
    // Adds a binding; false when its command or its combination is already bound here.
    [[nodiscard]] bool Add(const KeyBinding& binding);
    // Binds the command to the combination, taking the combination from any other command first.
    void Set(const KeyBinding& binding);
    bool Remove(uint16_t command);
    void Clear();
    [[nodiscard]] bool FindByCommand(uint16_t command, KeyBinding& binding) const;
    [[nodiscard]] bool FindByKey(uint32_t combination, KeyBinding& binding) const;
    [[nodiscard]] size_t Size() const noexcept { return m_byCommand.size(); }
    // Bindings of the place's default key table.
    [[nodiscard]] bool LoadDefaults();
    // The platform table from the current bindings; none while there are none.
    [[nodiscard]] bool Build();
    [[nodiscard]] HACCEL GetAccelerators() const noexcept { return m_accel; }

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;

private:
    void DestroyAccelerators() noexcept;

    Place m_place;
    std::map<uint16_t, KeyBinding> m_byCommand;
    std::map<uint32_t, uint16_t> m_byKey;
    HACCEL m_accel = nullptr;
};

class CDataShortkey : public xml::CXmlStore {
public:
    static constexpr wchar_t kFileName[] = L"chmkey.xml";
    static constexpr DWORD kReset = 2;
    static constexpr DWORD kSet = 4;
    static constexpr DWORD kRemoved = 8;
    static constexpr DWORD kImported = 16;

    CDataShortkey();

    // Each place's id and display name, in place order.
    [[nodiscard]] static std::vector<std::pair<Place, std::wstring>> ListPlaces();
    // Each function of the place with its display name, in the place's order.
    [[nodiscard]] static std::vector<std::pair<uint16_t, std::wstring>> ListFunctions(Place place);

    // Runs the place's accelerator table on the message, the command going to `window`.
    [[nodiscard]] bool Translate(Place place, HWND window, MSG& msg) const;
    [[nodiscard]] bool FindByKey(Place place, uint32_t combination, KeyBinding& binding) const;
    [[nodiscard]] bool FindByCommand(Place place, uint16_t command, KeyBinding& binding) const;
    // Edits that run on the file's current content, save it and tell the views. Removing a binding that is not
    // there succeeds without writing.
    [[nodiscard]] bool SetBinding(Place place, const KeyBinding& binding);
    [[nodiscard]] bool RemoveBinding(Place place, uint16_t command);
    // One place back to its defaults, or every place for std::nullopt.
    [[nodiscard]] bool ResetPlace(std::optional<Place> place);
    // Every place from its default key table.
    [[nodiscard]] bool BuildAllDefaults();
    [[nodiscard]] const CDataAccelTable* Table(Place place) const;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
    std::unique_ptr<xml::CXmlStore> CreateScratch() const override;
    void TakeOver(xml::CXmlStore& fresh) override;
    bool ResetForMissingFile() override;

private:
    std::map<Place, std::unique_ptr<CDataAccelTable>> m_tables;
};

} // namespace data
