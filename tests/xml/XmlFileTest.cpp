// Whole documents in text and files, and the store pattern around them: round trips, atomic saves, change
// detection, refusal to save when invalid, export, import and the mutex shared with other processes.

#include "TestRecords.h"
#include "xml/AtomicFile.h"
#include "common/HelperMode.h"
#include "common/RecorderWindow.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr UINT kViewMessage = WM_APP + 7;

CTestNote Note(const std::wstring& title) {
    CTestNote note;
    note.title = title;
    return note;
}

std::vector<CTestNote> AwkwardNotes() {
    std::vector<CTestNote> notes;
    int64_t time = 4102444800LL;
    for (const wchar_t* text :
         {L"Q&A", L"<tag attr=\"v\">", L"it's \"quoted\"", L"C:\\Program Files (x86)\\a&b\\<g>.chm",
          L"http://host/p?a=1&b=<2>&c=\"3\"#'x'", L"日本語のヘルプ", L"emoji \xD83D\xDE00 and \xD840\xDC0B", L""}) {
        CTestNote note = Note(text);
        note.body = text;
        note.count = 7;
        note.flag = !text[0] || text[0] == L'Q';
        note.kind = NoteKind::Italic;
        note.time = time++;
        notes.push_back(note);
    }
    return notes;
}

// Sets a file's last-write time to the first of January of `year`, as a restored backup would carry it.
bool SetLastWriteTime(const std::wstring& path, WORD year) {
    const SYSTEMTIME date{year, 1, 0, 1, 0, 0, 0, 0};
    FILETIME time{};
    const HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool set = ::SystemTimeToFileTime(&date, &time) && ::SetFileTime(file, nullptr, nullptr, &time);
    return ::CloseHandle(file) && set;
}

class NotesFile : public ::testing::Test {
protected:
    void SetUp() override { m_notes.SetFolder(m_folder.Path()); }
    // Another store reading the file under the mutex, as another instance would.
    std::vector<CTestNote> ReadByAnother() const {
        CTestNotes other;
        other.SetFolder(m_folder.Path());
        EXPECT_TRUE(other.LoadLocked()) << testing::PrintToString(other.GetError());
        return other.notes;
    }

    CTempFolder m_folder;
    CTestNotes m_notes;
};

TEST_F(NotesFile, AwkwardTextRoundTripsThroughTextAndFiles) {
    m_notes.notes = AwkwardNotes();
    std::string text;
    ASSERT_TRUE(m_notes.SaveText(text));
    EXPECT_EQ(text.rfind("\r\n<notes>", 0), 0u) << "no declaration left";
    CTestNotes fromText;
    ASSERT_TRUE(fromText.LoadText(text)) << testing::PrintToString(fromText.GetError());
    EXPECT_EQ(fromText.notes, m_notes.notes);

    ASSERT_TRUE(m_notes.SaveLocked());
    EXPECT_EQ(ReadByAnother(), m_notes.notes);
    EXPECT_EQ(ReadBytes(m_notes.GetPath()).rfind(kXmlHeader + "<notes>\r\n  <note ", 0), 0u);
}

TEST_F(NotesFile, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
    m_notes.notes = AwkwardNotes();
    ASSERT_TRUE(m_notes.SaveLocked());
    const std::string before = ReadBytes(m_notes.GetPath());
    m_notes.notes.push_back(m_notes.notes.front());
    for (int attempt = 0; attempt < 2; ++attempt) {
        // Half-way through as a full disk would fail, then on a character XML cannot carry.
        m_notes.failWriteAfter = attempt == 0 ? 3 : -1;
        m_notes.notes.back().title = attempt == 0 ? L"Q&A" : L"bad \x0001 character";
        EXPECT_FALSE(m_notes.SaveLocked());
        EXPECT_EQ(ReadBytes(m_notes.GetPath()), before);
        EXPECT_EQ(ListFolder(m_folder.Path()), std::vector<std::wstring>{L"chmlib.xml"});
        EXPECT_EQ(ReadByAnother().size(), 8u);
    }
}

