// File objects on real files: exact reads and writes, 64-bit sizes, and temporary files that exist exactly as
// long as their objects.

#include "TransferTestSupport.h"

#include "transfer/FileObjects.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cwctype>
#include <memory>
#include <string>

using namespace transfer;

TEST(FileHandle, ReadSucceedsOnlyForTheWholeCountAndSizesUseBothHalves) {
    CTempFolder folder;
    CFileHandle file(folder.File(L"rw.bin"));
    ASSERT_TRUE(file.Create(GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.Write("abcdef", 6));
    char buffer[8] = {};
    ASSERT_TRUE(file.Seek(0, 0, FILE_BEGIN));
    EXPECT_TRUE(file.Read(buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_FALSE(file.Read(buffer, 4)); // only two bytes are left
    ASSERT_TRUE(file.Seek(static_cast<DWORD>(-3), -1, FILE_END));
    EXPECT_TRUE(file.Read(buffer, 3));
    EXPECT_EQ(std::string(buffer, 3), "def");
    uint64_t size = 0;
    ASSERT_TRUE(file.SetSize(0x10, 1)); // past 4 GiB; the file system keeps it sparse
    ASSERT_TRUE(file.GetSize(size));
    EXPECT_EQ(size, 0x100000010ull);
    ASSERT_TRUE(file.SetSize(0, 0));
    ASSERT_TRUE(file.Write("xy", 2));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(folder.File(L"rw.bin")), "xy");
}

TEST(FileChm, DestroyingTheObjectLeavesTheDocumentAlone) {
    CTempFolder folder;
    const std::wstring path = folder.File(L"local.chm");
    ASSERT_TRUE(WriteBytes(path, "ITSF"));
    {
        CFileChm file(path);
        EXPECT_FALSE(file.Open()); // only a temporary document creates itself
        ASSERT_TRUE(file.OpenExisting(GENERIC_READ, FILE_SHARE_READ));
    }
    EXPECT_EQ(ReadBytes(path), "ITSF");
}

TEST(FileChmTemp, IsAChmNamedFileInTheTemporaryFolderGoneWhenReopenedAndWithItsObject) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, temp);
    ::GetLongPathNameW(temp, temp, MAX_PATH);
    std::wstring path;
    {
        CFileChmTemp file;
        ASSERT_TRUE(file.Open());
        const std::wstring first = file.GetPath();
        const std::wstring name = first.substr(first.find_last_of(L'\\') + 1);
        EXPECT_EQ(first.substr(0, first.size() - name.size()), temp);
        // "chm", the system's unique number in hexadecimal (four digits on Windows, without leading zeros on
        // Wine), ".chm".
        ASSERT_GE(name.size(), 8u) << name;
        ASSERT_LE(name.size(), 11u) << name;
        EXPECT_EQ(name.substr(0, 3) + name.substr(name.size() - 4), L"chm.chm") << name;
        const std::wstring digits = name.substr(3, name.size() - 7);
        EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return std::iswxdigit(c) != 0; }))
            << name;
        // The placeholder the system created under a ".tmp" name was renamed, not left behind.
        EXPECT_FALSE(Exists(first.substr(0, first.size() - 4) + L".tmp"));
        // Shared with nobody while it is being written.
        EXPECT_EQ(::CreateFileW(first.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr),
                  INVALID_HANDLE_VALUE);
        ASSERT_TRUE(file.Write("ITSF", 4));
        EXPECT_FALSE(file.Open()); // opening twice would lose track of the first file
        ASSERT_TRUE(file.Close());
        EXPECT_TRUE(Exists(first));
        ASSERT_TRUE(file.Open());
        path = file.GetPath();
        EXPECT_FALSE(Exists(first));
        ASSERT_TRUE(file.Close());
        EXPECT_TRUE(Exists(path));
    }
    EXPECT_FALSE(Exists(path));
}
