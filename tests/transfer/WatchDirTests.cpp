// The folder watcher: which changes of which files reach the main frame, from this and from another process.

#include "TransferTestSupport.h"

#include "common/HelperMode.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include "transfer/WatchData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace transfer;

namespace {

constexpr UINT kReload = WM_APP + 60;
constexpr UINT kError = WM_APP + 61;
constexpr WPARAM kHistoryBit = 0x02;
constexpr WPARAM kUrlsBit = 0x10;
const std::string kContent = "<history />";

// One file-system step, the same whichever process performs it.
bool DoFileOperation(const std::wstring& operation, const std::wstring& path, const std::wstring& other) {
    if (operation == L"write") {
        return WriteBytes(path, kContent);
    }
    if (operation == L"rename") {
        return ::MoveFileW(path.c_str(), other.c_str()) != FALSE;
    }
    return operation == L"delete" && ::DeleteFileW(path.c_str()) != FALSE;
}

int FileOperationHelper(int argc, wchar_t** argv) {
    return argc >= 2 && DoFileOperation(argv[0], argv[1], argc > 2 ? argv[2] : L"") ? 0 : 1;
}
FOLIVEX_TEST_HELPER(L"file-operation", FileOperationHelper);

bool InAnotherProcess(const std::wstring& operation, const std::wstring& path, const std::wstring& other) {
    CHelperProcess helper;
    return helper.Start(L"file-operation", {operation, path, other}) && helper.Wait() == 0;
}

bool WaitForMessage(const CRecorderWindow& recorder, size_t from, WPARAM bit, ChangeKind kind) {
    return WaitUntil([&] {
        const auto& received = recorder.GetReceived();
        for (size_t i = from; i < received.size(); ++i) {
            if (received[i].message == kReload && received[i].wParam == bit &&
                received[i].lParam == static_cast<LPARAM>(kind)) {
                return true;
            }
        }
        return false;
    });
}

// A notification buffer as the system lays it out: each record DWORD-aligned, the last with no next offset.
std::vector<DWORD> MakeBuffer(const std::vector<std::pair<DWORD, std::wstring>>& records, DWORD& bytes) {
    std::vector<DWORD> buffer;
    for (size_t i = 0; i < records.size(); ++i) {
        const DWORD nameBytes = static_cast<DWORD>(records[i].second.size() * sizeof(wchar_t));
        const DWORD size = (12 + nameBytes + 3) & ~3u;
        const size_t at = buffer.size();
        buffer.resize(at + size / 4, 0);
        buffer[at] = i + 1 == records.size() ? 0 : size;
        buffer[at + 1] = records[i].first;
        buffer[at + 2] = nameBytes;
        std::memcpy(&buffer[at + 3], records[i].second.data(), nameBytes);
    }
    bytes = static_cast<DWORD>(buffer.size() * 4);
    return buffer;
}

class WatchDataTest : public ::testing::TestWithParam<bool> {};

// One directory read is refused (the first, as on some network and virtual drives) or reports a lost batch in one
// of the two ways the system reports one (the second, so that the system already records changes for the
// reads after it); every other read is the system's.
enum class ScriptedRead { Refused, LostAsError, LostAsEmpty };

class CScriptedWatch : public CWatchData {
public:
    explicit CScriptedWatch(ScriptedRead scripted) : m_scripted(scripted) {}
    ~CScriptedWatch() override { (void)Stop(); }

protected:
    bool ReadChanges(void* buffer, DWORD bytes, OVERLAPPED& overlapped) override {
        if (m_reads++ != (m_scripted == ScriptedRead::Refused ? 0 : 1)) {
            return CWatchData::ReadChanges(buffer, bytes, overlapped);
        }
        if (m_scripted == ScriptedRead::Refused) {
            ::SetLastError(ERROR_INVALID_FUNCTION);
            return false;
        }
        constexpr ULONG_PTR kStatusNotifyEnumDir = 0x10C;
        overlapped.Internal = m_scripted == ScriptedRead::LostAsError ? kStatusNotifyEnumDir : 0;
        overlapped.InternalHigh = 0;
        return ::SetEvent(overlapped.hEvent) != FALSE;
    }

private:
    const ScriptedRead m_scripted;
    int m_reads = 0; // the worker's alone
};

size_t CountReceived(const CRecorderWindow& recorder, UINT message, WPARAM wParam) {
    size_t count = 0;
    for (const auto& received : recorder.GetReceived()) {
        count += received.message == message && received.wParam == wParam ? 1 : 0;
    }
    return count;
}

} // namespace

TEST(DirectoryChanges, RecordsAreReadInOrderAndNeverPastTheEnd) {
    DWORD bytes = 0;
    const auto two =
        MakeBuffer({{FILE_ACTION_ADDED, L"chmhist.xml"}, {FILE_ACTION_RENAMED_OLD_NAME, L"\xD83D\xDCD6"}}, bytes);
    const auto changes = ParseDirectoryChanges(two.data(), bytes);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].name, L"chmhist.xml");
    EXPECT_EQ(changes[0].action, static_cast<DWORD>(FILE_ACTION_ADDED));
    EXPECT_EQ(changes[1].name, L"\xD83D\xDCD6");
    EXPECT_EQ(changes[1].action, static_cast<DWORD>(FILE_ACTION_RENAMED_OLD_NAME));
    // Zero bytes is an overflowed buffer; a count cutting the second name keeps the first; one cutting the
    // first header gives nothing.
    EXPECT_TRUE(ParseDirectoryChanges(two.data(), 0).empty());
    EXPECT_EQ(ParseDirectoryChanges(two.data(), bytes - 4).size(), 1u);
    EXPECT_TRUE(ParseDirectoryChanges(two.data(), 8).empty());
}

