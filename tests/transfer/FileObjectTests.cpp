// Files: the document signature, local and temporary documents on real files, and the copy job run through a
// real file thread (content, the times it stamps, the ways it must refuse).

#include "TransferTestSupport.h"

#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "transfer/ChmFile.h"
#include "transfer/FileCopy.h"
#include "transfer/FileObjects.h"
#include "transfer/JobThreads.h"
#include "win/Handles.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <algorithm>
#include <cwctype>
#include <memory>

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

using namespace transfer;

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

TEST_F(FileCopyTest, CopiesTheContentAndStampsTheGivenTimes) {
    // Several megabytes and an odd tail, so the system copies in many pieces and the last one is partial; names
    // beyond the basic plane.
    std::string large(5 * 1024 * 1024 + 123, '\0');
    uint32_t state = 12345;
    for (char& value : large) {
        state = state * 1103515245u + 12345u;
        value = static_cast<char>(state >> 24);
    }
    const std::wstring source = m_folder.File(L"\u53D6\u6271\u8AAC\u660E\u66F8 \U0001F4D8.chm");
    const std::wstring destination = m_folder.File(L"\u30B3\u30D4\u30FC \u00C5ngstr\u00F6m.chm");
    ASSERT_TRUE(WriteBytes(source, large));
    EXPECT_EQ(Copy(source, destination), kJobStatusSuccess);
    // Times first: reading the content may move the last access time.
    const FileTimes times = ReadTimes(destination);
    EXPECT_EQ(ToUInt(times.lastWrite.time), Expected(kSummer));
    EXPECT_EQ(ToUInt(times.lastAccess.time), Expected(kWinter));
    EXPECT_TRUE(ReadBytes(destination) == large);
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
