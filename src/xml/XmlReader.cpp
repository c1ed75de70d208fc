#include "xml/XmlReader.h"

#include "xml/XmlStream.h"

#include <limits>

namespace xml {

namespace {

// Data files are small; anything this large is not one of ours and is not read into memory.
constexpr LONGLONG kMaxInputBytes = 64LL * 1024 * 1024;
// Nodes the reader may still return on an empty input (declaration, end of input and so on).
constexpr uint64_t kNodeAllowance = 16;

} // namespace

CXmlReader::CXmlReader() = default;

CXmlReader::~CXmlReader() { Close(); }

void CXmlReader::Close() noexcept {
    m_reader.Close();
    m_stream.Close();
    (void)m_file.Close();
    m_type = XmlNodeType_None;
    m_failed = false;
    m_ended = false;
    m_badReference = false;
    m_badAt = {};
    m_nodeBudget = 0;
    m_inputBytes = 0;
    m_lastLine = 0;
    m_lastColumn = 0;
    m_openElements = 0;
}

bool CXmlReader::OpenFile(const std::wstring& path) {
    Close();
    win::CFileHandleRaii file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 || size.QuadPart > kMaxInputBytes) {
        return false;
    }
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
    if (!Attach(bytes)) {
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
    return OpenText(text);
}

bool CXmlReader::OpenText(std::string_view utf8) {
    Close();
    return Attach(utf8);
}

bool CXmlReader::Attach(std::string_view bytes) {
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<ULONG>::max())) {
        return false;
    }
    win::CComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()))) {
        return false;
    }
    ULONG written = 0;
    const LARGE_INTEGER start{};
    if (FAILED(stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) ||
        written != bytes.size() || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) {
        return false;
    }
    win::CComPtr<IXmlReader> reader;
    if (FAILED(::CreateXmlReader(__uuidof(IXmlReader), reader.ReceiveVoid(), nullptr)) ||
        FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(reader->SetInput(stream.Get()))) {
        return false;
    }
    m_reader = std::move(reader);
    m_stream = std::move(stream);
    m_inputBytes = bytes.size();
    m_nodeBudget = bytes.size() + kNodeAllowance;
    if (!CheckReferences(bytes, m_badAt)) {
        m_badReference = true;
        m_failed = true;
    }
    return true;
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
        if (m_openElements != 0) {
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
        if (m_openElements >= kMaxElementDepth) {
            return Stop();
        }
        if (!m_reader->IsEmptyElement()) {
            ++m_openElements;
        }
    } else if (read == XmlNodeType_EndElement) {
        if (m_openElements == 0) {
            return Stop();
        }
        --m_openElements;
    }
    type = read;
    return true;
}

bool CXmlReader::ReadToElement(int depth) {
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
    if (!m_reader || FAILED(m_reader->GetDepth(&depth)) ||
        depth > static_cast<UINT>(std::numeric_limits<int>::max())) {
        return -1;
    }
    return static_cast<int>(depth);
}

std::wstring CXmlReader::GetLocalName() const {
    const WCHAR* name = nullptr;
    UINT length = 0;
    if (!m_reader || m_reader->GetLocalName(&name, &length) != S_OK || !name) {
        return {};
    }
    return std::wstring(name, length);
}

bool CXmlReader::IsElementStart() const { return m_reader && !m_failed && m_type == XmlNodeType_Element; }

bool CXmlReader::ReadAttributes(CXmlAttributeMap& attributes) {
    attributes = CXmlAttributeMap(17);
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
        attributes[std::wstring(name, nameLength)] = std::wstring(value, valueLength);
        hr = m_reader->MoveToNextAttribute();
    }
    if (FAILED(hr) || FAILED(m_reader->MoveToElement())) {
        return Stop();
    }
    return true;
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
            if (m_reader->GetValue(&value, &length) != S_OK || !value) {
                return Stop();
            }
            text.assign(value, length);
            return true;
        }
    }
}

bool CXmlReader::IsEof() const { return m_reader && m_ended && !m_failed; }

std::wstring CXmlReader::GetErrorDescription() const {
    std::wstring description = L"XmlReader:";
    if (!m_reader) {
        return description + L" Invalid.";
    }
    if (m_badReference) {
        return description + L" Line=" + std::to_wstring(m_badAt.line) + L" Column=" +
               std::to_wstring(m_badAt.column);
    }
    if (m_ended || m_reader->IsEOF()) {
        return description + L" EOF.";
    }
    UINT value = 0;
    if (SUCCEEDED(m_reader->GetLineNumber(&value))) {
        description += L" Line=" + std::to_wstring(value);
    }
    if (SUCCEEDED(m_reader->GetLinePosition(&value))) {
        description += L" Column=" + std::to_wstring(value);
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
