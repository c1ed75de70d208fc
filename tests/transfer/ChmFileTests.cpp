// The compiled-help signature test on real files: short, right, wrong, locked, missing and topic paths.

#include "transfer/ChmFile.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include "win/Handles.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using transfer::IsChmFile;

namespace {
const std::string kChmStart("ITSF\x03\x00\x00\x00\x60\x00\x00\x00", 12);
}

TEST(ChmFile, SignatureOnTheFirstFourBytes) {
    const std::pair<std::string, bool> cases[] = {
        {"", false},
        {"ITS", false},
        {"ItSf", true},
        {kChmStart, true},
        {"ITSG", false},
        {" ITSF", false},
        {std::string("ITS\0", 4), false},
        {"\xC4\xB1TSF", false}, // a dotless i is no letter I
    };
    CTempFolder folder;
    int index = 0;
    for (const auto& [bytes, expected] : cases) {
        // The extension is never looked at.
        const std::wstring path = folder.File(L"case" + std::to_wstring(index++) + (expected ? L".txt" : L".chm"));
        ASSERT_TRUE(WriteBytes(path, bytes));
        EXPECT_EQ(IsChmFile(path), expected) << path;
        EXPECT_TRUE(::DeleteFileW(path.c_str())) << path; // left closed
    }
}

TEST(ChmFile, PathsAndTopicPathsNameTheDocument) {
    CTempFolder folder;
    const std::wstring path = folder.File(L"\u30D8\u30EB\u30D7 \xD83D\xDE00.chm");
    ASSERT_TRUE(WriteBytes(path, kChmStart));
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"sub.chm").c_str(), nullptr));
    const std::pair<std::wstring, bool> cases[] = {
        {L"  " + path + L"\t", true},
        {L"mk:@MSITStore:" + path + L"::/b.htm", true},
        {L"MS-ITS:" + path + L"::/x.htm > main", true},
        {L"xms-its:" + path, false},
        {path + std::wstring(L"\0.txt", 5), false},
        {L"", false},
        {L"::/b.htm", false},
        {folder.File(L"missing.chm"), false},
        {folder.File(L"missing\\a.chm"), false},
        {folder.File(L"sub.chm"), false},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(IsChmFile(text), expected) << text;
    }
}

TEST(ChmFile, LockedAgainstReadingFailsSharedReadingPasses) {
    CTempFolder folder;
    const std::wstring path = folder.File(L"a.chm");
    ASSERT_TRUE(WriteBytes(path, kChmStart));
    for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
        win::CFileHandleRaii other(
            ::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(other);
        EXPECT_EQ(IsChmFile(path), share != 0);
    }
}
