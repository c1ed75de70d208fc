#include "data/DataShortkey.h"

#include "win/Module.h"
#include "win/Strings.h"

#include <vector>

namespace data {

namespace {

constexpr uint8_t kKnownFlags = kKeyVirtual | kKeyShift | kKeyControl | kKeyAlt;

bool WriteFlag(xml::CXmlWriter& writer, uint8_t flags, uint8_t flag, std::wstring_view name) {
    return !(flags & flag) || writer.WriteAttribute(name, xml::BoolToText(true));
}

} // namespace

bool CDataAccelFunc::SetDefaults() {
    binding = {};
    return true;
}

bool CDataAccelFunc::ReadElement(xml::CXmlReader& reader, int) {
    xml::CXmlAttributeMap attributes;
    std::wstring name;
    if (reader.GetLocalName() != L"func" || !reader.ReadAttributes(attributes) || !Reset() ||
        !reader.ReadElementText(name)) {
        return false;
    }
    const FunctionRow* function = FunctionByName(name);
    const std::wstring* keyName = xml::FindAttribute(attributes, L"key");
    uint16_t key = 0;
    if (!function || !keyName || !KeyFromName(*keyName, key)) {
        return false;
    }
    bool virt = false, shift = false, ctrl = false, alt = false;
    xml::TakeBool(attributes, L"virt", virt);
    xml::TakeBool(attributes, L"shift", shift);
    xml::TakeBool(attributes, L"ctrl", ctrl);
    xml::TakeBool(attributes, L"alt", alt);
    binding.flags = static_cast<uint8_t>((virt ? kKeyVirtual : 0) | (shift ? kKeyShift : 0) |
                                         (ctrl ? kKeyControl : 0) | (alt ? kKeyAlt : 0));
    binding.key = key;
    binding.command = function->id;
    return true;
}

bool CDataAccelFunc::WriteElement(xml::CXmlWriter& writer, int) const {
    const FunctionRow* function = FunctionById(binding.command);
    const std::wstring_view keyName = KeyName(binding.key);
    if (!function || keyName.empty()) {
        return false;
    }
    return writer.StartElement(L"func") && writer.WriteAttribute(L"key", keyName) &&
           WriteFlag(writer, binding.flags, kKeyVirtual, L"virt") && WriteFlag(writer, binding.flags, kKeyShift, L"shift") &&
           WriteFlag(writer, binding.flags, kKeyControl, L"ctrl") && WriteFlag(writer, binding.flags, kKeyAlt, L"alt") &&
           writer.WriteText(function->name) && writer.EndElement();
}

CDataAccelTable::~CDataAccelTable() { DestroyAccelerators(); }

void CDataAccelTable::DestroyAccelerators() noexcept {
    if (m_accel) {
        ::DestroyAcceleratorTable(m_accel);
        m_accel = nullptr;
    }
}

bool CDataAccelTable::Add(const KeyBinding& binding) {
    if (m_byCommand.count(binding.command) || m_byKey.count(binding.Combination())) {
        return false;
    }
    m_byCommand.emplace(binding.command, binding);
    m_byKey.emplace(binding.Combination(), binding.command);
    return true;
}

void CDataAccelTable::Set(const KeyBinding& binding) {
    Remove(binding.command);
    const auto taken = m_byKey.find(binding.Combination());
    if (taken != m_byKey.end()) {
        Remove(taken->second);
    }
    (void)Add(binding);
}

bool CDataAccelTable::Remove(uint16_t command) {
    const auto it = m_byCommand.find(command);
    if (it == m_byCommand.end()) {
        return false;
    }
    m_byKey.erase(it->second.Combination());
    m_byCommand.erase(it);
    return true;
}

void CDataAccelTable::Clear() {
    m_byCommand.clear();
    m_byKey.clear();
    DestroyAccelerators();
}

bool CDataAccelTable::FindByCommand(uint16_t command, KeyBinding& binding) const {
    const auto it = m_byCommand.find(command);
    if (it == m_byCommand.end()) {
        return false;
    }
    binding = it->second;
    return true;
}

bool CDataAccelTable::FindByKey(uint32_t combination, KeyBinding& binding) const {
    const auto it = m_byKey.find(combination);
    return it != m_byKey.end() && FindByCommand(it->second, binding);
}

bool CDataAccelTable::LoadDefaults() {
    Clear();
    const HACCEL resource = ::LoadAcceleratorsW(win::CAppModule::ResourceInstance(),
                                                MAKEINTRESOURCEW(PlaceTextId(m_place)));
    if (!resource) {
        return false;
    }
    const int count = ::CopyAcceleratorTableW(resource, nullptr, 0);
    std::vector<ACCEL> entries(static_cast<size_t>(count > 0 ? count : 0));
    ::CopyAcceleratorTableW(resource, entries.data(), count);
    ::DestroyAcceleratorTable(resource);
    for (const ACCEL& entry : entries) {
        if (!Add({static_cast<uint8_t>(entry.fVirt & kKnownFlags), entry.key, entry.cmd})) {
            return false;
        }
    }
    return Build();
}

bool CDataAccelTable::Build() {
    DestroyAccelerators();
    if (m_byCommand.empty()) {
        return true;
    }
    std::vector<ACCEL> entries;
    entries.reserve(m_byCommand.size());
    for (const auto& [command, binding] : m_byCommand) {
        entries.push_back({binding.flags, binding.key, command});
    }
    m_accel = ::CreateAcceleratorTableW(entries.data(), static_cast<int>(entries.size()));
    return m_accel != nullptr;
}

bool CDataAccelTable::SetDefaults() {
    Clear();
    return true;
}

bool CDataAccelTable::ReadElement(xml::CXmlReader& reader, int depth) {
    xml::CXmlAttributeMap attributes;
    if (reader.GetLocalName() != L"table" || !reader.ReadAttributes(attributes) || !Reset()) {
        return false;
    }
    const std::wstring* name = xml::FindAttribute(attributes, L"name");
    if (!name || !PlaceFromName(*name, m_place)) {
        return false;
    }
    while (reader.ReadToElement(depth + 1)) {
        CDataAccelFunc func;
        if (!func.Read(reader, depth + 1) || !Add(func.binding)) {
            return false;
        }
    }
    return Build();
}

bool CDataAccelTable::WriteElement(xml::CXmlWriter& writer, int depth) const {
    if (!writer.StartElement(L"table") || !writer.WriteAttribute(L"name", PlaceName(m_place))) {
        return false;
    }
    // The place's own functions in their order; bindings read for another place's functions stay unwritten.
    for (const FunctionRow* row : FunctionsOfPlace(m_place)) {
        CDataAccelFunc func;
        if (FindByCommand(row->id, func.binding) && !func.Write(writer, depth + 1)) {
            return false;
        }
    }
    return writer.EndElement();
}

CDataShortkey::CDataShortkey() : CXmlStore(kFileName, kReset, kImported) {
    (void)CDataShortkey::SetDefaults();
}

std::vector<std::pair<Place, std::wstring>> CDataShortkey::ListPlaces() {
    std::vector<std::pair<Place, std::wstring>> places;
    for (const Place place : kPlaces) {
        places.emplace_back(place, win::LoadStr(PlaceTextId(place)));
    }
    return places;
}

std::vector<std::pair<uint16_t, std::wstring>> CDataShortkey::ListFunctions(Place place) {
    std::vector<std::pair<uint16_t, std::wstring>> functions;
    for (const FunctionRow* row : FunctionsOfPlace(place)) {
        functions.emplace_back(row->id, win::LoadStr(row->id));
    }
    return functions;
}

const CDataAccelTable* CDataShortkey::Table(Place place) const {
    const auto it = m_tables.find(place);
    return it == m_tables.end() ? nullptr : it->second.get();
}

bool CDataShortkey::Translate(Place place, HWND window, MSG& msg) const {
    const CDataAccelTable* table = Table(place);
    return table && table->GetAccelerators() && ::TranslateAcceleratorW(window, table->GetAccelerators(), &msg);
}

bool CDataShortkey::FindByKey(Place place, uint32_t combination, KeyBinding& binding) const {
    const CDataAccelTable* table = Table(place);
    return table && table->FindByKey(combination, binding);
}

bool CDataShortkey::FindByCommand(Place place, uint16_t command, KeyBinding& binding) const {
    const CDataAccelTable* table = Table(place);
    return table && table->FindByCommand(command, binding);
}

bool CDataShortkey::SetBinding(Place place, const KeyBinding& binding) {
    return ApplyEdit(kSet, [&] {
        auto& table = m_tables[place];
        if (!table) {
            table = std::make_unique<CDataAccelTable>(place);
        }
        table->Set(binding);
        return table->Build() ? EditResult::Changed : EditResult::Failed;
    });
}

bool CDataShortkey::RemoveBinding(Place place, uint16_t command) {
    return ApplyEdit(kRemoved, [&] {
        const auto it = m_tables.find(place);
        // A binding that is not there (another instance may have removed it) is as removed as wanted.
        if (it == m_tables.end() || !it->second->Remove(command)) {
            return EditResult::Unchanged;
        }
        return it->second->Build() ? EditResult::Changed : EditResult::Failed;
    });
}

bool CDataShortkey::ResetPlace(std::optional<Place> place) {
    if (!place) {
        return ReplaceContent(kReset, [this] { return BuildAllDefaults(); });
    }
    return ApplyEdit(kReset, [&] {
        const auto it = m_tables.find(*place);
        return it != m_tables.end() && it->second->LoadDefaults() ? EditResult::Changed : EditResult::Failed;
    });
}

bool CDataShortkey::BuildAllDefaults() {
    if (!Reset()) {
        return false;
    }
    for (const Place place : kPlaces) {
        auto table = std::make_unique<CDataAccelTable>(place);
        if (!table->LoadDefaults()) {
            return false;
        }
        m_tables[place] = std::move(table);
    }
    return true;
}

bool CDataShortkey::ResetForMissingFile() { return BuildAllDefaults(); }

// Every place has a table, empty after a reset: so the store never writes an empty root, which no key file
// may be.
bool CDataShortkey::SetDefaults() {
    m_tables.clear();
    for (const Place place : kPlaces) {
        m_tables[place] = std::make_unique<CDataAccelTable>(place);
    }
    return true;
}

bool CDataShortkey::ReadElement(xml::CXmlReader& reader, int depth) {
    // Unlike the other stores, an empty-element root is no valid key file.
    if (reader.GetLocalName() != L"shortkey" || reader.IsEmptyElement() || !Reset()) {
        return false;
    }
    while (reader.ReadToElement(depth + 1)) {
        auto table = std::make_unique<CDataAccelTable>();
        if (!table->Read(reader, depth + 1)) {
            return false;
        }
        const Place place = table->GetPlace();
        m_tables[place] = std::move(table); // a second table of a place replaces the first
    }
    return true;
}

bool CDataShortkey::WriteElement(xml::CXmlWriter& writer, int depth) const {
    if (!writer.StartElement(L"shortkey")) {
        return false;
    }
    for (const Place place : kPlaces) {
        const CDataAccelTable* table = Table(place);
        if (table && !table->Write(writer, depth + 1)) {
            return false;
        }
    }
    return writer.EndElement();
}

std::unique_ptr<xml::CXmlStore> CDataShortkey::CreateScratch() const { return std::make_unique<CDataShortkey>(); }

void CDataShortkey::TakeOver(xml::CXmlStore& fresh) {
    m_tables = std::move(static_cast<CDataShortkey&>(fresh).m_tables);
}

} // namespace data
