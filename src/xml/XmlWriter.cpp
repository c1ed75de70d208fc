#include "xml/XmlWriter.h"

#include "xml/XmlStream.h"
#include "xml/XmlTextCheck.h"

#include <algorithm>
#include <cstdint>

namespace xml {

namespace {

constexpr UINT kPropertyIndent = 1;
constexpr UINT kPropertyByteOrderMark = 2;
constexpr UINT kPropertyOmitDeclaration = 3;

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

enum class EscapeFor { Text, Attribute };

// Appends one UTF-16 unit (or the pair starting at text[i], moving i past it) as UTF-8; the text passed
// IsXmlText, so every surrogate has its partner.
void AppendUtf8(std::string& out, std::wstring_view text, size_t& i) {
    const uint32_t c = text[i];
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (IsHighSurrogate(text[i])) {
        const uint32_t full = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[++i]) - 0xDC00);
        out += static_cast<char>(0xF0 | (full >> 18));
        out += static_cast<char>(0x80 | ((full >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((full >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (full & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Appends the escaped UTF-8 form of `value`, which passed IsXmlText, straight to the output. Line breaks and tabs
// inside an attribute are written as references because a reader turns literal ones into blanks.
void AppendEscaped(std::string& out, std::wstring_view value, EscapeFor where) {
    const bool attribute = where == EscapeFor::Attribute;
    for (size_t i = 0; i < value.size(); ++i) {
        switch (value[i]) {
        case L'&':
            out += "&amp;";
            break;
        case L'<':
            out += "&lt;";
            break;
        case L'>':
            out += "&gt;";
            break;
        case L'\r':
            out += "&#xD;";
            break;
        case L'"':
            out += attribute ? "&quot;" : "\"";
            break;
        case L'\n':
            out += attribute ? "&#xA;" : "\n";
            break;
        case L'\t':
            out += attribute ? "&#x9;" : "\t";
            break;
        default:
            AppendUtf8(out, value, i);
            break;
        }
    }
}

// Element and attribute names come from the program's own vocabulary: plain names without prefixes.
bool ToName(std::wstring_view name, std::string& out) {
    if (name.empty()) {
        return false;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i];
        const bool letter = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || c >= 0xC0;
        const bool other = (c >= L'0' && c <= L'9') || c == L'-' || c == L'.';
        if (IsHighSurrogate(c) || IsLowSurrogate(c) || c == 0xFFFE || c == 0xFFFF || !(letter || (i > 0 && other))) {
            return false;
        }
    }
    out.clear();
    for (size_t i = 0; i < name.size(); ++i) {
        AppendUtf8(out, name, i);
    }
    return true;
}

} // namespace

CXmlWriter::CXmlWriter() = default;

CXmlWriter::~CXmlWriter() {
    Close();
}

bool CXmlWriter::OpenFile(const std::wstring& path) {
    Close();
    auto file = std::make_unique<CAtomicFile>();
    if (!file->Open(path)) {
        return false;
    }
    m_file = std::move(file);
    m_state = State::Open;
    return true;
}

bool CXmlWriter::OpenStream(CXmlStream& stream) {
    Close();
    if (!stream.HasBlock()) {
        return false;
    }
    m_stream = &stream;
    m_state = State::Open;
    return true;
}

void CXmlWriter::Close() noexcept {
    m_file.reset();
    m_stream = nullptr;
    m_out.clear();
    m_elements.clear();
    m_tagAttributes.clear();
    m_startTagOpen = false;
    m_rootWritten = false;
    m_declarationWritten = false;
    m_indent = false;
    m_byteOrderMark = false;
    m_omitDeclaration = false;
    m_state = State::Closed;
}

bool CXmlWriter::Fail() noexcept {
    if (m_state == State::Open) {
        m_state = State::Failed;
    }
    if (m_file) {
        m_file->Abandon();
    }
    return false;
}

bool CXmlWriter::ApplyProperties(const CXmlPropertyMap& properties) {
    if (m_state != State::Open) {
        return false;
    }
    bool allAccepted = true;
    for (const auto& [id, value] : properties) {
        switch (id) {
        case kPropertyIndent:
            m_indent = value != 0;
            break;
        case kPropertyByteOrderMark:
            m_byteOrderMark = value != 0;
            break;
        case kPropertyOmitDeclaration:
            m_omitDeclaration = value != 0;
            break;
        default:
            allAccepted = false;
            break;
        }
    }
    return allAccepted;
}

bool CXmlWriter::StartDocument() {
    if (m_state != State::Open || m_declarationWritten || m_rootWritten) {
        return Fail();
    }
    if (m_byteOrderMark) {
        m_out += kByteOrderMark;
    }
    if (!m_omitDeclaration) {
        m_out += kDeclaration;
        m_declarationWritten = true;
    }
    return true;
}

void CXmlWriter::CloseStartTag() {
    if (m_startTagOpen) {
        m_out += '>';
        m_startTagOpen = false;
        m_tagAttributes.clear();
    }
}

void CXmlWriter::NewLine(size_t depth) {
    m_out += "\r\n";
    m_out.append(depth * 2, ' ');
}

bool CXmlWriter::StartElement(std::wstring_view name) {
    std::string utf8;
    if (m_state != State::Open || !ToName(name, utf8) || (m_elements.empty() && m_rootWritten) ||
        m_elements.size() >= static_cast<size_t>(kMaxElementDepth)) {
        return Fail();
    }
    CloseStartTag();
    const bool afterText = !m_elements.empty() && m_elements.back().hasText;
    // Indenting after text would add blanks to that text, so mixed content stays on one line.
    if (m_indent && !afterText && (m_declarationWritten || !m_elements.empty())) {
        NewLine(m_elements.size());
    }
    if (!m_elements.empty()) {
        m_elements.back().hasChildren = true;
    }
    m_out += '<';
    m_out += utf8;
    m_elements.push_back({std::move(utf8)});
    m_startTagOpen = true;
    m_rootWritten = true;
    return true;
}

bool CXmlWriter::WriteAttribute(std::wstring_view name, std::wstring_view value) {
    std::string utf8Name;
    if (m_state != State::Open || !m_startTagOpen || !ToName(name, utf8Name) || !IsXmlText(value) ||
        std::find(m_tagAttributes.begin(), m_tagAttributes.end(), utf8Name) != m_tagAttributes.end()) {
        return Fail();
    }
    m_out += ' ';
    m_out += utf8Name;
    m_out += "=\"";
    AppendEscaped(m_out, value, EscapeFor::Attribute);
    m_out += '"';
    m_tagAttributes.push_back(std::move(utf8Name));
    return true;
}

bool CXmlWriter::WriteText(std::wstring_view text) {
    if (m_state != State::Open || m_elements.empty() || !IsXmlText(text)) {
        return Fail();
    }
    if (text.empty()) {
        return true;
    }
    CloseStartTag();
    AppendEscaped(m_out, text, EscapeFor::Text);
    m_elements.back().hasText = true;
    return true;
}

bool CXmlWriter::EndElement() {
    if (m_state != State::Open || m_elements.empty()) {
        return Fail();
    }
    const OpenElement element = std::move(m_elements.back());
    m_elements.pop_back();
    if (m_startTagOpen) {
        m_out += " />";
        m_startTagOpen = false;
        m_tagAttributes.clear();
    } else {
        if (m_indent && element.hasChildren && !element.hasText) {
            NewLine(m_elements.size());
        }
        m_out += "</";
        m_out += element.name;
        m_out += '>';
    }
    return Spill();
}

bool CXmlWriter::Spill() {
    // A large document goes to its temporary file piece by piece: the buffer stays small and is reused.
    if (!m_file || m_out.size() < kSpillBytes) {
        return true;
    }
    if (!m_file->Write(m_out)) {
        return Fail();
    }
    m_out.clear();
    return true;
}

bool CXmlWriter::EndDocument() {
    if (m_state != State::Open) {
        return false;
    }
    while (!m_elements.empty()) {
        if (!EndElement()) {
            return false;
        }
    }
    return true;
}

bool CXmlWriter::WriteTextElement(std::wstring_view name, std::wstring_view text) {
    return StartElement(name) && WriteText(text) && EndElement();
}

bool CXmlWriter::Flush() {
    if (m_state != State::Open) {
        return Fail();
    }
    if (m_file) {
        if (!m_file->Write(m_out) || !m_file->Commit()) {
            return Fail();
        }
        m_file.reset();
        // The file is in place; anything written after this has nowhere to go.
        m_state = State::Failed;
    } else if (!m_stream || !m_stream->Append(m_out)) {
        return Fail();
    }
    m_out.clear();
    return true;
}

} // namespace xml
