#include "xml/XmlValues.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>

namespace xml {

namespace {

// The standard conversions skip leading white space, which a stored number must not have.
bool StartsWithBlank(std::wstring_view text) {
    return !text.empty() && std::iswspace(static_cast<wint_t>(text.front()));
}

template <class T, class Convert> bool WholeDecimal(std::wstring_view text, T& value, Convert convert) {
    if (text.empty()) {
        value = 0;
        return true;
    }
    if (StartsWithBlank(text)) {
        return false;
    }
    // The conversion needs a terminated text; numbers are short, so one on the stack spares an allocation.
    wchar_t local[32];
    std::wstring copy;
    const wchar_t* terminated = local;
    if (text.size() < std::size(local)) {
        text.copy(local, text.size());
        local[text.size()] = L'\0';
    } else {
        copy.assign(text);
        terminated = copy.c_str();
    }
    wchar_t* end = nullptr;
    const T converted = convert(terminated, &end, 10);
    if (end != terminated + text.size()) {
        return false;
    }
    value = converted;
    return true;
}

} // namespace

std::wstring BoolToText(bool value) {
    return value ? L"true" : L"false";
}

bool TextToBool(std::wstring_view text) noexcept {
    return text == L"true" || text == L"on";
}

std::wstring UIntToText(uint32_t value) {
    return std::to_wstring(value);
}

std::wstring LongToText(int32_t value) {
    return std::to_wstring(value);
}

std::wstring TimeToText(int64_t value) {
    return std::to_wstring(value);
}

bool TextToLong(std::wstring_view text, int32_t& value) {
    // Windows' long is 32 bits; the platform conversion saturates exactly there.
    static_assert(sizeof(long) == sizeof(int32_t));
    long converted = 0;
    if (!WholeDecimal<long>(text, converted,
                            [](const wchar_t* s, wchar_t** e, int b) { return std::wcstol(s, e, b); })) {
        return false;
    }
    value = static_cast<int32_t>(converted);
    return true;
}

bool TextToTime(std::wstring_view text, int64_t& value) {
    long long converted = 0;
    if (!WholeDecimal<long long>(text, converted,
                                 [](const wchar_t* s, wchar_t** e, int b) { return std::wcstoll(s, e, b); })) {
        return false;
    }
    value = static_cast<int64_t>(converted);
    return true;
}

bool TextToUInt(std::wstring_view text, uint32_t low, uint32_t high, uint32_t& value) {
    int32_t signedValue = 0;
    if (!TextToLong(text, signedValue)) {
        return false;
    }
    value = std::min(std::max(static_cast<uint32_t>(signedValue), low), high);
    return true;
}

CXmlAttributeMap::CXmlAttributeMap(std::initializer_list<std::pair<std::wstring, std::wstring>> items) {
    for (const auto& [name, value] : items) {
        (*this)[name] = value;
    }
}

std::wstring& CXmlAttributeMap::operator[](std::wstring_view name) {
    for (size_t i = 0; i < m_used; ++i) {
        if (m_items[i].first == name) {
            return m_items[i].second;
        }
    }
    if (m_used == m_items.size()) {
        m_items.emplace_back();
    }
    auto& item = m_items[m_used];
    item.first.assign(name);
    item.second.clear();
    ++m_used;
    return item.second;
}

const std::wstring* CXmlAttributeMap::Find(std::wstring_view name) const noexcept {
    for (size_t i = 0; i < m_used; ++i) {
        if (m_items[i].first == name) {
            return &m_items[i].second;
        }
    }
    return nullptr;
}

const std::wstring* FindAttribute(const CXmlAttributeMap& attributes, std::wstring_view name) {
    return attributes.Find(name);
}

void TakeText(const CXmlAttributeMap& attributes, std::wstring_view name, std::wstring& field) {
    if (const std::wstring* text = FindAttribute(attributes, name)) {
        field = *text;
    }
}

void TakeBool(const CXmlAttributeMap& attributes, std::wstring_view name, bool& field) {
    if (const std::wstring* text = FindAttribute(attributes, name)) {
        field = TextToBool(*text);
    }
}

bool TakeLong(const CXmlAttributeMap& attributes, std::wstring_view name, int32_t& field) {
    const std::wstring* text = FindAttribute(attributes, name);
    return !text || TextToLong(*text, field);
}

bool TakeTime(const CXmlAttributeMap& attributes, std::wstring_view name, int64_t& field) {
    const std::wstring* text = FindAttribute(attributes, name);
    return !text || TextToTime(*text, field);
}

bool TakeUInt(const CXmlAttributeMap& attributes, std::wstring_view name, uint32_t low, uint32_t high,
              uint32_t& field) {
    const std::wstring* text = FindAttribute(attributes, name);
    return !text || TextToUInt(*text, low, high, field);
}

} // namespace xml
