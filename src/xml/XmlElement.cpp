#include "xml/XmlElement.h"

#include "xml/XmlStream.h"

namespace xml {

bool CXmlElement::Reset() {
    return SetDefaults();
}

bool CXmlElement::Read(CXmlReader& reader, int depth) {
    return ReadElement(reader, depth);
}

bool CXmlElement::Write(CXmlWriter& writer, int depth) const {
    return WriteElement(writer, depth);
}

bool CXmlElement::SetDefaults() {
    return true;
}

bool CXmlElement::ReadElement(CXmlReader&, int) {
    return true;
}

bool CXmlElement::WriteElement(CXmlWriter&, int) const {
    return true;
}

bool CXmlRoot::Reset() {
    m_error.clear();
    const bool ok = CXmlElement::Reset();
    m_valid = true;
    return ok;
}

bool CXmlRoot::Load(CXmlReader& reader) {
    bool ok = Reset();
    CXmlPropertyMap properties;
    GetReaderProperties(properties);
    ok = ok && reader.ApplyProperties(properties);
    ok = ok && reader.ReadToElement(0);
    ok = ok && Read(reader, 0);
    // A second top-level element makes the document malformed.
    ok = ok && !reader.ReadToElement(0);
    m_valid = ok;
    return ok;
}

bool CXmlRoot::Save(CXmlWriter& writer) const {
    if (!m_valid) {
        return false;
    }
    CXmlPropertyMap properties;
    GetWriterProperties(properties);
    return writer.ApplyProperties(properties) && writer.StartDocument() && Write(writer, 0) && writer.EndDocument();
}

void CXmlRoot::GetWriterProperties(CXmlPropertyMap& properties) const {
    properties[kXmlWriterPropertyIndent] = 1;
}

void CXmlRoot::GetReaderProperties(CXmlPropertyMap&) const {}

bool CXmlRoot::LoadFrom(CXmlReader& reader) {
    // Load sets the valid flag itself; a document that does not end after its element fails here too.
    const bool ok = Load(reader) && reader.IsEof();
    if (!ok) {
        SetError(reader.GetErrorDescription(), true);
    }
    m_valid = ok;
    return ok;
}

bool CXmlRoot::LoadFile(const std::wstring& path) {
    m_error.clear();
    CXmlReader reader;
    if (!reader.OpenFile(path)) {
        SetError(reader.GetErrorDescription(), true);
        m_valid = false;
        return false;
    }
    return LoadFrom(reader);
}

bool CXmlRoot::LoadText(std::string_view utf8) {
    m_error.clear();
    CXmlStream stream;
    CXmlReader reader;
    if (!stream.SetText(utf8) || !reader.OpenStream(stream)) {
        SetError(reader.GetErrorDescription(), true);
        m_valid = false;
        return false;
    }
    return LoadFrom(reader);
}

bool CXmlRoot::SaveTo(CXmlWriter& writer) {
    return Save(writer) && writer.Flush();
}

bool CXmlRoot::SaveFile(const std::wstring& path) {
    m_error.clear();
    if (!m_valid) {
        return false;
    }
    CXmlWriter writer;
    return writer.OpenFile(path) && SaveTo(writer);
}

bool CXmlRoot::SaveText(std::string& utf8) {
    utf8.clear();
    m_error.clear();
    if (!m_valid) {
        return false;
    }
    CXmlStream stream;
    CXmlWriter writer;
    if (!stream.CreateEmpty() || !writer.OpenStream(stream) || !SaveTo(writer) || !stream.GetText(utf8)) {
        utf8.clear();
        return false;
    }
    // Drops the declaration (and a byte order mark before it) so the text can be embedded or reloaded;
    // a document written without declaration keeps its first tag.
    const size_t close = utf8.find('>');
    if (close != std::string::npos && (utf8.starts_with("<?") || utf8.starts_with("\xEF\xBB\xBF"))) {
        utf8.erase(0, close + 1);
    }
    return true;
}

void CXmlRoot::SetError(std::wstring_view text, bool force) {
    if (force || m_error.empty()) {
        m_error = text;
    }
}

} // namespace xml
