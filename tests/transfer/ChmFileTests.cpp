// The compiled-help signature test on real files: short, right, wrong, locked, missing and odd names.

#include "transfer/ChmFile.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include "win/Handles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <utility>

namespace {

using transfer::IsChmFile;

const std::string kChmStart("ITSF\x03\x00\x00\x00\x60\x00\x00\x00", 12);

TEST(ChmFile, SignatureOnTheFirstFourBytes) {
    const std::pair<std::string, bool> cases[] = {
        {"", false},
        {"ITS", false},
        {"ITSF", true},
        {"itsf", true},
        {"ItSf", true},
        {kChmStart, true},
        {"ITSG", false},
        {" ITSF", false},
        {std::string("ITS\0", 4), false},
        {std::string("\0TSF", 4), false},
        {"\xC4\xB1TSF", false}, // a dotless i in UTF-8 is no letter I
    };
    CTempFolder folder;
    int index = 0;
    for (const auto& [bytes, expected] : cases) {
        // The name says nothing: the extension is never looked at.
        const std::wstring path = folder.File(L"case" + std::to_wstring(index++) + (expected ? L".txt" : L".chm"));
        ASSERT_TRUE(WriteBytes(path, bytes));
        EXPECT_EQ(IsChmFile(path), expected) << path;
        EXPECT_TRUE(::DeleteFileW(path.c_str())) << path; // left closed
    }
}

TEST(ChmFile, TopicPathsNameTheDocument) {
    CTempFolder folder;
    const std::wstring path = folder.File(L"\u30D8\u30EB\u30D7 \xD83D\xDE00.chm");
    ASSERT_TRUE(WriteBytes(path, kChmStart));
    for (const std::wstring& text :
         {L"  " + path + L"\t", L"mk:@MSITStore:" + path + L"::/b.htm", L"MS-ITS:" + path + L"::/x.htm > main"}) {
        EXPECT_TRUE(IsChmFile(text)) << text;
    }
    EXPECT_FALSE(IsChmFile(L"xms-its:" + path));
}

TEST(ChmFile, MissingFoldersAndEmptyNamesFail) {
    CTempFolder folder;
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"sub.chm").c_str(), nullptr));
    for (const std::wstring& text : {std::wstring(), std::wstring(L"::/b.htm"), folder.File(L"missing.chm"),
                                     folder.File(L"missing\\a.chm"), folder.File(L"sub.chm")}) {
        EXPECT_FALSE(IsChmFile(text)) << text;
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

TEST(ChmFile, ANulInsideTheNameIsNotCutShort) {
    CTempFolder folder;
    const std::wstring path = folder.File(L"a.chm");
    ASSERT_TRUE(WriteBytes(path, kChmStart));
    ASSERT_TRUE(IsChmFile(path));
    EXPECT_FALSE(IsChmFile(path + std::wstring(L"\0.txt", 5)));
}

// A pipe that never delivers must not hold the caller: only disk files are read.
TEST(ChmFile, APipeIsNotWaitedOn) {
    const std::wstring name = L"\\\\.\\pipe\\" + UniqueName(L"folivex-chm-test");
    win::CFileHandleRaii server(
        ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 64, 64, 0, nullptr));
    ASSERT_TRUE(server);
    auto result = std::async(std::launch::async, [&name] { return IsChmFile(name); });
    const bool finished = result.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!finished) {
        DWORD written = 0;
        EXPECT_TRUE(::WriteFile(server.Get(), "ITSF", 4, &written, nullptr)); // let the stuck read end
    }
    EXPECT_TRUE(finished);
    EXPECT_FALSE(result.get());
}

} // namespace
