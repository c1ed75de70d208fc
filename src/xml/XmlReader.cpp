#include "xml/XmlReader.h"

#include "xml/XmlInput.h"
#include "xml/XmlStream.h"

#include <algorithm>
#include <limits>

namespace xml {

namespace {

// Nodes the reader may still return on an empty input (declaration, end of input and so on).
constexpr uint64_t kNodeAllowance = 16;

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsXmlBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// An input that ends inside the XML declaration, or right after it, makes one platform reader abort the
// whole process. Such a document has no root element anyway, so it is refused before the platform sees it.
bool IsDeclarationWithoutRoot(std::string_view content) {
    constexpr std::string_view kOpening = "<?xml";
    if (!content.starts_with(kOpening)) {
        return content.size() >= 3 && kOpening.starts_with(content);
    }
    // "<?xml-stylesheet" and the like are processing instructions, not the declaration.
    if (content.size() > kOpening.size() && !IsXmlBlank(content[kOpening.size()])) {
        return false;
    }
    const size_t close = content.find("?>");
    if (close == std::string_view::npos) {
        return true;
    }
    const std::string_view rest = content.substr(close + 2);
    return std::all_of(rest.begin(), rest.end(), IsXmlBlank);
}

} // namespace

CXmlReader::CXmlReader() = default;

CXmlReader::~CXmlReader() {
    Close();
}

void CXmlReader::Close() noexcept {
    m_reader.Close();
    m_input.Close();
    (void)m_file.Close();
    m_type = XmlNodeType_None;
    m_failed = false;
    m_ended = false;
    m_badText = false;
    m_badAt = {};
    m_nodeBudget = 0;
    m_inputBytes = 0;
    m_lineOffset = 0;
    m_columnOffset = 0;
    m_lastLine = 0;
    m_lastColumn = 0;
    m_openElements.clear();
}

bool CXmlReader::OpenFile(const std::wstring& path) {
    Close();
    win::CFileHandleRaii file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > kMaxInputBytes) {
        return false;
    }
    // A view of the file costs neither a copy nor fresh memory; a file that cannot be mapped is read instead.
    win::CComPtr<CXmlInput> input = CXmlInput::MapFile(file.Get());
    if (!input) {
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(bytes.size() - done);
            if (!::ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr) || got == 0) {
                return false;
            }
            done += got;
        }
        input = CXmlInput::FromText(std::move(bytes));
    }
    if (!Attach(std::move(input))) {
        return false;
    }
    // Kept open so that nobody can write the file while it is being read.
    m_file = std::move(file);
    return true;
}

bool CXmlReader::OpenStream(const CXmlStream& stream) {
    std::string text;
    if (!stream.GetText(text)) {
        Close();
        return false;
    }
    Close();
    return Attach(CXmlInput::FromText(std::move(text)));
}

bool CXmlReader::OpenText(std::string_view utf8) {
    Close();
    return Attach(CXmlInput::FromText(std::string(utf8)));
}

bool CXmlReader::Attach(win::CComPtr<CXmlInput> input) {
    const std::string_view bytes = input->GetBytes();
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<ULONG>::max())) {
        return false;
    }
    const std::string_view content = TrimStart(bytes);
    input->Skip(bytes.size() - content.size());
    win::CComPtr<IXmlReader> reader;
    if (FAILED(::CreateXmlReader(__uuidof(IXmlReader), reader.ReceiveVoid(), nullptr)) ||
        FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(reader->SetInput(input.Get()))) {
        return false;
    }
    m_reader = std::move(reader);
    m_input = std::move(input);
    m_inputBytes = content.size();
    m_nodeBudget = content.size() + kNodeAllowance;
    if (IsDeclarationWithoutRoot(content)) {
        m_ended = true;
        m_failed = true;
    } else if (!CheckRawText(content, m_badAt)) {
        m_badText = true;
        m_failed = true;
    }
    return true;
}

