#include "TestRecords.h"

#include <array>

namespace {

constexpr std::array<xml::CXmlKeyword<NoteKind>, 3> kKinds = {{
    {NoteKind::Plain, L"plain"},
    {NoteKind::Bold, L"bold"},
    {NoteKind::Italic, L"italic"},
}};

} // namespace

bool CTestNote::SetDefaults() {
    *this = CTestNote();
    return true;
}

bool CTestNote::ReadElement(xml::CXmlReader& reader, int) {
    xml::CXmlAttributeMap attributes;
    if (reader.GetLocalName() != L"note" || !reader.ReadAttributes(attributes) || !Reset()) {
        return false;
    }
    xml::TakeText(attributes, L"title", title);
    xml::TakeBool(attributes, L"flag", flag);
    xml::TakeKeyword<NoteKind>(attributes, L"kind", kKinds, kind);
    return xml::TakeUInt(attributes, L"count", 1, 50, count) && xml::TakeTime(attributes, L"time", time) &&
           reader.ReadElementText(body);
}

bool CTestNote::WriteElement(xml::CXmlWriter& writer, int) const {
    bool ok = writer.StartElement(L"note");
    if (ok && !title.empty()) {
        ok = writer.WriteAttribute(L"title", title);
    }
    ok = ok && writer.WriteAttribute(L"count", xml::UIntToText(count));
    ok = ok && writer.WriteAttribute(L"flag", xml::BoolToText(flag));
    ok = ok && writer.WriteAttribute(L"kind", xml::ValueToKeyword<NoteKind>(kKinds, kind));
    if (ok && time > 0) {
        ok = writer.WriteAttribute(L"time", xml::TimeToText(time));
    }
    return ok && writer.WriteText(body) && writer.EndElement();
}

CTestNotes::CTestNotes() : CXmlStore(L"chmlib.xml", kReset, kImported) {}

bool CTestNotes::Add(const CTestNote& note) {
    notes.push_back(note);
    return CommitEdit(kAdded);
}

bool CTestNotes::Clear() {
    return CommitEdit(kCleared, Reset());
}

bool CTestNotes::SetDefaults() {
    notes.clear();
    return true;
}

bool CTestNotes::ReadElement(xml::CXmlReader& reader, int depth) {
    ++reads;
    if (reader.GetLocalName() != L"notes" || !Reset()) {
        return false;
    }
    while (reader.ReadToElement(depth + 1)) {
        CTestNote note;
        if (!note.Read(reader, depth + 1)) {
            return false;
        }
        notes.push_back(note);
    }
    return true;
}

bool CTestNotes::WriteElement(xml::CXmlWriter& writer, int depth) const {
    if (!writer.StartElement(L"notes")) {
        return false;
    }
    int written = 0;
    for (const CTestNote& note : notes) {
        if (written++ == failWriteAfter || !note.Write(writer, depth + 1)) {
            return false;
        }
    }
    return writer.EndElement();
}

std::unique_ptr<xml::CXmlStore> CTestNotes::CreateScratch() const {
    return std::make_unique<CTestNotes>();
}
