// File objects on real files: exact reads and writes, 64-bit sizes, times, properties, and temporary files
// that exist exactly as long as their objects.

#include "transfer/FileObjects.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <memory>
#include <string>

using namespace transfer;

namespace {

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

std::wstring NameOf(const std::wstring& path) {
    return path.substr(path.find_last_of(L'\\') + 1);
}

std::wstring LongTempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, buffer);
    ::GetLongPathNameW(buffer, buffer, MAX_PATH);
    return buffer;
}

FILETIME MakeFileTime(uint64_t value) {
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFFu), static_cast<DWORD>(value >> 32)};
}

uint64_t ToUInt(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

} // namespace

TEST(FileHandle, PropertiesAreNamedExactlyAndReplaced) {
    CFileChm file(L"C:\\doc.chm");
    EXPECT_EQ(file.GetProperty(kTopicProperty), L"");
    file.SetProperty(kTopicProperty, L"/a.html#x");
    file.SetProperty(L"Topic", L"other");
    EXPECT_EQ(file.GetProperty(L"topic"), L"/a.html#x");
    EXPECT_EQ(file.GetProperty(L"Topic"), L"other");
    file.SetProperty(L"topic", L"/b.html");
    EXPECT_EQ(file.GetProperty(L"topic"), L"/b.html");
    EXPECT_EQ(file.GetProperty(L"missing"), L"");
}

TEST(FileHandle, RefusesWhatNeedsAPathOrAHandle) {
    CFileHandle none;
    uint64_t size = 7;
    FileTimes times;
    char one = 0;
    EXPECT_FALSE(none.Open());
    EXPECT_FALSE(none.Create(GENERIC_READ, 0, OPEN_ALWAYS));
    EXPECT_FALSE(none.Delete());
    EXPECT_FALSE(none.CopyTo(L"C:\\x.chm", true));
    EXPECT_FALSE(none.Read(&one, 1));
    EXPECT_FALSE(none.Write(&one, 1));
    EXPECT_FALSE(none.Flush());
    EXPECT_FALSE(none.Seek(0, 0, FILE_BEGIN));
    EXPECT_FALSE(none.GetSize(size));
    EXPECT_EQ(size, 7u);
    EXPECT_FALSE(none.SetSize(0, 0));
    EXPECT_FALSE(none.GetTimes(times));
    EXPECT_FALSE(none.SetTimes(times));
    // A local document cannot open itself either; only a temporary one can.
    CTempFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File(L"a.chm"), "ITSF"));
    CFileChm local(folder.File(L"a.chm"));
    EXPECT_FALSE(local.Open());
    EXPECT_FALSE(local.IsOpen());
}