TEST_F(NotesFile, OnlyAnotherWritersChangeIsReadAgainAndNotified) {
    CRecorderWindow view;
    m_notes.AddView(CTestNotes::kReloaded, view.Get(), kViewMessage, 1, 0);
    EXPECT_FALSE(m_notes.IsChanged()) << "a missing file is no change";
    ASSERT_TRUE(m_notes.Reload());
    ASSERT_TRUE(m_notes.Add(Note(L"a")));
    EXPECT_FALSE(m_notes.IsChanged()) << "the store's own save";
    EXPECT_NE(m_notes.GetRememberedTime(), 0u);
    ASSERT_TRUE(m_notes.Reload());
    EXPECT_EQ(m_notes.reads, 0);
    EXPECT_EQ(view.GetReceived().size(), 1u) << "an unchanged file notifies nobody";

    ASSERT_TRUE(WaitUntilFileTimeAfter(m_folder.Path(), m_notes.GetRememberedTime()));
    ASSERT_TRUE(WriteBytes(m_notes.GetPath(), "<notes><note title=\"a\"/><note title=\"other\"/></notes>"));
    EXPECT_TRUE(m_notes.IsChanged());
    ASSERT_TRUE(m_notes.Reload());
    ASSERT_TRUE(m_notes.Reload());
    EXPECT_EQ(m_notes.reads, 1);
    ASSERT_EQ(m_notes.notes.size(), 2u);
    EXPECT_EQ(m_notes.notes[1].title, L"other");
    EXPECT_EQ(view.GetReceived().size(), 2u);
    EXPECT_FALSE(m_notes.IsChanged());

    // A restored older copy of the same size is a change too: the time differs, though it is not newer.
    ASSERT_TRUE(WriteBytes(m_notes.GetPath(), "<notes><note title=\"a\"/><note title=\"older\"/></notes>"));
    ASSERT_TRUE(SetLastWriteTime(m_notes.GetPath(), 2001));
    EXPECT_TRUE(m_notes.IsChanged());
    ASSERT_TRUE(m_notes.Reload());
    EXPECT_EQ(m_notes.notes.at(1).title, L"older");

    m_notes.SetPath(m_notes.GetPath());
    EXPECT_TRUE(m_notes.IsChanged()) << "a new path forgets the remembered time";
}

// A file this store cannot read is never written over; the content stays as it was read last, an edit stays in
// memory only, and the first edit after the file is repaired reads it before it writes.
TEST_F(NotesFile, AFileThatCannotBeReadIsNeverWrittenAndAFailedReadKeepsTheContent) {
    ASSERT_TRUE(m_notes.Add(Note(L"kept")));
    const std::string broken = "<notes><note count=\"many\"/></notes>";
    ASSERT_TRUE(WriteBytes(m_notes.GetPath(), broken));
    const std::wstring readerError = L"XmlReader: Line=1 Column=9 Depth=1 Name=note";
    EXPECT_FALSE(m_notes.Reload());
    EXPECT_EQ(m_notes.GetError(), readerError);
    EXPECT_EQ(m_notes.notes, std::vector<CTestNote>{Note(L"kept")});
    EXPECT_FALSE(m_notes.Add(Note(L"in memory only")));
    EXPECT_EQ(m_notes.GetError(), readerError);
    EXPECT_EQ(m_notes.notes.size(), 2u);
    EXPECT_EQ(ReadBytes(m_notes.GetPath()), broken);

    ASSERT_TRUE(WriteBytes(m_notes.GetPath(), "<notes><note title=\"repaired\"/></notes>"));
    ASSERT_TRUE(m_notes.Add(Note(L"accepted")));
    EXPECT_TRUE(m_notes.GetError().empty());
    EXPECT_EQ(ReadByAnother(), (std::vector<CTestNote>{Note(L"repaired"), Note(L"accepted")}));

    // A store that never read its existing file takes it in before its first edit.
    CTestNotes fresh;
    fresh.SetFolder(m_folder.Path());
    ASSERT_TRUE(fresh.Add(Note(L"third")));
    EXPECT_EQ(ReadByAnother().size(), 3u);
}

TEST_F(NotesFile, ExportRefusesTheStoresOwnFileUnderEverySpelling) {
    ASSERT_TRUE(m_notes.Add(Note(L"kept")));
    const std::string before = ReadBytes(m_notes.GetPath());
    m_notes.notes.push_back(Note(L"in memory only"));
    std::wstring upper = m_notes.GetPath();
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    for (const std::wstring& path :
         {m_notes.GetPath(), upper, m_folder.File(L"sub\\..\\chmlib.xml"), m_folder.Path() + L"\\.\\CHMLIB.XML"}) {
        EXPECT_FALSE(m_notes.Export(path)) << testing::PrintToString(path);
        EXPECT_EQ(ReadBytes(m_notes.GetPath()), before);
    }
    ASSERT_TRUE(m_notes.Export(m_folder.File(L"export.xml")));
    CTestNotes copy;
    ASSERT_TRUE(copy.LoadFile(m_folder.File(L"export.xml")));
    EXPECT_EQ(copy.notes, m_notes.notes);
}

