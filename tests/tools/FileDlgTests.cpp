// The file dialogs' rules: the filter text, the default folder, and the targets a save must refuse.

#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "tools/FileDlgRules.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

using tools::SaveVerdict;

bool MakeFolder(const std::wstring& path) {
    return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool MakeFile(const std::wstring& path) {
    return WriteBytes(path, "");
}

std::wstring CurrentDirectory() {
    wchar_t buffer[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, buffer);
    return buffer;
}

std::wstring Upper(std::wstring text) {
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

TEST(FileDlgRules, FilterHoldsLabelsAndPatternsEachEndedByNul) {
    EXPECT_EQ(tools::BuildFilter(IDS_FILTER_DOC, L"chm"),
              L"ドキュメントファイル (*.chm)\0*.chm\0すべてのファイル (*.*)\0*.*\0\0"s);
    EXPECT_EQ(tools::BuildFilter(IDS_FILTER_DATA, L"xml"),
              L"データファイル (*.xml)\0*.xml\0すべてのファイル (*.*)\0*.*\0\0"s);
}

TEST(FileDlgRules, DefaultFolderResolvesAgainstTheExecutionDirectoryOnly) {
    CTempFolder exec;
    CTempFolder elsewhere;
    ASSERT_TRUE(MakeFolder(exec.File(L"docs")));
    ASSERT_TRUE(MakeFolder(exec.File(L"data")));
    // The current directory has a "docs" too: taking it would be the mistake this guards against.
    ASSERT_TRUE(MakeFolder(elsewhere.File(L"docs")));
    const std::wstring before = CurrentDirectory();
    ASSERT_TRUE(::SetCurrentDirectoryW(elsewhere.Path().c_str()));
    const std::wstring rootRelative = exec.Path().substr(2) + L"\\docs";

    const struct {
        bool enable;
        std::wstring folder;
        std::wstring expected;
    } cases[] = {
        {false, L"docs", L""},
        {true, L"", L""},
        {true, L"docs", exec.File(L"docs")},
        {true, L"docs\\", exec.File(L"docs")},
        {true, L"  docs ", exec.File(L"docs")},
        {true, L"docs\\..\\data", exec.File(L"data")},
        {true, L"missing", L""},
        {true, exec.File(L"docs"), exec.File(L"docs")},
        {true, rootRelative, exec.File(L"docs")},
        {true, exec.Path().substr(0, 2) + L"docs", exec.File(L"docs")},
        {true, exec.File(L"docs.chm"), L""},
    };
    for (const auto& c : cases) {
        const std::wstring resolved = tools::ResolveDefaultFolder({c.enable, c.folder}, exec.Path());
        EXPECT_TRUE(win::EqualsNoCaseAscii(resolved, c.expected)) << c.folder << L" -> " << resolved;
    }
    EXPECT_TRUE(win::EqualsNoCaseAscii(CurrentDirectory(), elsewhere.Path()));
    ::SetCurrentDirectoryW(before.c_str());
}

// A copy of a document never goes onto the open document, and an export never onto a file of the data folder.
TEST(FileDlgRules, SaveTargetsRefuseTheOpenDocumentAndTheDataFilesAndAskBeforeOverwriting) {
    CTempFolder folder;
    const std::wstring open = folder.File(L"Open.chm");
    const std::wstring data = folder.File(L"data");
    ASSERT_TRUE(MakeFolder(data) && MakeFolder(data + L"\\sub"));
    for (const std::wstring& file :
         {open, folder.File(L"other.chm"), data + L"\\chmlib.xml", data + L"\\sub\\lib.xml"}) {
        ASSERT_TRUE(MakeFile(file));
    }
    const struct {
        bool dataFile;
        std::wstring path;
        std::wstring other; // the open document, or the data folder
        SaveVerdict expected;
    } cases[] = {
        {false, open, open, SaveVerdict::RefuseOpenDocument},
        {false, Upper(open), open, SaveVerdict::RefuseOpenDocument},
        {false, folder.File(L"sub\\..\\open.chm"), open, SaveVerdict::RefuseOpenDocument},
        {false, folder.File(L"other.chm"), open, SaveVerdict::AskOverwrite},
        {false, folder.File(L"new.chm"), open, SaveVerdict::Accept},
        {false, open, L"", SaveVerdict::AskOverwrite},
        {true, data + L"\\chmlib.xml", data, SaveVerdict::RefuseDataFolder},
        {true, Upper(data + L"\\chmlib.xml"), data + L"\\", SaveVerdict::RefuseDataFolder},
        {true, data + L"\\new.xml", data, SaveVerdict::Accept},
        {true, data + L"\\sub\\lib.xml", data, SaveVerdict::AskOverwrite},
        {true, open, data, SaveVerdict::AskOverwrite},
        {true, data, folder.Path(), SaveVerdict::Accept},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.dataFile ? tools::CheckDataSaveTarget(c.path, c.other) : tools::CheckDocSaveTarget(c.path, c.other),
                  c.expected)
            << c.path;
    }
}

} // namespace
