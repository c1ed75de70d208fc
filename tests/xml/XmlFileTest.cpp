// Whole documents in text and files: round trips, atomic saves, change detection and the shared mutex.

#include "common/TestFiles.h"
#include "TestRecords.h"

#include "common/HelperMode.h"
#include "common/TempFolder.h"

#include "xml/AtomicFile.h"
#include "xml/XmlFile.h"

#include "win/Strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t* const kAwkward[] = {
    L"Q&A",
    L"<tag attr=\"v\">",
    L"it's \"quoted\"",
    L"&amp; stays literal",
    L"]]> and ]]&gt;",
    L"C:\\Program Files (x86)\\a&b\\<guide>.chm",
    L"http://host/p?a=1&b=<2>&c=\"3\"#'x'",
    L"日本語のヘルプ",
    L"emoji \xD83D\xDE00 and \xD840\xDC0B",
    L"  blanks around  ",
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

TEST(XmlDocument, AnEmptyRootLoadsWithDefaultsAndAWrongRootFails) {
    CTestNotes notes;
    notes.notes = AwkwardNotes();
    ASSERT_TRUE(notes.LoadText("<notes />"));
    EXPECT_TRUE(notes.notes.empty());
    EXPECT_TRUE(notes.IsValid());
    EXPECT_FALSE(notes.LoadText("<history/>"));
    EXPECT_FALSE(notes.IsValid());
    EXPECT_EQ(notes.GetError().rfind(L"XmlReader:", 0), 0u);
    EXPECT_FALSE(notes.LoadText(""));
    EXPECT_EQ(notes.GetError(), L"XmlReader: Invalid.");
}

TEST(XmlDocument, NumbersClampAndJunkFailsTheWholeRead) {
    CTestNotes notes;
    ASSERT_TRUE(notes.LoadText("<notes><note count=\"500\" flag=\"on\" kind=\"BOLD\"/><note count=\"0\"/></notes>"));
    ASSERT_EQ(notes.notes.size(), 2u);
    EXPECT_EQ(notes.notes[0].count, 50u);
    EXPECT_TRUE(notes.notes[0].flag);
    EXPECT_EQ(notes.notes[0].kind, NoteKind::Plain);
    EXPECT_EQ(notes.notes[1].count, 1u);
    EXPECT_FALSE(notes.LoadText("<notes><note count=\"5x\"/></notes>"));
    EXPECT_EQ(notes.GetError(), L"XmlReader: Line=1 Column=9 Depth=1 Name=note");
    EXPECT_FALSE(notes.LoadText("<notes><note count=\" 5\"/></notes>"));
    EXPECT_FALSE(notes.LoadText("<notes><note time=\"12.5\"/></notes>"));
}

TEST(XmlDocument, AnInvalidRootRefusesToBeWritten) {
    CTempFolder folder;
    CTestNotes notes;
    ASSERT_FALSE(notes.LoadText("<notes><note count=\"x\"/></notes>"));
    std::string text;
    EXPECT_FALSE(notes.SaveText(text));
    EXPECT_FALSE(notes.SaveFile(folder.File(L"out.xml")));
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::wstring>{});
    ASSERT_TRUE(notes.Reset());
    EXPECT_TRUE(notes.SaveText(text));
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

TEST(XmlFileSave, AReadOnlyOrLockedTargetLeavesTheOldFile) {
    CTempFolder folder;
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    ASSERT_TRUE(notes.SaveLocked());
    const std::string before = ReadBytes(notes.GetPath());
    notes.notes = AwkwardNotes();

    ASSERT_TRUE(::SetFileAttributesW(notes.GetPath().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(notes.SaveLocked());
    ExpectUntouched(folder, before);
    ASSERT_TRUE(::SetFileAttributesW(notes.GetPath().c_str(), FILE_ATTRIBUTE_NORMAL));

    {
        // Another program holding the file open without delete sharing.
        win::CFileHandleRaii holder(::CreateFileW(notes.GetPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder.IsValid());
        EXPECT_FALSE(notes.SaveLocked());
    }
    ExpectUntouched(folder, before);

    EXPECT_TRUE(notes.SaveLocked());
    EXPECT_NE(ReadBytes(notes.GetPath()), before);
    EXPECT_EQ(ListFolder(folder.Path()), std::vector<std::wstring>{L"chmlib.xml"});
}

TEST(XmlFileSave, TemporaryNamesNeverLookLikeDataFiles) {
    const std::wstring dataNames[] = {L"folivex.xml", L"chmhist.xml", L"chmlib.xml",
                                      L"chmkey.xml",  L"chmurls.xml", L"chmlay.xml"};
    for (const std::wstring& name : dataNames) {
        const std::wstring temp = xml::CAtomicFile::MakeTempPath(L"C:\\data\\" + name);
        const std::wstring tempName = temp.substr(temp.rfind(L'\\') + 1);
        for (const std::wstring& other : dataNames) {
            EXPECT_FALSE(win::EqualsNoCaseAscii(tempName, other)) << testing::PrintToString(tempName);
        }
        EXPECT_EQ(temp.rfind(L"C:\\data\\", 0), 0u) << "same folder, so the move stays on one volume";
    }
}

TEST(XmlFileLoad, TheFileCannotBeWrittenWhileItIsRead) {
    CTempFolder folder;
    const std::wstring path = folder.File(L"chmlib.xml");
    ASSERT_TRUE(WriteBytes(path, "<notes/>"));
    xml::CXmlReader reader;
    ASSERT_TRUE(reader.OpenFile(path));
    win::CFileHandleRaii writer(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(writer.IsValid());
    reader.Close();
    writer.Reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(writer.IsValid());
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

int AbandonMutexHelper(int, wchar_t**) {
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, xml::kXmlFileMutexName);
    if (!mutex || ::WaitForSingleObject(mutex, INFINITE) == WAIT_FAILED) {
        return 2;
    }
    // Ends while owning the mutex: the next waiter gets it abandoned.
    ::ExitProcess(0);
}
FOLIVEX_TEST_HELPER(L"xml-abandon-mutex", AbandonMutexHelper);

TEST(XmlFileLock, AnAbandonedMutexCountsAsAcquired) {
    CTempFolder folder;
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    ASSERT_TRUE(notes.SaveLocked());
    CHelperProcess helper;
    ASSERT_TRUE(helper.Start(L"xml-abandon-mutex"));
    ASSERT_EQ(helper.Wait(), 0);
    EXPECT_TRUE(notes.LoadLocked());
    EXPECT_TRUE(notes.SaveLocked());
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
