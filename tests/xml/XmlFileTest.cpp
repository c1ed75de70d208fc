// Whole documents in text and files: round trips, atomic saves, change detection and the shared mutex.

#include "TestRecords.h"
#include "common/HelperMode.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "xml/XmlFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kAwkward[] = {
    L"Q&A",
    L"<tag attr=\"v\">",
    L"it's \"quoted\"",
    L"C:\\Program Files (x86)\\a&b\\<guide>.chm",
    L"http://host/p?a=1&b=<2>&c=\"3\"#'x'",
    L"日本語のヘルプ",
    L"emoji \xD83D\xDE00 and \xD840\xDC0B",
    L"",
};

std::vector<CTestNote> AwkwardNotes() {
    std::vector<CTestNote> notes;
    int64_t time = 4102444800LL;
    for (const wchar_t* text : kAwkward) {
        CTestNote note;
        note.title = text;
        note.body = text;
        note.count = 7;
        note.flag = !text[0] || text[0] == L'Q';
        note.kind = NoteKind::Italic;
        note.time = time++;
        notes.push_back(note);
    }
    return notes;
}

TEST(XmlDocument, AwkwardTextRoundTripsThroughTextAndFiles) {
    CTempFolder folder;
    CTestNotes original;
    original.notes = AwkwardNotes();

    std::string text;
    ASSERT_TRUE(original.SaveText(text));
    EXPECT_EQ(text.rfind("\r\n<notes>", 0), 0u) << "no declaration left";
    CTestNotes fromText;
    ASSERT_TRUE(fromText.LoadText(text)) << testing::PrintToString(fromText.GetError());
    EXPECT_EQ(fromText.notes, original.notes);

    const std::wstring path = folder.File(L"copy.xml");
    ASSERT_TRUE(original.SaveFile(path));
    CTestNotes fromFile;
    ASSERT_TRUE(fromFile.LoadFile(path)) << testing::PrintToString(fromFile.GetError());
    EXPECT_EQ(fromFile.notes, original.notes);
    EXPECT_EQ(ReadBytes(path).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<notes>\r\n  <note ", 0), 0u);
}

// The state every failed save must leave: the old file as it was and no temporary file beside it.
void ExpectUntouched(const CTempFolder& folder, const std::string& before) {
    EXPECT_EQ(ReadBytes(folder.File(L"chmlib.xml")), before);
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::wstring>{L"chmlib.xml"});
    CTestNotes check;
    check.SetFolder(folder.Path());
    EXPECT_TRUE(check.LoadLocked()) << testing::PrintToString(check.GetError());
}

TEST(XmlFileSave, AWriteFailingHalfWayLeavesTheOldFile) {
    CTempFolder folder;
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    notes.notes = AwkwardNotes();
    ASSERT_TRUE(notes.SaveLocked());
    const std::string before = ReadBytes(notes.GetPath());

    notes.notes.push_back(notes.notes.front());
    notes.failWriteAfter = 3;
    EXPECT_FALSE(notes.SaveLocked());
    ExpectUntouched(folder, before);

    notes.failWriteAfter = -1;
    notes.notes.back().title = std::wstring(L"bad \x0001 character");
    EXPECT_FALSE(notes.SaveLocked());
    ExpectUntouched(folder, before);
}

TEST(XmlFileChange, OwnSavesAreNotChangesButAnotherWritersAre) {
    CTempFolder folder;
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    EXPECT_FALSE(notes.IsChanged()) << "a missing file is no change";
    ASSERT_TRUE(notes.SaveLocked());
    EXPECT_FALSE(notes.IsChanged());
    EXPECT_NE(notes.GetRememberedTime(), 0u);

    ASSERT_TRUE(WaitUntilFileTimeAfter(folder.Path(), notes.GetRememberedTime()));
    ASSERT_TRUE(WriteBytes(notes.GetPath(), "<notes><note title=\"other\"/></notes>"));
    EXPECT_TRUE(notes.IsChanged());
    ASSERT_TRUE(notes.LoadLocked());
    EXPECT_FALSE(notes.IsChanged());
    ASSERT_EQ(notes.notes.size(), 1u);
    EXPECT_EQ(notes.notes[0].title, L"other");

    notes.SetPath(notes.GetPath());
    EXPECT_TRUE(notes.IsChanged()) << "a new path forgets the remembered time";
}

// A second process that edits the shared file under the mutex: argv = folder, rounds, tag.
int EditingProcessHelper(int argc, wchar_t** argv) {
    if (argc < 3) {
        return 2;
    }
    CTestNotes notes;
    notes.SetFolder(argv[0]);
    const int rounds = _wtoi(argv[1]);
    for (int i = 0; i < rounds; ++i) {
        if (!notes.Reload()) {
            return 10;
        }
        CTestNote note;
        note.title = std::wstring(argv[2]) + L" & <" + std::to_wstring(i) + L">";
        note.body = L"日本語 \xD83D\xDE00";
        if (notes.notes.size() > 20) {
            notes.notes.erase(notes.notes.begin());
        }
        if (!notes.Add(note)) {
            return 11;
        }
    }
    return 0;
}
FOLIVEX_TEST_HELPER(L"xml-editing-process", EditingProcessHelper);

TEST(XmlFileLock, TwoProcessesWritingTheSameFileNeverLeaveItUnreadable) {
    CTempFolder folder;
    CHelperProcess first;
    CHelperProcess second;
    ASSERT_TRUE(first.Start(L"xml-editing-process", {folder.Path(), L"60", L"first"}));
    ASSERT_TRUE(second.Start(L"xml-editing-process", {folder.Path(), L"60", L"second"}));

    CTestNotes reader;
    reader.SetFolder(folder.Path());
    int loads = 0;
    // Reads under the mutex for as long as either writer runs; every read must find a whole document.
    while (first.Wait(0) == -1 || second.Wait(0) == -1) {
        if (::GetFileAttributesW(reader.GetPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
            ::SwitchToThread();
            continue;
        }
        ASSERT_TRUE(reader.LoadLocked()) << testing::PrintToString(reader.GetError());
        ++loads;
    }
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);
    ASSERT_TRUE(reader.LoadLocked()) << testing::PrintToString(reader.GetError());
    EXPECT_FALSE(reader.notes.empty());
    for (const CTestNote& note : reader.notes) {
        EXPECT_TRUE(note.title.starts_with(L"first & <") || note.title.starts_with(L"second & <"))
            << testing::PrintToString(note.title);
    }
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::wstring>{L"chmlib.xml"});
    RecordProperty("loads", loads);
}

} // namespace
