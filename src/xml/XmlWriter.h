#pragma once
// Writes an XML document as the data files need it, escaping every markup character itself.

#include "xml/AtomicFile.h"
#include "xml/XmlValues.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xml {

class CXmlStream;

// The writer of all stored records. It produces what the platform writer produces with indentation on
// (UTF-8 without byte order mark, the declaration, CRLF line ends, two blanks per level, empty elements as
// "<name />"), but escapes & < > " in every attribute and text, which the platform writer does not do.
// Text that XML 1.0 cannot carry (control characters, unpaired surrogates) fails the write.
// A file target is written to a temporary file as the output grows and replaced only by a complete document
// at Flush; a stream target receives the whole output at Flush.
class CXmlWriter {
public:
    CXmlWriter();
    CXmlWriter(const CXmlWriter&) = delete;
    CXmlWriter& operator=(const CXmlWriter&) = delete;
    ~CXmlWriter();

    // Output to a file, which Flush replaces atomically (the old content stays if anything fails).
    [[nodiscard]] bool OpenFile(const std::wstring& path);
    // Output appended to a stream created empty; the stream must outlive the writer.
    [[nodiscard]] bool OpenStream(CXmlStream& stream);
    void Close() noexcept;
    [[nodiscard]] bool IsValid() const noexcept { return m_state != State::Closed; }

    // Indentation (1), byte order mark (2) and omitting the declaration (3) are understood; any other
    // property is refused.
    [[nodiscard]] bool ApplyProperties(const CXmlPropertyMap& properties);

    [[nodiscard]] bool StartDocument();
    [[nodiscard]] bool StartElement(std::wstring_view name);
    [[nodiscard]] bool WriteAttribute(std::wstring_view name, std::wstring_view value);
    // Nothing is written for an empty text, so the element can still close in the empty-element form.
    [[nodiscard]] bool WriteText(std::wstring_view text);
    [[nodiscard]] bool EndElement();
    // Closes every element still open.
    [[nodiscard]] bool EndDocument();
    // Start element, text, end element.
    [[nodiscard]] bool WriteTextElement(std::wstring_view name, std::wstring_view text);
    // Hands the output to the target: a file is flushed to disk and moved into place (once), a stream grows.
    [[nodiscard]] bool Flush();

private:
    enum class State { Closed, Open, Failed };
    struct OpenElement {
        std::string name;
        bool hasChildren = false;
        bool hasText = false;
    };

    // Output held before it goes to a file target.
    static constexpr size_t kSpillBytes = 64 * 1024;

    bool Fail() noexcept;
    // Writes the output held so far to a file target once it has grown large.
    bool Spill();
    void CloseStartTag();
    void NewLine(size_t depth);

    State m_state = State::Closed;
    std::unique_ptr<CAtomicFile> m_file;
    CXmlStream* m_stream = nullptr;
    std::string m_out;
    std::vector<OpenElement> m_elements;
    std::vector<std::string> m_tagAttributes;
    bool m_startTagOpen = false;
    bool m_rootWritten = false;
    bool m_declarationWritten = false;
    bool m_indent = false;
    bool m_byteOrderMark = false;
    bool m_omitDeclaration = false;
};

} // namespace xml
