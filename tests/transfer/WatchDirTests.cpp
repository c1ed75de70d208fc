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
    return PumpUntil([&] {
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

TEST(WatchData, StopsAndStartsAgainButNeverOnAMissingFolder) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchData watch;
    EXPECT_FALSE(watch.Stop());
    EXPECT_FALSE(watch.Start(folder.File(L"missing"), recorder.Get(), kReload, kError));
    EXPECT_FALSE(watch.IsRunning());
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    EXPECT_TRUE(watch.Stop());
    EXPECT_FALSE(watch.IsRunning());
    EXPECT_FALSE(watch.Stop());
    // A change while stopped is not reported; started again, changes are.
    ASSERT_TRUE(WriteBytes(folder.File(L"chmkey.xml"), kContent));
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    ASSERT_TRUE(WriteBytes(folder.File(L"chmlib.xml"), kContent));
    EXPECT_TRUE(WaitForMessage(recorder, 0, 0x04, ChangeKind::Added));
    EXPECT_TRUE(watch.Stop());
    for (const auto& received : recorder.GetReceived()) {
        EXPECT_EQ(received.message, kReload);
        EXPECT_EQ(received.wParam, 0x04u);
    }
}
