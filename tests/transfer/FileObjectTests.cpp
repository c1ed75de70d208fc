// File objects on real files: exact reads and writes, 64-bit sizes, and temporary files that exist exactly as
// long as their objects.

#include "TransferTestSupport.h"

#include "transfer/FileObjects.h"

#include "win/Handles.h"

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
        // "chm", four hexadecimal digits, ".chm", as the system names its temporary files.
        ASSERT_EQ(name.size(), 11u) << name;
        EXPECT_EQ(name.substr(0, 3) + name.substr(7), L"chm.chm") << name;
        const std::wstring digits = name.substr(3, 4);
        EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return std::iswxdigit(c) != 0; }))
            << name;
        // No placeholder is left under a ".tmp" name.
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

namespace {

// Starts its names where the test expects them.
class CNumberedChmTemp : public CFileChmTemp {
protected:
    uint16_t FirstNameNumber() override { return 0xFFFE; }
};

// Points the temporary folder (which GetTempPathW takes from TMP) at a test folder while it lives.
class CTempFolderOverride {
public:
    explicit CTempFolderOverride(const std::wstring& folder) {
        wchar_t saved[MAX_PATH + 1] = {};
        const DWORD length = ::GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
        m_had = length > 0 && length <= MAX_PATH;
        m_saved.assign(saved, m_had ? length : 0);
        ::SetEnvironmentVariableW(L"TMP", (folder + L"\\").c_str());
    }
    CTempFolderOverride(const CTempFolderOverride&) = delete;
    CTempFolderOverride& operator=(const CTempFolderOverride&) = delete;
    ~CTempFolderOverride() { ::SetEnvironmentVariableW(L"TMP", m_had ? m_saved.c_str() : nullptr); }

private:
    bool m_had = false;
    std::wstring m_saved;
};

} // namespace

// A leftover of an earlier run, another instance's open document and a folder hold the first names (the numbers
// wrap past FFFF to 1): each is skipped and left as it was.
TEST(FileChmTemp, ANameInUseIsSkippedAndLeftAlone) {
    CTempFolder folder;
    const CTempFolderOverride redirect(folder.Path());
    const std::wstring leftover = folder.File(L"chmFFFE.chm");
    const std::wstring shown = folder.File(L"chmFFFF.chm");
    ASSERT_TRUE(WriteBytes(leftover, "left"));
    ASSERT_TRUE(WriteBytes(shown, "shown"));
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"chm0001.chm").c_str(), nullptr));
    win::CFileHandleRaii other(::CreateFileW(shown.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(other);
    std::wstring path;
    {
        CNumberedChmTemp file;
        ASSERT_TRUE(file.Open());
        path = file.GetPath();
        EXPECT_EQ(path, folder.File(L"chm0002.chm"));
        ASSERT_TRUE(file.Write("ITSF", 4));
    }
    EXPECT_FALSE(Exists(path));
    ASSERT_TRUE(other.Close());
    EXPECT_EQ(ReadBytes(leftover), "left");
    EXPECT_EQ(ReadBytes(shown), "shown");
}
