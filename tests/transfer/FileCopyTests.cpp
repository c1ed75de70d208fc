// The copy job run through a real file thread: content, the times it stamps, and every way it must refuse.

#include "TransferTestSupport.h"

#include "transfer/FileCopy.h"
#include "transfer/FileObjects.h"
#include "transfer/JobThreads.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include "win/Handles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace transfer;

namespace {

constexpr UINT kSaved = WM_APP + 60;

// 2001-09-09 01:46:40 UTC, 2009-02-13 23:31:30 UTC and 1999-12-31 23:59:59 UTC: one in summer, others in winter.
constexpr int64_t kSummer = 1000000000;
constexpr int64_t kWinter = 1234567890;
constexpr int64_t kOld = 946684799;

uint64_t ToUInt(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t Expected(int64_t seconds) {
    return static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ReadTimes(const std::wstring& path, FileTimes& times) {
    CFileHandle file(path);
    return file.OpenExisting(FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE) && file.GetTimes(times);
}

// Runs the copy on a started file thread and takes it back from the completion message.
class FileCopyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_thread.Start(0)); }
    void TearDown() override { EXPECT_TRUE(m_thread.Stop()); }

    std::unique_ptr<CFileCopy> Make(const std::wstring& source, const std::wstring& destination, bool overwrite) {
        return std::make_unique<CFileCopy>(m_recorder.Get(), kSaved, source, destination, overwrite);
    }

    std::unique_ptr<CFileCopy> Run(std::unique_ptr<CFileCopy> copy) {
        const size_t before = m_recorder.GetReceived().size();
        std::unique_ptr<CFileOpe> job = std::move(copy);
        if (!m_thread.Submit(job) || job || !PumpUntilReceived(m_recorder, before + 1)) {
            return nullptr;
        }
        const auto& received = m_recorder.GetReceived()[before];
        EXPECT_EQ(received.message, kSaved);
        return AdoptJob<CFileCopy>(received);
    }

    CTempFolder m_folder;
    CRecorderWindow m_recorder;
    CFileThread m_thread;
};

} // namespace

TEST(SecondsToFileTime, ConvertsFromTheUnixEpochExactly) {
    const struct {
        int64_t seconds;
        bool ok;
        uint64_t expected;
    } cases[] = {
        {0, true, 116444736000000000ull},
        {1, true, 116444736010000000ull},
        {kSummer, true, Expected(kSummer)},
        {kWinter, true, Expected(kWinter)},
        {-1, false, 0},
        {INT64_MAX, false, 0},
        {(INT64_MAX - 116444736000000000LL) / 10000000LL + 1, false, 0},
    };
    for (const auto& c : cases) {
        FILETIME time{0xAAAA, 0xBBBB};
        EXPECT_EQ(SecondsToFileTime(c.seconds, time), c.ok) << c.seconds;
        if (c.ok) {
            EXPECT_EQ(ToUInt(time), c.expected) << c.seconds;
        } else {
            EXPECT_EQ(ToUInt(time), (0xBBBBull << 32) | 0xAAAA) << c.seconds;
        }
    }
    // The same instant as the system's own calendar conversion gives.
    SYSTEMTIME calendar{2001, 9, 0, 9, 1, 46, 40, 0};
    FILETIME system{};
    ASSERT_TRUE(::SystemTimeToFileTime(&calendar, &system));
    FILETIME ours{};
    ASSERT_TRUE(SecondsToFileTime(kSummer, ours));
    EXPECT_EQ(ToUInt(ours), ToUInt(system));
}

