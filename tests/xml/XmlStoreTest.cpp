// The store pattern: reload by file time, refusal to save when invalid, export and import.

#include "common/RecorderWindow.h"
#include "TestRecords.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kViewMessage = WM_APP + 7;

CTestNote Note(const wchar_t* title) {
    CTestNote note;
    note.title = title;
    return note;
}

TEST(XmlStore, ReloadTwiceReadsOnceAndReadsAgainAfterAnotherWriter) {
    CTempFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File(L"chmlib.xml"), "<notes><note title=\"a\"/></notes>"));
    CRecorderWindow view;
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    notes.AddView(CTestNotes::kReloaded, view.Get(), kViewMessage, 1, 0);

    ASSERT_TRUE(notes.Reload());
    ASSERT_TRUE(notes.Reload());
    EXPECT_EQ(notes.reads, 1);
    EXPECT_EQ(view.GetReceived().size(), 1u) << "an unchanged file notifies nobody";
    ASSERT_EQ(notes.notes.size(), 1u);

    ASSERT_TRUE(WaitUntilFileTimeAfter(folder.Path(), notes.GetRememberedTime()));
    ASSERT_TRUE(WriteBytes(notes.GetPath(), "<notes><note title=\"a\"/><note title=\"b\"/></notes>"));
    ASSERT_TRUE(notes.Reload());
    EXPECT_EQ(notes.reads, 2);
    EXPECT_EQ(notes.notes.size(), 2u);
    EXPECT_EQ(view.GetReceived().size(), 2u);
}

TEST(XmlStore, AnInvalidStoreRefusesToSaveUntilARepairedFileReloads) {
    CTempFolder folder;
    const std::string broken = "<notes><note count=\"many\"/></notes>";
    ASSERT_TRUE(WriteBytes(folder.File(L"chmlib.xml"), broken));
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    EXPECT_FALSE(notes.Reload());
    EXPECT_FALSE(notes.IsValid());
    EXPECT_EQ(notes.GetError(), L"XmlReader: Line=1 Column=9 Depth=1 Name=note");

    EXPECT_FALSE(notes.Add(Note(L"refused")));
    EXPECT_EQ(ReadBytes(notes.GetPath()), broken);
    EXPECT_FALSE(notes.Export(folder.File(L"export.xml")));

    ASSERT_TRUE(WriteBytes(notes.GetPath(), "<notes><note title=\"repaired\"/></notes>"));
    ASSERT_TRUE(notes.Reload());
    EXPECT_TRUE(notes.IsValid());
    EXPECT_TRUE(notes.GetError().empty());
    ASSERT_TRUE(notes.Add(Note(L"accepted")));
    CTestNotes check;
    check.SetFolder(folder.Path());
    ASSERT_TRUE(check.LoadLocked());
    ASSERT_EQ(check.notes.size(), 2u);
    EXPECT_EQ(check.notes[1].title, L"accepted");
}

TEST(XmlStore, ExportRefusesTheStoresOwnFile) {
    CTempFolder folder;
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    ASSERT_TRUE(notes.Add(Note(L"kept")));
    const std::string before = ReadBytes(notes.GetPath());
    notes.notes.push_back(Note(L"in memory only"));

    std::wstring upper = notes.GetPath();
    for (wchar_t& c : upper) {
        c = static_cast<wchar_t>(::towupper(c));
    }
    const std::wstring sameFile[] = {notes.GetPath(), upper, folder.Path() + L"\\sub\\..\\chmlib.xml",
                                     folder.Path() + L"\\.\\CHMLIB.XML"};
    for (const std::wstring& path : sameFile) {
        EXPECT_FALSE(notes.Export(path)) << testing::PrintToString(path);
        EXPECT_EQ(ReadBytes(notes.GetPath()), before);
    }

    const std::wstring exported = folder.File(L"export.xml");
    ASSERT_TRUE(notes.Export(exported));
    CTestNotes copy;
    ASSERT_TRUE(copy.LoadFile(exported));
    EXPECT_EQ(copy.notes, notes.notes);
}

TEST(XmlStore, ImportOfAMalformedFileChangesNothing) {
    CTempFolder folder;
    CRecorderWindow view;
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    ASSERT_TRUE(notes.Add(Note(L"original")));
    const std::string before = ReadBytes(notes.GetPath());
    const auto memoryBefore = notes.notes;
    notes.AddView(CTestNotes::kImported, view.Get(), kViewMessage);

    const std::wstring source = folder.File(L"import.xml");
    ASSERT_TRUE(WriteBytes(source, "<notes>\r\n  <note title=\"x\">\r\n</notes>"));
    EXPECT_FALSE(notes.Import(source));
    EXPECT_EQ(notes.notes, memoryBefore);
    EXPECT_TRUE(notes.IsValid());
    EXPECT_EQ(ReadBytes(notes.GetPath()), before);
    EXPECT_EQ(notes.GetError().rfind(L"XmlReader: Line=3", 0), 0u) << testing::PrintToString(notes.GetError());
    EXPECT_TRUE(view.GetReceived().empty());

    EXPECT_FALSE(notes.Import(folder.File(L"missing.xml")));
    EXPECT_EQ(notes.GetError(), L"XmlReader: Invalid.");
    EXPECT_EQ(notes.notes, memoryBefore);
}

TEST(XmlStore, ImportReplacesTheStoreWritesItsFileAndNotifies) {
    CTempFolder folder;
    CRecorderWindow view;
    CTestNotes notes;
    notes.SetFolder(folder.Path());
    ASSERT_TRUE(notes.Add(Note(L"original")));
    notes.AddView(CTestNotes::kImported, view.Get(), kViewMessage);

    const std::wstring source = folder.File(L"import.xml");
    ASSERT_TRUE(WriteBytes(source, "<notes><note title=\"A &amp; B\" count=\"3\">body</note></notes>"));
    ASSERT_TRUE(notes.Import(source));
    ASSERT_EQ(notes.notes.size(), 1u);
    EXPECT_EQ(notes.notes[0].title, L"A & B");
    EXPECT_EQ(view.GetReceived().size(), 1u);
    EXPECT_FALSE(notes.IsChanged());
    CTestNotes check;
    check.SetFolder(folder.Path());
    ASSERT_TRUE(check.LoadLocked());
    EXPECT_EQ(check.notes, notes.notes);
}

} // namespace