std::string_view CXmlReader::TrimStart(std::string_view bytes) {
    m_lineOffset = 0;
    m_columnOffset = 0;
    if (bytes.starts_with(kUtf8ByteOrderMark)) {
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    }
    // One platform reader finds no document at all behind leading blanks; they carry nothing, so they go,
    // and positions in descriptions are shifted back to the original text.
    while (!bytes.empty() && IsXmlBlank(bytes.front())) {
        if (bytes.front() == '\n') {
            ++m_lineOffset;
            m_columnOffset = 0;
        } else if (bytes.front() != '\r') {
            ++m_columnOffset;
        }
        bytes.remove_prefix(1);
    }
    return bytes;
}

bool CXmlReader::ApplyProperties(const CXmlPropertyMap& properties) {
    if (!m_reader) {
        return false;
    }
    bool allAccepted = true;
    for (const auto& [id, value] : properties) {
        allAccepted = SUCCEEDED(m_reader->SetProperty(id, value)) && allAccepted;
    }
    return allAccepted;
}

bool CXmlReader::Stop() noexcept {
    m_failed = true;
    return false;
}

bool CXmlReader::Next(XmlNodeType& type) {
    if (!m_reader || m_failed || m_ended) {
        return false;
    }
    // Every node consumes at least one byte of input, so more nodes than bytes means the reader is stuck.
    if (m_nodeBudget == 0) {
        return Stop();
    }
    --m_nodeBudget;
    XmlNodeType read = XmlNodeType_None;
    const HRESULT hr = m_reader->Read(&read);
    if (hr == S_FALSE) {
        m_type = XmlNodeType_None;
        m_ended = true;
        // A platform reader may end quietly inside an element of a truncated file.
        if (!m_openElements.empty()) {
            m_failed = true;
        }
        return false;
    }
    if (hr != S_OK) {
        m_type = XmlNodeType_None;
        return Stop();
    }
    UINT line = 0;
    UINT column = 0;
    if (FAILED(m_reader->GetLineNumber(&line)) || FAILED(m_reader->GetLinePosition(&column))) {
        return Stop();
    }
    if (read == m_type && line == m_lastLine && column == m_lastColumn) {
        return Stop();
    }
    m_type = read;
    m_lastLine = line;
    m_lastColumn = column;
    if (read == XmlNodeType_DocumentType) {
        return Stop();
    }
    if (read == XmlNodeType_Element) {
        if (m_openElements.size() >= static_cast<size_t>(kMaxElementDepth)) {
            return Stop();
        }
        if (!m_reader->IsEmptyElement()) {
            m_openElements.push_back({line, column});
        }
    } else if (read == XmlNodeType_EndElement) {
        if (m_openElements.empty()) {
            return Stop();
        }
        const TextPoint start = m_openElements.back();
        m_openElements.pop_back();
        // A real end tag never stands where its start tag stands: a platform reader that closes the open
        // elements of a truncated input by itself reports them there.
        if (start.line == line && start.column == column) {
            m_ended = true;
            return Stop();
        }
    }
    type = read;
    return true;
}

bool CXmlReader::ReadToElement(int depth) {
    // An element in the empty-element form has no children and no end node: asking for its children must not
    // move on, or the following sibling would be consumed here and lost to the caller's loop.
    if (depth != -1 && m_reader && !m_failed && m_type == XmlNodeType_Element) {
        (void)m_reader->MoveToElement();
        if (m_reader->IsEmptyElement() && GetDepth() < depth) {
            return false;
        }
    }
    for (;;) {
        XmlNodeType type = XmlNodeType_None;
        if (!Next(type)) {
            return false;
        }
        if (depth != -1) {
            const int current = GetDepth();
            if (current < 0 || current < depth) {
                return false;
            }
            if (current == depth && type == XmlNodeType_EndElement) {
                return false;
            }
            if (current > depth) {
                continue;
            }
        }
        if (type == XmlNodeType_Element) {
            return true;
        }
    }
}

int CXmlReader::GetDepth() const {
    UINT depth = 0;
    if (!m_reader || FAILED(m_reader->GetDepth(&depth)) || depth > static_cast<UINT>(std::numeric_limits<int>::max())) {
        return -1;
    }
    return static_cast<int>(depth);
}

std::wstring CXmlReader::GetLocalName() const { return std::wstring(LocalName()); }

