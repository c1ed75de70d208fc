#include "xml/XmlTextCheck.h"

#include <array>

namespace xml {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Length of a well-formed reference starting at text[0] == '&', or 0. Without a document type only the
// predefined entities exist, so any other name is as malformed as a bare ampersand.
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
        for (const char c : digits) {
            if (hex ? !IsHexDigit(c) : !IsDigit(c)) {
                return 0;
            }
        }
        return semicolon + 1;
    }
    static constexpr std::array<std::string_view, 5> kPredefined = {"amp", "lt", "gt", "quot", "apos"};
    for (const std::string_view name : kPredefined) {
        if (body == name) {
            return semicolon + 1;
        }
    }
    return 0;
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

} // namespace

bool CheckRawText(std::string_view utf8, CXmlTextPosition& bad) {
    if (LooksLikeUtf16(utf8)) {
        return true;
    }
    CXmlTextPosition at{1, 1};
    auto advanceTo = [&](size_t& i, size_t end) {
        for (; i < end && i < utf8.size(); ++i) {
            const auto byte = static_cast<unsigned char>(utf8[i]);
            if (byte == '\n') {
                ++at.line;
                at.column = 1;
            } else if ((byte & 0xC0) != 0x80) {
                ++at.column;
            }
        }
    };
    size_t i = 0;
    while (i < utf8.size()) {
        const std::string_view rest = utf8.substr(i);
        size_t skipTo = 0;
        // Every skipped section starts with "<": most bytes need no look at the section table.
        for (const Skipped& section : kSkipped) {
            if (rest[0] == '<' && rest.starts_with(section.open)) {
                const size_t close = rest.find(section.close, section.open.size());
                // An unclosed section is the platform reader's to report; nothing after it is text.
                skipTo = close == std::string_view::npos ? utf8.size() : i + close + section.close.size();
                break;
            }
        }
        if (skipTo != 0) {
            const size_t zero = utf8.find('\0', i);
            if (zero < skipTo) {
                advanceTo(i, zero);
                bad = at;
                return false;
            }
            advanceTo(i, skipTo);
            continue;
        }
        if (rest[0] == '\0') {
            bad = at;
            return false;
        }
        if (rest[0] == '&') {
            const size_t length = ReferenceLength(rest);
            if (length == 0) {
                bad = at;
                return false;
            }
            advanceTo(i, i + length);
            continue;
        }
        advanceTo(i, i + 1);
    }
    return true;
}

} // namespace xml
