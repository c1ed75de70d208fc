#include "xml/XmlTextCheck.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace xml {

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
unsigned HexValue(char c) {
    return IsDigit(c) ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

bool IsXmlCodePoint(uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}
bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Length of a well-formed reference starting at text[0] == '&', or 0. Without a document type only the
// predefined entities exist, so any other name is as malformed as a bare ampersand; a character reference must
// name a character XML allows (a platform reader hands some others through as they are).
size_t ReferenceLength(std::string_view text) {
    // The longest reference, "&#x10FFFF;" padded with leading zeros, fits comfortably in this window.
    const size_t semicolon = text.substr(0, 32).find(';', 1);
    if (semicolon == std::string_view::npos || semicolon < 2) {
        return 0;
    }
    const std::string_view body = text.substr(1, semicolon - 1);
    if (body[0] == '#') {
        std::string_view digits = body.substr(1);
        bool hex = false;
        if (!digits.empty() && digits[0] == 'x') {
            hex = true;
            digits.remove_prefix(1);
        }
        if (digits.empty()) {
            return 0;
        }
        uint32_t value = 0;
        for (const char c : digits) {
            if (hex ? !IsHexDigit(c) : !IsDigit(c)) {
                return 0;
            }
            value = value * (hex ? 16u : 10u) + (hex ? HexValue(c) : static_cast<unsigned>(c - '0'));
            if (value > 0x10FFFF) {
                return 0;
            }
        }
        return IsXmlCodePoint(value) ? semicolon + 1 : 0;
    }
    static constexpr std::array<std::string_view, 5> kPredefined = {"amp", "lt", "gt", "quot", "apos"};
    for (const std::string_view name : kPredefined) {
        if (body == name) {
            return semicolon + 1;
        }
    }
    return 0;
}

// Length of the well-formed UTF-8 sequence at text[0], or 0 for an overlong form, an encoded surrogate, a value
// above U+10FFFF, a stray continuation byte or a sequence cut short.
size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

// Offset of the first byte in [from, to) that is a zero byte or, when asked, starts no well-formed UTF-8
// sequence; npos when there is none.
size_t FindBadByte(std::string_view text, size_t from, size_t to, bool checkUtf8) {
    for (size_t i = from; i < to;) {
        if (text[i] == '\0') {
            return i;
        }
        if (!checkUtf8 || static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = Utf8SequenceLength(text.substr(i, to - i));
        if (length == 0) {
            return i;
        }
        i += length;
    }
    return std::string_view::npos;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if ((a[i] | 0x20) != (b[i] | 0x20)) {
            return false;
        }
    }
    return true;
}

// Whether the XML declaration names an encoding other than UTF-8; its bytes are then not ours to judge.
bool DeclaresOtherEncoding(std::string_view text) {
    if (!text.starts_with("<?xml") || text.size() < 6 ||
        (text[5] != ' ' && text[5] != '\t' && text[5] != '\r' && text[5] != '\n')) {
        return false;
    }
    const std::string_view declaration = text.substr(0, text.find("?>"));
    const size_t name = declaration.find("encoding");
    const size_t open = declaration.find_first_of("\"'", name);
    if (name == std::string_view::npos || open == std::string_view::npos) {
        return false;
    }
    const size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos) {
        return false;
    }
    const std::string_view value = declaration.substr(open + 1, close - open - 1);
    return !EqualsIgnoringCase(value, "UTF-8") && !EqualsIgnoringCase(value, "UTF8");
}