TEST(FileHandle, ReadAndWriteSucceedOnlyForTheWholeCount) {
    CTempFolder folder;
    CFileHandle file(folder.File(L"rw.bin"));
    ASSERT_TRUE(file.Create(GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.Write("abcdef", 6));
    ASSERT_TRUE(file.Flush());
    char buffer[16] = {};
    ASSERT_TRUE(file.Seek(0, 0, FILE_BEGIN));
    EXPECT_TRUE(file.Read(buffer, 4));
    EXPECT_EQ(std::string(buffer, 4), "abcd");
    EXPECT_FALSE(file.Read(buffer, 4)); // only two bytes are left
    // A negative distance from the end: high part -1.
    ASSERT_TRUE(file.Seek(static_cast<DWORD>(-3), -1, FILE_END));
    EXPECT_TRUE(file.Read(buffer, 3));
    EXPECT_EQ(std::string(buffer, 3), "def");
}

TEST(FileHandle, SizesUseBothHalves) {
    CTempFolder folder;
    CFileHandle file(folder.File(L"big.bin"));
    ASSERT_TRUE(file.Create(GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    ASSERT_TRUE(file.Write("0123456789", 10));
    uint64_t size = 0;
    ASSERT_TRUE(file.GetSize(size));
    EXPECT_EQ(size, 10u);
    // Past 4 GiB; the file system keeps it sparse.
    ASSERT_TRUE(file.SetSize(0x10, 1));
    ASSERT_TRUE(file.GetSize(size));
    EXPECT_EQ(size, 0x100000010ull);
    ASSERT_TRUE(file.SetSize(3, 0));
    ASSERT_TRUE(file.GetSize(size));
    EXPECT_EQ(size, 3u);
    // What the download does before writing: empty the file and write from its start.
    ASSERT_TRUE(file.SetSize(0, 0));
    ASSERT_TRUE(file.Write("xy", 2));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(folder.File(L"big.bin")), "xy");
}

TEST(FileHandle, SetTimesChangesOnlyTheValidEntries) {
    CTempFolder folder;
    CFileHandle file(folder.File(L"times.bin"));
    ASSERT_TRUE(file.Create(GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS));
    FileTimes before;
    ASSERT_TRUE(file.GetTimes(before));
    EXPECT_TRUE(before.creation.valid && before.lastWrite.valid && before.lastAccess.valid);
    const uint64_t old = 125911584000000000ull; // 2000-01-01 00:00:00 UTC
    const struct {
        const char* name;
        FileTimeEntry FileTimes::*entry;
    } cases[] = {{"last write", &FileTimes::lastWrite}, {"last access", &FileTimes::lastAccess}};
    for (const auto& c : cases) {
        FileTimes set;
        (set.*c.entry).valid = true;
        (set.*c.entry).time = MakeFileTime(old);
        ASSERT_TRUE(file.SetTimes(set)) << c.name;
        FileTimes after;
        ASSERT_TRUE(file.GetTimes(after)) << c.name;
        EXPECT_EQ(ToUInt((after.*c.entry).time), old) << c.name;
    }
    FileTimes after;
    ASSERT_TRUE(file.GetTimes(after));
    // Setting last access alone left last write where the first case put it.
    EXPECT_EQ(ToUInt(after.lastWrite.time), old);
    EXPECT_NE(ToUInt(after.lastWrite.time), ToUInt(before.lastWrite.time));
}

TEST(FileHandle, DeleteRemovesTheFileAndForgetsItsName) {
    CTempFolder folder;
    const std::wstring path = folder.File(L"gone.bin");
    CFileHandle file(path);
    ASSERT_TRUE(file.Create(GENERIC_WRITE, 0, CREATE_ALWAYS));
    // Deleting closes the handle first, so an open file can be deleted.
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(Exists(path));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.GetPath().empty());
    EXPECT_FALSE(file.Delete());
    // A file that is already gone cannot be deleted, and the object keeps its name.
    CFileHandle missing(folder.File(L"never.bin"));
    EXPECT_FALSE(missing.Delete());
    EXPECT_EQ(missing.GetPath(), folder.File(L"never.bin"));
}

TEST(FileChm, DestroyingTheObjectLeavesTheDocumentAlone) {
    CTempFolder folder;
    const std::wstring path = folder.File(L"local.chm");
    ASSERT_TRUE(WriteBytes(path, "ITSF"));
    {
        auto file = std::make_unique<CFileChm>(path);
        ASSERT_TRUE(file->OpenExisting(GENERIC_READ, FILE_SHARE_READ));
    }
    EXPECT_EQ(ReadBytes(path), "ITSF");
}

TEST(FileChmTemp, IsAChmNamedFileInTheTemporaryFolderGoneWithItsObject) {
    std::wstring path;
    {
        CFileChmTemp file;
        ASSERT_TRUE(file.Open());
        path = file.GetPath();
        EXPECT_TRUE(file.IsOpen());
        EXPECT_TRUE(Exists(path));
        EXPECT_EQ(FolderOf(path), LongTempFolder());
        const std::wstring name = NameOf(path);
        ASSERT_EQ(name.size(), 11u) << name; // "chm", four hexadecimal digits, ".chm"
        EXPECT_EQ(name.substr(0, 3), L"chm");
        for (size_t i = 3; i < 7; ++i) {
            EXPECT_TRUE(std::iswxdigit(name[i])) << name;
        }
        EXPECT_EQ(name.substr(7), L".chm");
        // The placeholder the system created under a ".tmp" name was renamed, not left behind.
        EXPECT_FALSE(Exists(path.substr(0, path.size() - 4) + L".tmp"));
        // Open for reading and writing and shared with nobody while it is being written.
        EXPECT_EQ(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr),
                  INVALID_HANDLE_VALUE);
        ASSERT_TRUE(file.Write("ITSF", 4));
        ASSERT_TRUE(file.Seek(0, 0, FILE_BEGIN));
        char buffer[4] = {};
        EXPECT_TRUE(file.Read(buffer, 4));
        EXPECT_EQ(std::string(buffer, 4), "ITSF");
        // Opening twice would lose track of the first file.
        EXPECT_FALSE(file.Open());
        EXPECT_EQ(file.GetPath(), path);
    }
    EXPECT_FALSE(Exists(path));
}

TEST(FileChmTemp, IsDeletedAlsoWhenClosedOrNeverOpened) {
    std::wstring path;
    {
        CFileChmTemp file;
        ASSERT_TRUE(file.Open());
        path = file.GetPath();
        ASSERT_TRUE(file.Close());
        EXPECT_TRUE(Exists(path));
    }
    EXPECT_FALSE(Exists(path));
    // An object that never opened names no file and has nothing to delete.
    CFileChmTemp unopened;
    EXPECT_TRUE(unopened.GetPath().empty());
}

TEST(FileChmTemp, OpeningAgainAfterACloseReplacesTheEarlierFile) {
    CFileChmTemp file;
    ASSERT_TRUE(file.Open());
    const std::wstring first = file.GetPath();
    ASSERT_TRUE(file.Close());
    ASSERT_TRUE(file.Open());
    EXPECT_FALSE(Exists(first));
    EXPECT_TRUE(Exists(file.GetPath()));
}
