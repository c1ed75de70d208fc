#pragma once
// The value conventions every stored record shares: maps handed between the element tree and the reader or
// writer, and the text forms of booleans, numbers, times and keyword enumerations.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace xml {

// Platform property identifier to value, applied one entry at a time before a document is read or written.
using CXmlPropertyMap = std::unordered_map<UINT, LONG_PTR>;
// Attribute local name to value, exact and case-sensitive.
// Elements carry a handful of attributes: a short list searched in order costs far less per element read than
// a hash map, and a lookup needs no copy of the name.
class CXmlAttributeMap {
public:
    CXmlAttributeMap() = default;
    CXmlAttributeMap(std::initializer_list<std::pair<std::wstring, std::wstring>> items);

    // The value of `name`, added empty when there is none yet.
    std::wstring& operator[](std::wstring_view name);
    [[nodiscard]] const std::wstring* Find(std::wstring_view name) const noexcept;
    [[nodiscard]] size_t count(std::wstring_view name) const noexcept { return Find(name) ? 1 : 0; }
    [[nodiscard]] size_t size() const noexcept { return m_used; }
    [[nodiscard]] bool empty() const noexcept { return m_used == 0; }
    // Forgets the attributes but keeps their storage: a map filled element after element stops allocating.
    void clear() noexcept { m_used = 0; }

private:
    // Only the first m_used items are attributes; the rest is storage kept for the next ones.
    std::vector<std::pair<std::wstring, std::wstring>> m_items;
    size_t m_used = 0;
};

// Deepest element nesting written or read; deeper input is refused rather than recursed into.
constexpr int kMaxElementDepth = 256;

// The writer property that turns indentation on.
constexpr UINT kXmlWriterPropertyIndent = 1;

std::wstring BoolToText(bool value);
// True exactly for "true" and "on"; anything else, capitals and "1" included, is false.
bool TextToBool(std::wstring_view text) noexcept;

std::wstring UIntToText(uint32_t value);
std::wstring LongToText(int32_t value);
std::wstring TimeToText(int64_t value);

// Whole-value decimal conversions: the whole text must be consumed (so "" is 0); a leading blank, trailing
// junk or anything not decimal fails and leaves `value` unchanged. Out-of-range values saturate as the
// standard conversion does.
[[nodiscard]] bool TextToLong(std::wstring_view text, int32_t& value);
[[nodiscard]] bool TextToTime(std::wstring_view text, int64_t& value);
// Read as a signed number, taken as unsigned (so "-1" is the largest value), then clamped to [low, high].
[[nodiscard]] bool TextToUInt(std::wstring_view text, uint32_t low, uint32_t high, uint32_t& value);

// One member of a keyword enumeration as it appears in a file.
template <class E> struct CXmlKeyword {
    E value;
    std::wstring_view keyword;
};

// Looks the text up (exact, case-sensitive); an unrecognised keyword leaves `value` unchanged and fails.
template <class E>
[[nodiscard]] bool KeywordToValue(std::span<const CXmlKeyword<E>> table, std::wstring_view text, E& value) {
    for (const CXmlKeyword<E>& entry : table) {
        if (entry.keyword == text) {
            value = entry.value;
            return true;
        }
    }
    return false;
}

// The keyword of a member, or an empty view when the table does not know it.
template <class E> std::wstring_view ValueToKeyword(std::span<const CXmlKeyword<E>> table, E value) {
    for (const CXmlKeyword<E>& entry : table) {
        if (entry.value == value) {
            return entry.keyword;
        }
    }
    return {};
}

// Attribute helpers for ReadElement: each takes the attribute only when present and leaves the field alone
// otherwise; the number forms fail on a value that is not a whole decimal number.
const std::wstring* FindAttribute(const CXmlAttributeMap& attributes, std::wstring_view name);
void TakeText(const CXmlAttributeMap& attributes, std::wstring_view name, std::wstring& field);
void TakeBool(const CXmlAttributeMap& attributes, std::wstring_view name, bool& field);
[[nodiscard]] bool TakeLong(const CXmlAttributeMap& attributes, std::wstring_view name, int32_t& field);
[[nodiscard]] bool TakeTime(const CXmlAttributeMap& attributes, std::wstring_view name, int64_t& field);
[[nodiscard]] bool TakeUInt(const CXmlAttributeMap& attributes, std::wstring_view name, uint32_t low, uint32_t high,
                            uint32_t& field);

template <class E>
void TakeKeyword(const CXmlAttributeMap& attributes, std::wstring_view name, std::span<const CXmlKeyword<E>> table,
                 E& field) {
    if (const std::wstring* text = FindAttribute(attributes, name)) {
        (void)KeywordToValue(table, *text, field);
    }
}

} // namespace xml
