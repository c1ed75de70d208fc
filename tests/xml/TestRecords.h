#pragma once
// A tiny data store written for the tests: a "notes" file of "note" records exercising every value kind.

#include "xml/XmlStore.h"

#include <cstdint>
#include <string>
#include <vector>

enum class NoteKind { Plain = 0, Bold = 1, Italic = 2 };

// One note: text attributes, a clamped number, a flag, a keyword, a time and element text.
class CTestNote : public xml::CXmlElement {
public:
    std::wstring title;
    uint32_t count = 10;
    bool flag = false;
    NoteKind kind = NoteKind::Plain;
    int64_t time = 0;
    std::wstring body;

    bool operator==(const CTestNote& other) const {
        return title == other.title && count == other.count && flag == other.flag && kind == other.kind &&
               time == other.time && body == other.body;
    }

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
};

// The store: an ordered list of notes in "chmlib.xml". Change codes: 2 added, 4 cleared, 8 reset,
// 16 imported.
class CTestNotes : public xml::CXmlStore {
public:
    static constexpr DWORD kAdded = 2;
    static constexpr DWORD kCleared = 4;
    static constexpr DWORD kReset = 8;
    static constexpr DWORD kImported = 16;

    CTestNotes();

    [[nodiscard]] bool Add(const CTestNote& note);
    [[nodiscard]] bool Clear();

    std::vector<CTestNote> notes;
    // How many times the root element was read: a read of the file.
    int reads = 0;
    // When not negative, writing fails after this many notes, as a full disk would half-way.
    int failWriteAfter = -1;

protected:
    bool SetDefaults() override;
    bool ReadElement(xml::CXmlReader& reader, int depth) override;
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override;
    std::unique_ptr<xml::CXmlStore> CreateScratch() const override;
};