std::wstring_view CXmlReader::LocalName() const {
    const WCHAR* name = nullptr;
    UINT length = 0;
    if (!m_reader || m_reader->GetLocalName(&name, &length) != S_OK || !name) {
        return {};
    }
    return std::wstring_view(name, length);
}

bool CXmlReader::IsElementStart() const {
    return m_reader && !m_failed && m_type == XmlNodeType_Element;
}

bool CXmlReader::ReadAttributes(CXmlAttributeMap& attributes) {
    attributes.clear();
    if (!IsElementStart()) {
        return false;
    }
    // Attributes take several bytes each; more of them than input bytes means the reader is stuck.
    size_t remaining = m_inputBytes;
    HRESULT hr = m_reader->MoveToFirstAttribute();
    while (hr == S_OK) {
        const WCHAR* name = nullptr;
        const WCHAR* value = nullptr;
        UINT nameLength = 0;
        UINT valueLength = 0;
        if (remaining-- == 0 || m_reader->GetLocalName(&name, &nameLength) != S_OK ||
            m_reader->GetValue(&value, &valueLength) != S_OK || !name || !value) {
            (void)m_reader->MoveToElement();
            return Stop();
        }
        // A record must never take a value it could not write back.
        if (!IsXmlText(std::wstring_view(value, valueLength))) {
            (void)m_reader->MoveToElement();
            return Stop();
        }
        attributes[std::wstring_view(name, nameLength)].assign(value, valueLength);
        hr = m_reader->MoveToNextAttribute();
    }
    if (FAILED(hr) || FAILED(m_reader->MoveToElement())) {
        return Stop();
    }
    return true;
}

const CXmlAttributeMap* CXmlReader::ReadAttributes() {
    return ReadAttributes(m_attributes) ? &m_attributes : nullptr;
}

bool CXmlReader::IsEmptyElement() const {
    return m_reader && !m_failed && m_type == XmlNodeType_Element && m_reader->IsEmptyElement();
}

bool CXmlReader::ReadElementText(std::wstring& text) {
    text.clear();
    if (!IsElementStart()) {
        return false;
    }
    if (m_reader->IsEmptyElement()) {
        return true;
    }
    for (;;) {
        XmlNodeType type = XmlNodeType_None;
        if (!Next(type)) {
            return false;
        }
        if (type == XmlNodeType_EndElement) {
            return true;
        }
        if (type == XmlNodeType_Text || type == XmlNodeType_CDATA) {
            const WCHAR* value = nullptr;
            UINT length = 0;
            if (m_reader->GetValue(&value, &length) != S_OK || !value || !IsXmlText(std::wstring_view(value, length))) {
                return Stop();
            }
            text.assign(value, length);
            return true;
        }
    }
}

size_t CXmlReader::OriginalLine(size_t line) const {
    return line + m_lineOffset;
}

size_t CXmlReader::OriginalColumn(size_t line, size_t column) const {
    return line == 1 ? column + m_columnOffset : column;
}

bool CXmlReader::IsEof() const {
    return m_reader && m_ended && !m_failed;
}

std::wstring CXmlReader::GetErrorDescription() const {
    std::wstring description = L"XmlReader:";
    if (!m_reader) {
        return description + L" Invalid.";
    }
    if (m_badText) {
        return description + L" Line=" + std::to_wstring(OriginalLine(m_badAt.line)) + L" Column=" +
               std::to_wstring(OriginalColumn(m_badAt.line, m_badAt.column));
    }
    if (m_ended || m_reader->IsEOF()) {
        return description + L" EOF.";
    }
    UINT line = 0;
    UINT value = 0;
    const bool hasLine = SUCCEEDED(m_reader->GetLineNumber(&line));
    if (hasLine) {
        description += L" Line=" + std::to_wstring(OriginalLine(line));
    }
    if (SUCCEEDED(m_reader->GetLinePosition(&value))) {
        description += L" Column=" + std::to_wstring(hasLine ? OriginalColumn(line, value) : value);
    }
    if (SUCCEEDED(m_reader->GetDepth(&value))) {
        description += L" Depth=" + std::to_wstring(value);
    }
    if (const std::wstring name = GetLocalName(); !name.empty()) {
        description += L" Name=" + name;
    }
    return description;
}

} // namespace xml