// Sections whose content is not parsed for references: opening and closing marks.
struct Skipped {
    std::string_view open;
    std::string_view close;
};
constexpr std::array<Skipped, 3> kSkipped = {{{"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}}};

// A byte order mark, or a first character "<" with a zero byte beside it.
bool LooksLikeUtf16(std::string_view text) {
    if (text.size() < 2) {
        return false;
    }
    const std::string_view start = text.substr(0, 2);
    return start == "\xFF\xFE" || start == "\xFE\xFF" || start == std::string_view("<\0", 2) ||
           start == std::string_view("\0<", 2);
}

// The offset of the first 8-byte word from `from` on that may hold a byte needing a look ("<", "&", a zero byte,
// and a byte above 0x7F when UTF-8 is checked); the bytes before it are plain.
size_t SkipPlainWords(std::string_view text, size_t from, bool checkUtf8) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL;
    constexpr uint64_t kHigh = 0x8080808080808080ULL;
    // Non-zero exactly when some byte of the word is zero.
    const auto hasZeroByte = [](uint64_t word) { return (word - kOnes) & ~word & kHigh; };
    const uint64_t highMask = checkUtf8 ? kHigh : 0;
    size_t i = from;
    while (text.size() - i >= sizeof(uint64_t)) {
        uint64_t word = 0;
        std::memcpy(&word, text.data() + i, sizeof(word));
        if ((word & highMask) | hasZeroByte(word) | hasZeroByte(word ^ (kOnes * '<')) |
            hasZeroByte(word ^ (kOnes * '&'))) {
            break;
        }
        i += sizeof(word);
    }
    return i;
}

// Offset of the first offending byte, or npos.
size_t FindProblem(std::string_view text) {
    const bool checkUtf8 = !DeclaresOtherEncoding(text);
    // Most bytes are plain ASCII that needs no look: one tight loop passes over them.
    const auto isPlain = [checkUtf8](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte != '<' && byte != '&' && byte != '\0' && (byte < 0x80 || !checkUtf8);
    };
    size_t i = 0;
    while (i < text.size()) {
        i = SkipPlainWords(text, i, checkUtf8);
        while (i < text.size() && isPlain(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            break;
        }
        const char c = text[i];
        if (c == '<') {
            const std::string_view rest = text.substr(i);
            size_t skipTo = 0;
            for (const Skipped& section : kSkipped) {
                if (rest.starts_with(section.open)) {
                    const size_t close = rest.find(section.close, section.open.size());
                    // An unclosed section is the platform reader's to report; nothing after it is text.
                    skipTo = close == std::string_view::npos ? text.size() : i + close + section.close.size();
                    break;
                }
            }
            if (skipTo != 0) {
                if (const size_t bad = FindBadByte(text, i, skipTo, checkUtf8); bad != std::string_view::npos) {
                    return bad;
                }
                i = skipTo;
                continue;
            }
        }
        if (c == '&') {
            const size_t length = ReferenceLength(text.substr(i));
            if (length == 0) {
                return i;
            }
            i += length;
            continue;
        }
        if (c == '\0') {
            return i;
        }
        if (checkUtf8 && static_cast<unsigned char>(c) >= 0x80) {
            const size_t length = Utf8SequenceLength(text.substr(i));
            if (length == 0) {
                return i;
            }
            i += length;
            continue;
        }
        ++i;
    }
    return std::string_view::npos;
}

CXmlTextPosition PositionOf(std::string_view text, size_t offset) {
    CXmlTextPosition at{1, 1};
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            ++at.line;
            at.column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++at.column;
        }
    }
    return at;
}

} // namespace

bool CheckRawText(std::string_view utf8, CXmlTextPosition& bad) {
    if (LooksLikeUtf16(utf8)) {
        return true;
    }
    const size_t offset = FindProblem(utf8);
    if (offset == std::string_view::npos) {
        return true;
    }
    bad = PositionOf(utf8, offset);
    return false;
}

bool IsXmlText(std::wstring_view text) noexcept {
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        // Nearly every unit is an ordinary character below the surrogates.
        if (c >= 0x20 && c < 0xD800) {
            continue;
        }
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (!IsXmlCodePoint(c)) {
            return false;
        }
    }
    return true;
}

bool IsStorableText(std::wstring_view text) noexcept {
    return text.find_first_of(L"\t\n\r") == std::wstring_view::npos && IsXmlText(text);
}

std::wstring MakeStorableText(std::wstring_view text) {
    std::wstring storable;
    storable.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            storable += c;
            storable += text[++i];
        } else if (c == L'\t' || c == L'\n' || c == L'\r') {
            storable += L' ';
        } else {
            storable += IsXmlCodePoint(c) ? c : kReplacement;
        }
    }
    return storable;
}

} // namespace xml
