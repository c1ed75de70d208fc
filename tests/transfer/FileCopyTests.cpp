// The copy job run through a real file thread: content, the times it stamps, and the ways it must refuse.

#include "TransferTestSupport.h"

#include "transfer/FileCopy.h"
#include "transfer/FileObjects.h"
#include "transfer/JobThreads.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include "win/Handles.h"

#include <gtest/gtest.h>

#include <string>

using namespace transfer;

namespace {

constexpr UINT kSaved = WM_APP + 60;
// 2001-09-09 01:46:40 and 1999-12-31 23:59:59 UTC: in a zone with summer time, a round trip through local time
// would shift one of them by an hour.
constexpr int64_t kSummer = 1000000000;
constexpr int64_t kWinter = 946684799;

uint64_t ToUInt(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

uint64_t Expected(int64_t seconds) {
    return static_cast<uint64_t>(seconds) * 10000000ull + 116444736000000000ull;
}

FileTimes ReadTimes(const std::wstring& path) {
    FileTimes times;
    CFileHandle file(path);
    EXPECT_TRUE(file.OpenExisting(FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE) && file.GetTimes(times));
    return times;
}

class FileCopyTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_thread.Start(0)); }
    void TearDown() override { EXPECT_TRUE(m_thread.Stop()); }

    // Copies with the times set and gives back the job's status; ~0u when it did not come back.
    uint32_t Copy(const std::wstring& source, const std::wstring& destination, bool overwrite = true) {
        auto copy = std::make_unique<CFileCopy>(m_recorder.Get(), kSaved, source, destination, overwrite);
        copy->SetTimes(kWinter, kSummer, kWinter);
        auto back = RunJob(m_thread, m_recorder, std::move(copy));
        return back ? back->GetStatus() : ~0u;
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
    } cases[] = {{0, true, 116444736000000000ull},
                 {1, true, 116444736010000000ull},
                 {-1, false, 0},
                 {(INT64_MAX - 116444736000000000LL) / 10000000LL + 1, false, 0}};
    for (const auto& c : cases) {
        FILETIME time{0xAAAA, 0xBBBB};
        EXPECT_EQ(SecondsToFileTime(c.seconds, time), c.ok) << c.seconds;
        EXPECT_EQ(ToUInt(time), c.ok ? c.expected : (0xBBBBull << 32) | 0xAAAA) << c.seconds;
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
    // Several megabytes and an odd tail, so the system copies in many pieces and the last one is partial.
    std::string large(5 * 1024 * 1024 + 123, '\0');
    uint32_t state = 12345;
    for (char& value : large) {
        state = state * 1103515245u + 12345u;
        value = static_cast<char>(state >> 24);
    }
    const struct {
        const wchar_t* source;
        const wchar_t* destination;
        std::string content;
    } cases[] = {
        {L"doc.chm", L"copy.chm", "ITSF document"},
        {L"\u53D6\u6271\u8AAC\u660E\u66F8 \U0001F4D8.chm", L"\u30B3\u30D4\u30FC \u00C5ngstr\u00F6m.chm", "ITSF"},
        {L"large.chm", L"large-copy.chm", large},
    };
    for (const auto& c : cases) {
        const std::wstring source = m_folder.File(c.source);
        const std::wstring destination = m_folder.File(c.destination);
        ASSERT_TRUE(WriteBytes(source, c.content));
        EXPECT_EQ(Copy(source, destination), kJobStatusSuccess) << c.source;
        // Times first: reading the content may move the last access time.
        const FileTimes times = ReadTimes(destination);
        EXPECT_EQ(ToUInt(times.lastWrite.time), Expected(kSummer)) << c.source;
        EXPECT_EQ(ToUInt(times.lastAccess.time), Expected(kWinter)) << c.source;
        EXPECT_TRUE(ReadBytes(destination) == c.content) << c.source;
    }
}

TEST_F(FileCopyTest, ALockedMissingOrSameSourceFailsAndTouchesNothing) {
    const std::wstring locked = m_folder.File(L"locked.chm");
    const std::wstring self = m_folder.File(L"self.chm");
    ASSERT_TRUE(WriteBytes(locked, "ITSF"));
    ASSERT_TRUE(WriteBytes(self, "mine"));
    ASSERT_TRUE(::CreateDirectoryW(m_folder.File(L"sub").c_str(), nullptr));
    win::CFileHandleRaii holder(
        ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    const std::wstring sources[] = {locked, m_folder.File(L"absent.chm")};
    for (const std::wstring& source : sources) {
        EXPECT_EQ(Copy(source, m_folder.File(L"copy.chm")), kJobStatusFailure) << source;
        EXPECT_FALSE(Exists(m_folder.File(L"copy.chm"))) << source;
    }
    // The same file under other spellings, which a name comparison would not catch; an existing file without
    // leave to replace it.
    for (const std::wstring& destination : {self, m_folder.File(L"SELF.CHM"), m_folder.File(L"sub\\..\\self.chm")}) {
        EXPECT_EQ(Copy(self, destination), kJobStatusFailure) << destination;
        EXPECT_EQ(ReadBytes(self), "mine") << destination;
    }
    ASSERT_TRUE(WriteBytes(locked + L".new", "new"));
    EXPECT_EQ(Copy(locked + L".new", self, false), kJobStatusFailure);
    EXPECT_EQ(ReadBytes(self), "mine");
}
