#include "data/DataLayout.h"

#include "xml/XmlTextCheck.h"

#include <array>

namespace data {

namespace {

constexpr std::array<xml::CXmlKeyword<WindowShow>, 4> kShowKeywords{{
    {WindowShow::Hide, L"hide"},
    {WindowShow::Normal, L"normal"},
    {WindowShow::Max, L"max"},
    {WindowShow::Min, L"min"},
}};

// Takes a pair of coordinates: either attribute present sets the flag; a value that is not a number fails.
bool TakePair(const xml::CXmlAttributeMap& attributes, std::wstring_view a, std::wstring_view b, bool& flag,
              int32_t& first, int32_t& second) {
    if (xml::FindAttribute(attributes, a) || xml::FindAttribute(attributes, b)) {
        flag = true;
    }
    return xml::TakeLong(attributes, a, first) && xml::TakeLong(attributes, b, second);
}

bool WritePair(xml::CXmlWriter& writer, bool flag, std::wstring_view a, int32_t first, std::wstring_view b,
               int32_t second) {
    return !flag || (writer.WriteAttribute(a, xml::LongToText(first)) && writer.WriteAttribute(b, xml::LongToText(second)));
}

} // namespace

bool CDataWindow::operator==(const CDataWindow& other) const {
    return name == other.name && show == other.show && hasPosition == other.hasPosition && x == other.x &&
           y == other.y && hasSize == other.hasSize && cx == other.cx && cy == other.cy &&
           hasSplit == other.hasSplit && sx == other.sx && sy == other.sy && hasSelection == other.hasSelection &&
           select == other.select;
}

bool CDataWindow::SetDefaults() {
    *this = CDataWindow();
    return true;
}

bool CDataWindow::ReadElement(xml::CXmlReader& reader, int) {
    xml::CXmlAttributeMap attributes;
    if (reader.GetLocalName() != L"window" || !reader.ReadAttributes(attributes) || !Reset()) {
        return false;
    }
    xml::TakeText(attributes, L"name", name);
    if (name.empty()) {
        return false;
    }
    xml::TakeKeyword<WindowShow>(attributes, L"show", kShowKeywords, show);
    if (!TakePair(attributes, L"x", L"y", hasPosition, x, y) || !TakePair(attributes, L"cx", L"cy", hasSize, cx, cy) ||
        !TakePair(attributes, L"sx", L"sy", hasSplit, sx, sy)) {
        return false;
    }
    if (xml::FindAttribute(attributes, L"select")) {
        hasSelection = true;
    }
    return xml::TakeLong(attributes, L"select", select);
}

bool CDataWindow::WriteElement(xml::CXmlWriter& writer, int) const {
    const std::wstring_view showText = xml::ValueToKeyword<WindowShow>(kShowKeywords, show);
    return writer.StartElement(L"window") && writer.WriteAttribute(L"name", name) &&
           writer.WriteAttribute(L"show", showText.empty() ? L"hide" : showText) &&
           WritePair(writer, hasPosition, L"x", x, L"y", y) && WritePair(writer, hasSize, L"cx", cx, L"cy", cy) &&
           WritePair(writer, hasSplit, L"sx", sx, L"sy", sy) &&
           (!hasSelection || writer.WriteAttribute(L"select", xml::LongToText(select))) && writer.EndElement();
}

CDataLayout::CDataLayout() : CXmlStore(kFileName, 0, 0) {}

bool CDataLayout::Load() {
    if (!Reset()) {
        return false;
    }
    const std::wstring& path = GetPath();
    if (path.empty() || ::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    return LoadLocked();
}

bool CDataLayout::Save() { return SaveLocked(); }

bool CDataLayout::Get(std::wstring_view name, CDataWindow& record) const {
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
        if (it->name == name) {
            record = *it;
            return true;
        }
    }
    return false;
}

bool CDataLayout::Set(const CDataWindow& record) {
    if (record.name.empty() || !CheckStorable(xml::IsStorableText(record.name))) {
        return false;
    }
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it) {
        if (it->name == record.name) {
            *it = record;
            return true;
        }
    }
    m_records.push_back(record);
    return true;
}

bool CDataLayout::SetDefaults() {
    m_records.clear();
    return true;
}

bool CDataLayout::ReadElement(xml::CXmlReader& reader, int depth) {
    if (reader.GetLocalName() != L"layout" || !Reset()) {
        return false;
    }
    while (reader.ReadToElement(depth + 1)) {
        CDataWindow record;
        if (!record.Read(reader, depth + 1)) {
            return false;
        }
        m_records.push_back(std::move(record));
    }
    return true;
}

bool CDataLayout::WriteElement(xml::CXmlWriter& writer, int depth) const {
    if (!writer.StartElement(L"layout")) {
        return false;
    }
    for (const CDataWindow& record : m_records) {
        if (!record.Write(writer, depth + 1)) {
            return false;
        }
    }
    return writer.EndElement();
}

std::unique_ptr<xml::CXmlStore> CDataLayout::CreateScratch() const { return std::make_unique<CDataLayout>(); }

void CDataLayout::TakeOver(xml::CXmlStore& fresh) {
    m_records = std::move(static_cast<CDataLayout&>(fresh).m_records);
}

} // namespace data