TEST_F(FileCopyTest, CopiesTheContentAndStampsTheGivenTimes) {
    const std::wstring source = m_folder.File(L"doc.chm");
    const std::wstring destination = m_folder.File(L"copy.chm");
    ASSERT_TRUE(WriteBytes(source, "ITSF document"));
    auto copy = Make(source, destination, true);
    copy->SetTimes(kWinter, kSummer, kOld);
    copy->SetOpenInNewWindow(true);
    auto back = Run(std::move(copy));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetStatus(), kJobStatusSuccess);
    EXPECT_TRUE(back->GetOpenInNewWindow());
    EXPECT_EQ(back->GetDestination(), destination);
    // Times first: reading the content may move the last access time.
    FileTimes times;
    ASSERT_TRUE(ReadTimes(destination, times));
    // Different seasons on purpose: in a zone with summer time, a round trip through local time would shift
    // one of them by an hour.
    EXPECT_EQ(ToUInt(times.lastWrite.time), Expected(kSummer));
    EXPECT_EQ(ToUInt(times.lastAccess.time), Expected(kOld));
    EXPECT_EQ(ReadBytes(destination), "ITSF document");
    EXPECT_EQ(ReadBytes(source), "ITSF document");
}

TEST_F(FileCopyTest, WithoutTimesTheCopyKeepsTheSourcesLastWriteTime) {
    const std::wstring source = m_folder.File(L"doc.chm");
    const std::wstring destination = m_folder.File(L"copy.chm");
    ASSERT_TRUE(WriteBytes(source, "ITSF"));
    {
        CFileHandle file(source);
        FileTimes old;
        old.lastWrite.valid = true;
        ASSERT_TRUE(SecondsToFileTime(kOld, old.lastWrite.time));
        ASSERT_TRUE(file.OpenExisting(FILE_WRITE_ATTRIBUTES, 0));
        ASSERT_TRUE(file.SetTimes(old));
    }
    // Zero and negative times both mean "none".
    const int64_t none[] = {0, -5};
    for (const int64_t value : none) {
        auto copy = Make(source, destination, true);
        copy->SetTimes(value, value, value);
        auto back = Run(std::move(copy));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetStatus(), kJobStatusSuccess) << value;
        FileTimes times;
        ASSERT_TRUE(ReadTimes(destination, times));
        EXPECT_EQ(ToUInt(times.lastWrite.time), Expected(kOld)) << value;
    }
}

TEST_F(FileCopyTest, ReplacesAnExistingFileOnlyWhenAllowed) {
    const std::wstring source = m_folder.File(L"doc.chm");
    const std::wstring destination = m_folder.File(L"existing.chm");
    ASSERT_TRUE(WriteBytes(source, "new"));
    ASSERT_TRUE(WriteBytes(destination, "the user's file"));
    auto refused = Run(Make(source, destination, false));
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->GetStatus(), kJobStatusFailure);
    EXPECT_EQ(ReadBytes(destination), "the user's file");
    auto replaced = Run(Make(source, destination, true));
    ASSERT_NE(replaced, nullptr);
    EXPECT_EQ(replaced->GetStatus(), kJobStatusSuccess);
    EXPECT_EQ(ReadBytes(destination), "new");
}

TEST_F(FileCopyTest, ALockedOrMissingSourceFailsAndMakesNoCopy) {
    const std::wstring locked = m_folder.File(L"locked.chm");
    ASSERT_TRUE(WriteBytes(locked, "ITSF"));
    win::CFileHandleRaii holder(
        ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    const struct {
        const wchar_t* name;
        std::wstring source;
    } cases[] = {{L"locked", locked}, {L"missing", m_folder.File(L"absent.chm")}};
    for (const auto& c : cases) {
        const std::wstring destination = m_folder.File(std::wstring(c.name) + L"-copy.chm");
        auto copy = Make(c.source, destination, true);
        copy->SetTimes(kWinter, kSummer, kWinter);
        auto back = Run(std::move(copy));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetStatus(), kJobStatusFailure) << c.name;
        EXPECT_FALSE(Exists(destination)) << c.name;
    }
}

TEST_F(FileCopyTest, CopyingAFileOntoItselfFailsAndKeepsIt) {
    ASSERT_TRUE(::CreateDirectoryW(m_folder.File(L"sub").c_str(), nullptr));
    const std::wstring source = m_folder.File(L"self.chm");
    const std::string content(70000, 'q');
    ASSERT_TRUE(WriteBytes(source, content));
    // The same file under other spellings, which a name comparison would not catch.
    const std::wstring spellings[] = {source, m_folder.File(L"SELF.CHM"), m_folder.File(L"sub\\..\\self.chm")};
    for (const std::wstring& destination : spellings) {
        auto back = Run(Make(source, destination, true));
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->GetStatus(), kJobStatusFailure);
        EXPECT_EQ(ReadBytes(source), content);
    }
}

