#pragma once
// The base of every stored record, and of records that stand as a whole document.

#include "xml/XmlReader.h"
#include "xml/XmlValues.h"
#include "xml/XmlWriter.h"

#include <string>
#include <string_view>

namespace xml {

// Any stored record: it puts its fields to their defaults, reads its element and writes it.
class CXmlElement {
public:
    CXmlElement() = default;
    CXmlElement(const CXmlElement&) = default;
    CXmlElement& operator=(const CXmlElement&) = default;
    virtual ~CXmlElement() = default;

    // Every field back to its default.
    [[nodiscard]] virtual bool Reset();
    // The reader stands on the record's start tag at `depth`.
    [[nodiscard]] virtual bool Read(CXmlReader& reader, int depth);
    [[nodiscard]] virtual bool Write(CXmlWriter& writer, int depth) const;

protected:
    [[nodiscard]] virtual bool SetDefaults();
    // Compares the element name, reads the attributes, calls Reset, takes the known attributes and reads
    // the children at depth + 1. The base reads nothing.
    [[nodiscard]] virtual bool ReadElement(CXmlReader& reader, int depth);
    // Writes the start tag, attributes in a fixed order, children at depth + 1 and the end tag.
    [[nodiscard]] virtual bool WriteElement(CXmlWriter& writer, int depth) const;
};

// A record that can be read or written as a whole document, in a file or as in-memory text.
class CXmlRoot : public CXmlElement {
public:
    CXmlRoot() = default;
    CXmlRoot(const CXmlRoot&) = default;
    CXmlRoot& operator=(const CXmlRoot&) = default;

    // Also clears the error text and makes the root valid again.
    [[nodiscard]] bool Reset() override;

    // Reset, apply the reader properties, read the single top-level element.
    [[nodiscard]] virtual bool Load(CXmlReader& reader);
    // Declaration, the record at depth 0, end of document. An invalid root refuses.
    [[nodiscard]] virtual bool Save(CXmlWriter& writer) const;
    // Indentation on.
    virtual void GetWriterProperties(CXmlPropertyMap& properties) const;
    virtual void GetReaderProperties(CXmlPropertyMap& properties) const;

    // Loads the whole file, which must end after the top-level element; the error text and the valid
    // flag tell the outcome.
    [[nodiscard]] bool LoadFile(const std::wstring& path);
    // Writes the whole file; the file is replaced only by a complete document. No error text.
    [[nodiscard]] bool SaveFile(const std::wstring& path);
    // As LoadFile, from UTF-8 text (with or without declaration).
    [[nodiscard]] bool LoadText(std::string_view utf8);
    // The document as UTF-8 text without byte order mark and declaration: the in-memory copy of a record.
    [[nodiscard]] bool SaveText(std::string& utf8);

    // Keeps `text` when forced or when no error text is kept yet.
    void SetError(std::wstring_view text, bool force);
    [[nodiscard]] const std::wstring& GetError() const noexcept { return m_error; }
    void ClearError() noexcept { m_error.clear(); }
    [[nodiscard]] bool IsValid() const noexcept { return m_valid; }

protected:
    // For a record that took over content another object read completely.
    void SetValid(bool valid) noexcept { m_valid = valid; }

private:
    bool LoadFrom(CXmlReader& reader);
    bool SaveTo(CXmlWriter& writer);

    bool m_valid = true;
    std::wstring m_error;
};

} // namespace xml
