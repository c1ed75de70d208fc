#pragma once
// A check of the references in raw XML text, which some platform readers pass through unchecked.

#include <cstddef>
#include <string_view>

namespace xml {

// Position of the first byte of a problem, 1-based, counting characters (not bytes) within the line.
struct CXmlTextPosition {
    size_t line = 0;
    size_t column = 0;
};

// True when every "&" outside comments, CDATA sections and processing instructions starts a character
// reference or one of the five predefined entities; otherwise false with the position of the first bad "&".
// Documents with a UTF-16 byte order mark are left to the platform reader.
[[nodiscard]] bool CheckReferences(std::string_view utf8, CXmlTextPosition& bad);

} // namespace xml
