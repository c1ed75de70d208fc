#pragma once
// Checks of raw 8-bit XML text for what some platform readers pass through unchecked or stumble over.

#include <cstddef>
#include <string_view>

namespace xml {

// Position of the first byte of a problem, 1-based, counting characters (not bytes) within the line.
struct CXmlTextPosition {
    size_t line = 0;
    size_t column = 0;
};

// True when the text holds no zero byte (which one platform reader takes for the end of input) and every
// "&" outside comments, CDATA sections and processing instructions starts a character reference or one of
// the five predefined entities; otherwise false with the position of the first offending byte.
// UTF-16 documents are left to the platform reader.
[[nodiscard]] bool CheckRawText(std::string_view utf8, CXmlTextPosition& bad);

} // namespace xml
