#pragma once
// Checks of text on its way into and out of XML: raw 8-bit text before a platform reader sees it, and
// UTF-16 text before a record takes it.

#include <cstddef>
#include <string>
#include <string_view>

namespace xml {

// Position of the first byte of a problem, 1-based, counting characters (not bytes) within the line.
struct CXmlTextPosition {
    size_t line = 0;
    size_t column = 0;
};

// True when the text holds no zero byte (which one platform reader takes for the end of input), is well-formed
// UTF-8 (a platform reader would quietly turn a bad sequence into U+FFFD and a later save would keep that), and
// every "&" outside comments, CDATA sections and processing instructions starts one of the five predefined
// entities or a character reference to a character XML allows; otherwise false with the position of the first
// offending byte. UTF-16 documents are left to the platform reader, and so are the bytes of a document that
// declares another encoding.
[[nodiscard]] bool CheckRawText(std::string_view utf8, CXmlTextPosition& bad);

// True when every unit is an XML 1.0 character: tab, LF, CR, U+0020 to U+D7FF, U+E000 to U+FFFD, or one half
// of a well-formed surrogate pair.
[[nodiscard]] bool IsXmlText(std::wstring_view text) noexcept;
// True when a data file carries the text through a save and a read unchanged: XML text without tab, LF and CR,
// which readers give back as blanks in attributes (and this platform's reader also from references).
[[nodiscard]] bool IsStorableText(std::wstring_view text) noexcept;
// Display text (a document's title) made storable: tab, LF and CR become blanks, every other unit that XML
// cannot carry (control characters, U+FFFE, U+FFFF, a surrogate without its partner) becomes U+FFFD.
[[nodiscard]] std::wstring MakeStorableText(std::wstring_view text);

} // namespace xml