TEST_F(FileCopyTest, AReadOnlyDocumentIsCopiedWithItsTimes) {
    const std::wstring source = m_folder.File(L"readonly.chm");
    const std::wstring destination = m_folder.File(L"readonly-copy.chm");
    ASSERT_TRUE(WriteBytes(source, "ITSF"));
    ASSERT_TRUE(::SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY));
    auto copy = Make(source, destination, true);
    copy->SetTimes(kWinter, kSummer, kWinter);
    auto back = Run(std::move(copy));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetStatus(), kJobStatusSuccess);
    EXPECT_EQ(ReadBytes(destination), "ITSF");
    FileTimes times;
    ASSERT_TRUE(ReadTimes(destination, times));
    EXPECT_EQ(ToUInt(times.lastWrite.time), Expected(kSummer));
    EXPECT_NE(::GetFileAttributesW(destination.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    // The folder can only be removed once its files may be deleted.
    ::SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileCopyTest, ALargeFileArrivesWhole) {
    const std::wstring source = m_folder.File(L"large.chm");
    const std::wstring destination = m_folder.File(L"large-copy.chm");
    // Several megabytes and an odd tail, so the system copies it in many pieces and the last one is partial.
    std::string content(5 * 1024 * 1024 + 123, '\0');
    uint32_t state = 12345;
    for (char& value : content) {
        state = state * 1103515245u + 12345u;
        value = static_cast<char>(state >> 24);
    }
    ASSERT_TRUE(WriteBytes(source, content));
    auto copy = Make(source, destination, false);
    copy->SetTimes(0, kSummer, 0);
    auto back = Run(std::move(copy));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetStatus(), kJobStatusSuccess);
    const std::string copied = ReadBytes(destination);
    EXPECT_EQ(copied.size(), content.size());
    EXPECT_TRUE(copied == content);
}

TEST_F(FileCopyTest, NonAsciiNamesAreCopied) {
    const std::wstring source = m_folder.File(L"\u53D6\u6271\u8AAC\u660E\u66F8 \U0001F4D8.chm");
    const std::wstring destination = m_folder.File(L"\u30B3\u30D4\u30FC \u00C5ngstr\u00F6m.chm");
    ASSERT_TRUE(WriteBytes(source, "ITSF"));
    auto copy = Make(source, destination, false);
    copy->SetTimes(0, kWinter, 0);
    auto back = Run(std::move(copy));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->GetStatus(), kJobStatusSuccess);
    EXPECT_EQ(ReadBytes(destination), "ITSF");
    FileTimes times;
    ASSERT_TRUE(ReadTimes(destination, times));
    EXPECT_EQ(ToUInt(times.lastWrite.time), Expected(kWinter));
}

TEST_F(FileCopyTest, ACancelFromAnyInstanceDoesNotStopASave) {
    const std::wstring source = m_folder.File(L"doc.chm");
    const std::wstring destination = m_folder.File(L"copy.chm");
    ASSERT_TRUE(WriteBytes(source, "ITSF"));
    // The shared break event is set while the job runs, as another window's cancel would set it.
    win::CHandle signalled(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    ASSERT_TRUE(signalled);
    CFileCopy copy(m_recorder.Get(), kSaved, source, destination, false);
    copy.SetTimes(0, kSummer, 0);
    copy.SetBreakEvent(signalled.Get());
    ASSERT_TRUE(copy.IsBreakRequested());
    EXPECT_TRUE(copy.Run());
    EXPECT_EQ(ReadBytes(destination), "ITSF");
    FileTimes times;
    ASSERT_TRUE(ReadTimes(destination, times));
    EXPECT_EQ(ToUInt(times.lastWrite.time), Expected(kSummer));
}
