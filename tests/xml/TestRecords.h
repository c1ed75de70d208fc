#pragma once
// A tiny data store written for the tests: a "notes" file of "note" records exercising every value kind.

#include "xml/XmlStore.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class NoteKind { Plain = 0, Bold = 1, Italic = 2 };

inline constexpr std::array<xml::CXmlKeyword<NoteKind>, 3> kNoteKinds = {
    {{NoteKind::Plain, L"plain"}, {NoteKind::Bold, L"bold"}, {NoteKind::Italic, L"italic"}}};

// One note: text attributes, a clamped number, a flag, a keyword, a time and element text.
class CTestNote : public xml::CXmlElement {
public:
    std::wstring title;
    uint32_t count = 10;
    bool flag = false;
    NoteKind kind = NoteKind::Plain;
    int64_t time = 0;
    std::wstring body;

    bool operator==(const CTestNote& o) const {
        return title == o.title && count == o.count && flag == o.flag && kind == o.kind && time == o.time &&
               body == o.body;
    }

protected:
    bool SetDefaults() override {
        *this = CTestNote();
        return true;
    }
    bool ReadElement(xml::CXmlReader& reader, int) override {
        xml::CXmlAttributeMap attributes;
        if (reader.GetLocalName() != L"note" || !reader.ReadAttributes(attributes) || !Reset()) {
            return false;
        }
        xml::TakeText(attributes, L"title", title);
        xml::TakeBool(attributes, L"flag", flag);
        xml::TakeKeyword<NoteKind>(attributes, L"kind", kNoteKinds, kind);
        return xml::TakeUInt(attributes, L"count", 1, 50, count) && xml::TakeTime(attributes, L"time", time) &&
               reader.ReadElementText(body);
    }
    bool WriteElement(xml::CXmlWriter& writer, int) const override {
        return writer.StartElement(L"note") && (title.empty() || writer.WriteAttribute(L"title", title)) &&
               writer.WriteAttribute(L"count", xml::UIntToText(count)) &&
               writer.WriteAttribute(L"flag", xml::BoolToText(flag)) &&
               writer.WriteAttribute(L"kind", xml::ValueToKeyword<NoteKind>(kNoteKinds, kind)) &&
               (time <= 0 || writer.WriteAttribute(L"time", xml::TimeToText(time))) && writer.WriteText(body) &&
               writer.EndElement();
    }
};

// The store: an ordered list of notes in "chmlib.xml". Change codes: 2 added, 8 reset, 16 imported.
class CTestNotes : public xml::CXmlStore {
public:
    static constexpr DWORD kAdded = 2;
    static constexpr DWORD kReset = 8;
    static constexpr DWORD kImported = 16;

    CTestNotes() : CXmlStore(L"chmlib.xml", kReset, kImported) {}

    [[nodiscard]] bool Add(const CTestNote& note) {
        return ApplyEdit(kAdded, [&] {
            notes.push_back(note);
            return EditResult::Changed;
        });
    }

    std::vector<CTestNote> notes;
    // How many times the root element was read: a read of the file.
    int reads = 0;
    // When not negative, writing fails after this many notes, as a full disk would half-way.
    int failWriteAfter = -1;

protected:
    bool SetDefaults() override {
        notes.clear();
        return true;
    }
    bool ReadElement(xml::CXmlReader& reader, int depth) override {
        ++reads;
        if (reader.GetLocalName() != L"notes" || !Reset()) {
            return false;
        }
        while (reader.ReadToElement(depth + 1)) {
            if (!notes.emplace_back().Read(reader, depth + 1)) {
                return false;
            }
        }
        return true;
    }
    bool WriteElement(xml::CXmlWriter& writer, int depth) const override {
        if (!writer.StartElement(L"notes")) {
            return false;
        }
        for (size_t i = 0; i < notes.size(); ++i) {
            if (static_cast<int>(i) == failWriteAfter || !notes[i].Write(writer, depth + 1)) {
                return false;
            }
        }
        return writer.EndElement();
    }
    std::unique_ptr<xml::CXmlStore> CreateScratch() const override { return std::make_unique<CTestNotes>(); }
    void TakeOver(xml::CXmlStore& fresh) override {
        notes = std::move(static_cast<CTestNotes&>(fresh).notes);
        // The scratch object did the reading; this store counts it as its own read.
        reads += static_cast<CTestNotes&>(fresh).reads;
    }
};