TEST_F(NotesFile, ImportReplacesTheStoreOnlyWithAFileThatLoads) {
    CRecorderWindow view;
    ASSERT_TRUE(m_notes.Add(Note(L"original")));
    const std::string before = ReadBytes(m_notes.GetPath());
    m_notes.AddView(CTestNotes::kImported, view.Get(), kViewMessage);
    const std::wstring source = m_folder.File(L"import.xml");

    ASSERT_TRUE(WriteBytes(source, "<notes>\r\n  <note title=\"x\">\r\n</notes>"));
    EXPECT_FALSE(m_notes.Import(source));
    EXPECT_EQ(m_notes.GetError().rfind(L"XmlReader: Line=3", 0), 0u) << testing::PrintToString(m_notes.GetError());
    EXPECT_FALSE(m_notes.Import(m_folder.File(L"missing.xml")));
    EXPECT_EQ(m_notes.GetError(), L"XmlReader: Invalid.");
    EXPECT_EQ(m_notes.notes, std::vector<CTestNote>{Note(L"original")});
    EXPECT_TRUE(m_notes.IsValid());
    EXPECT_EQ(ReadBytes(m_notes.GetPath()), before);
    EXPECT_TRUE(view.GetReceived().empty());

    ASSERT_TRUE(WriteBytes(source, "<notes><note title=\"A &amp; B\" count=\"3\">body</note></notes>"));
    ASSERT_TRUE(m_notes.Import(source));
    ASSERT_EQ(m_notes.notes.size(), 1u);
    EXPECT_EQ(m_notes.notes[0].title, L"A & B");
    EXPECT_EQ(view.GetReceived().size(), 1u);
    EXPECT_FALSE(m_notes.IsChanged());
    EXPECT_EQ(ReadByAnother(), m_notes.notes);
}

// A second process that waits until the named event is set: argv = event name.
int WaitingProcessHelper(int argc, wchar_t** argv) {
    const HANDLE event = argc < 1 ? nullptr : ::OpenEventW(SYNCHRONIZE, FALSE, argv[0]);
    if (!event) {
        return 2;
    }
    const DWORD waited = ::WaitForSingleObject(event, 30000);
    ::CloseHandle(event);
    return waited == WAIT_OBJECT_0 ? 0 : 3;
}
FOLIVEX_TEST_HELPER(L"xml-waiting-process", WaitingProcessHelper);

std::wstring Hex(DWORD value) {
    wchar_t text[16] = {};
    std::swprintf(text, std::size(text), L"%lx", static_cast<unsigned long>(value));
    return text;
}

// Temporary names stay short beside a long target; the sweep removes only what a gone writer left: a process
// that no longer exists, or one that started after the file was made (its id was reused).
TEST_F(NotesFile, TemporaryNamesAreShortAndOnlyThoseOfGoneWritersAreRemoved) {
    const std::wstring temp = xml::CAtomicFile::MakeTempPath(m_folder.File(std::wstring(200, L'n') + L".xml"));
    EXPECT_EQ(temp.rfind(m_folder.Path() + L"\\~fvx", 0), 0u) << testing::PrintToString(temp);
    EXPECT_LE(temp.size() - m_folder.Path().size(), 26u) << testing::PrintToString(temp);

    const std::wstring early = m_folder.File(L"early");
    ASSERT_TRUE(WriteBytes(early, "x"));
    const std::wstring eventName = UniqueName(L"folivex waiting process");
    const HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    ASSERT_NE(release, nullptr);
    CHelperProcess later;
    ASSERT_TRUE(later.Start(L"xml-waiting-process", {eventName}));
    const std::wstring self = Hex(::GetCurrentProcessId());
    const std::wstring kept[] = {L"~fvx" + self + L"-0.tmp",
                                 L"chmhist.xml." + std::to_wstring(::GetCurrentProcessId()) + L"-3.tmp", L"notes.tmp",
                                 L"~fvxzz-1.tmp", L"report.7-1.tmp"};
    for (const std::wstring& name : kept) {
        ASSERT_TRUE(WriteBytes(m_folder.File(name), "kept"));
    }
    for (const std::wstring& name :
         {std::wstring(L"~fvx3ffffff0-1.tmp"), std::wstring(L"chmlib.xml.1073741808-2.tmp")}) {
        ASSERT_TRUE(WriteBytes(m_folder.File(name), "gone"));
    }
    ASSERT_TRUE(::MoveFileW(early.c_str(), m_folder.File(L"~fvx" + Hex(later.GetId()) + L"-4.tmp").c_str()));
    ASSERT_TRUE(::CreateDirectoryW(m_folder.File(L"~fvx3ffffff0-5.tmp").c_str(), nullptr));

    EXPECT_EQ(xml::RemoveStaleTempFiles(m_folder.Path()), 3u);
    std::vector<std::wstring> expected(std::begin(kept), std::end(kept));
    expected.push_back(L"~fvx3ffffff0-5.tmp");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(ListFolder(m_folder.Path()), expected);
    ::SetEvent(release);
    EXPECT_EQ(later.Wait(), 0);
    ::CloseHandle(release);
}

} // namespace