// The layout file, names in subfolders and names that merely contain a data file's are never reported.
TEST_P(WatchDataTest, ReportsAddModifyRenameAndRemoveOfTheDataFilesOnly) {
    const auto act = [](const std::wstring& operation, const std::wstring& path, const std::wstring& other) {
        return GetParam() ? InAnotherProcess(operation, path, other) : DoFileOperation(operation, path, other);
    };
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchData watch;
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"sub").c_str(), nullptr));
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    // Upper case on purpose: names match whatever their case.
    const std::wstring history = folder.File(L"CHMHIST.XML");
    const std::wstring urls = folder.File(L"chmurls.xml");
    const struct {
        const wchar_t* operation;
        std::wstring path, other;
        WPARAM bit; // 0: no message expected
        ChangeKind kind;
    } steps[] = {
        {L"write", history, L"", kHistoryBit, ChangeKind::Added},
        {L"write", history, L"", kHistoryBit, ChangeKind::Modified},
        {L"rename", history, folder.File(L"chmhist.old"), kHistoryBit, ChangeKind::Renamed},
        {L"write", folder.File(L"sub\\chmhist.xml"), L"", 0, ChangeKind::Added},
        {L"write", folder.File(L"chmlay.xml"), L"", 0, ChangeKind::Added},
        {L"delete", folder.File(L"chmlay.xml"), L"", 0, ChangeKind::Removed},
        {L"write", folder.File(L"xchmhist.xml"), L"", 0, ChangeKind::Added},
        {L"write", folder.File(L"chmhist.xml.tmp"), L"", 0, ChangeKind::Added},
        {L"write", folder.File(L"urls.tmp"), L"", 0, ChangeKind::Added},
        {L"rename", folder.File(L"urls.tmp"), urls, kUrlsBit, ChangeKind::Renamed},
        {L"delete", urls, L"", kUrlsBit, ChangeKind::Removed},
    };
    for (const auto& step : steps) {
        const size_t from = recorder.GetReceived().size();
        ASSERT_TRUE(act(step.operation, step.path, step.other)) << step.operation << L" " << step.path;
        if (step.bit != 0) {
            EXPECT_TRUE(WaitForMessage(recorder, from, step.bit, step.kind)) << step.operation << L" " << step.path;
        }
    }
    // Changes arrive in order: once the last one's message came, every earlier change has been judged.
    EXPECT_TRUE(watch.Stop());
    for (const auto& received : recorder.GetReceived()) {
        EXPECT_EQ(received.message, kReload);
        EXPECT_TRUE(received.wParam == kHistoryBit || received.wParam == kUrlsBit) << received.wParam;
    }
}
INSTANTIATE_TEST_SUITE_P(ThisOrAnotherProcess, WatchDataTest, ::testing::Bool());

// A refused first read leaves the program running without the watch and says so once; a lost batch asks every
// watched file's store to reload (each compares its file's time and size) and the watch goes on.
TEST(WatchData, ARefusedFirstReadIsReportedOnceAndALostBatchReloadsEveryFile) {
    for (const ScriptedRead scripted : {ScriptedRead::Refused, ScriptedRead::LostAsError, ScriptedRead::LostAsEmpty}) {
        const int row = static_cast<int>(scripted);
        const bool refused = scripted == ScriptedRead::Refused;
        CTempFolder folder;
        CRecorderWindow recorder;
        CScriptedWatch watch(scripted);
        ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError)) << row;
        EXPECT_TRUE(watch.IsRunning()) << row;
        if (refused) {
            EXPECT_TRUE(WaitUntil([&] { return CountReceived(recorder, kError, 0) > 0; })) << row;
        } else {
            // The first batch is real; the lost one comes next.
            ASSERT_TRUE(WriteBytes(folder.File(L"chmkey.xml"), kContent));
            for (const WPARAM bit : {0x01, 0x02, 0x04, 0x10}) {
                EXPECT_TRUE(WaitUntil([&] { return CountReceived(recorder, kReload, bit) > 0; })) << row << " " << bit;
            }
            ASSERT_TRUE(WriteBytes(folder.File(L"chmlib.xml"), kContent));
            EXPECT_TRUE(WaitUntil([&] { return CountReceived(recorder, kReload, 0x04) > 1; })) << row;
        }
        EXPECT_TRUE(watch.Stop()) << row;
        EXPECT_FALSE(watch.IsRunning()) << row;
        CRecorderWindow::PumpPending();
        EXPECT_EQ(CountReceived(recorder, kError, 0), refused ? 1u : 0u) << row;
        for (const WPARAM bit : {0x01, 0x02, 0x10}) {
            EXPECT_EQ(CountReceived(recorder, kReload, bit), refused ? 0u : 1u) << row << " " << bit;
        }
    }
}
