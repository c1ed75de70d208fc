#pragma once
// Reads stored records from XML text through the platform reader, guarded against its known failures.

#include "xml/XmlInput.h"
#include "xml/XmlTextCheck.h"
#include "xml/XmlValues.h"

#include "win/Handles.h"

#include <windows.h>
#include <objidl.h>
#include <xmllite.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xml {

class CXmlStream;

// The largest input a reader takes: data files are small, anything larger is not one of ours and is not read
// into memory.
inline constexpr uint64_t kMaxInputBytes = 64ULL * 1024 * 1024;

// Wraps IXmlReader and the stream it reads. Every node passes through one guarded step that fails the
// read instead of trusting the platform: a node that does not advance (a truncated file can return the same
// node for ever), more nodes than the input has bytes, a document type, nesting deeper than
// kMaxElementDepth, end of input inside an open element (also when the platform closes it by itself), a
// malformed "&" reference, a zero byte, a byte that is not well-formed UTF-8, or a value holding a character
// that XML does not allow (which a platform reader may pass through). Inputs known to upset a platform reader
// (leading blanks, a declaration without a root) are handled before it sees them.
class CXmlReader {
public:
    CXmlReader();
    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;
    ~CXmlReader();

    // Reads the file while holding it open with deny-write sharing until Close.
    [[nodiscard]] bool OpenFile(const std::wstring& path);
    [[nodiscard]] bool OpenStream(const CXmlStream& stream);
    [[nodiscard]] bool OpenText(std::string_view utf8);
    void Close() noexcept;
    // A reader without a platform reader object is invalid.
    [[nodiscard]] bool IsValid() const noexcept { return static_cast<bool>(m_reader); }

    [[nodiscard]] bool ApplyProperties(const CXmlPropertyMap& properties);

    // Moves to the next element start at `depth` (any depth for -1); false when the enclosing element
    // ends, at end of input, or on an error. Deeper content is passed over.
    [[nodiscard]] bool ReadToElement(int depth);
    // Depth of the current node, or -1. An end element reports the depth of its content.
    [[nodiscard]] int GetDepth() const;
    [[nodiscard]] std::wstring GetLocalName() const;
    // The same without a copy, valid until the reader moves on: for the comparisons of every record read.
    [[nodiscard]] std::wstring_view LocalName() const;
    [[nodiscard]] bool IsElementStart() const;
    // True on an element start written in the empty-element form ("<name />").
    [[nodiscard]] bool IsEmptyElement() const;
    // The attributes of the current element start; the reader stays on the element.
    [[nodiscard]] bool ReadAttributes(CXmlAttributeMap& attributes);
    // The same into a map the reader keeps, so that reading element after element allocates nothing; null on
    // failure. The map holds until the next call.
    [[nodiscard]] const CXmlAttributeMap* ReadAttributes();
    // The text of the current element start: empty for an empty element or one holding only blanks.
    [[nodiscard]] bool ReadElementText(std::wstring& text);
    // True when the whole input was read and every element was closed.
    [[nodiscard]] bool IsEof() const;

    // "XmlReader:" then " Invalid.", " EOF." or the parts " Line=", " Column=", " Depth=", " Name=" that
    // the reader can supply.
    [[nodiscard]] std::wstring GetErrorDescription() const;

private:
    bool Attach(win::CComPtr<CXmlInput> input);
    std::string_view TrimStart(std::string_view bytes);
    size_t OriginalLine(size_t line) const;
    size_t OriginalColumn(size_t line, size_t column) const;
    bool Next(XmlNodeType& type);
    bool Stop() noexcept;

    win::CComPtr<IXmlReader> m_reader;
    win::CComPtr<CXmlInput> m_input;
    win::CFileHandleRaii m_file;
    XmlNodeType m_type = XmlNodeType_None;
    bool m_failed = false;
    bool m_ended = false;
    bool m_badText = false;
    CXmlTextPosition m_badAt;
    uint64_t m_nodeBudget = 0;
    size_t m_inputBytes = 0;
    size_t m_lineOffset = 0;
    size_t m_columnOffset = 0;
    UINT m_lastLine = 0;
    UINT m_lastColumn = 0;
    struct TextPoint {
        UINT line;
        UINT column;
    };
    // Where each open element started, innermost last.
    std::vector<TextPoint> m_openElements;
    CXmlAttributeMap m_attributes;
};

} // namespace xml
