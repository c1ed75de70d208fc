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
constexpr WPARAM kKeysBit = 0x08;
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

// A notification buffer as the system lays it out.
std::vector<DWORD> MakeBuffer(const std::vector<std::pair<DWORD, std::wstring>>& records, DWORD& bytes) {
    std::vector<unsigned char> raw;
    for (size_t i = 0; i < records.size(); ++i) {
        const DWORD nameBytes = static_cast<DWORD>(records[i].second.size() * sizeof(wchar_t));
        const DWORD size = (12 + nameBytes + 3) & ~3u;
        const DWORD header[3] = {i + 1 == records.size() ? 0 : size, records[i].first, nameBytes};
        const size_t at = raw.size();
        raw.resize(at + size, 0);
        std::memcpy(raw.data() + at, header, sizeof(header));
        std::memcpy(raw.data() + at + 12, records[i].second.data(), nameBytes);
    }
    bytes = static_cast<DWORD>(raw.size());
    std::vector<DWORD> buffer(raw.size() / 4 + 1, 0);
    std::memcpy(buffer.data(), raw.data(), raw.size());
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

TEST_P(WatchDataTest, ReportsAddModifyRenameAndRemove) {
    const auto act = [](const std::wstring& operation, const std::wstring& path, const std::wstring& other) {
        return GetParam() ? InAnotherProcess(operation, path, other) : DoFileOperation(operation, path, other);
    };
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchData watch;
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
    EXPECT_TRUE(watch.Stop());
    for (const auto& received : recorder.GetReceived()) {
        EXPECT_EQ(received.message, kReload);
        EXPECT_TRUE(received.wParam == kHistoryBit || received.wParam == kUrlsBit) << received.wParam;
    }
}
INSTANTIATE_TEST_SUITE_P(ThisOrAnotherProcess, WatchDataTest, ::testing::Bool());

TEST(WatchData, TheLayoutFileAndNamesInSubfoldersAreNeverReported) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchData watch;
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"sub").c_str(), nullptr));
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    for (const wchar_t* name : {L"sub\\chmhist.xml", L"chmlay.xml", L"xchmhist.xml", L"chmhist.xml.tmp"}) {
        ASSERT_TRUE(WriteBytes(folder.File(name), kContent));
        ASSERT_TRUE(WriteBytes(folder.File(name), kContent));
        ASSERT_TRUE(::DeleteFileW(folder.File(name).c_str()));
    }
    // Changes arrive in order: once the sentinel's arrives, every earlier change has been judged.
    ASSERT_TRUE(WriteBytes(folder.File(L"chmkey.xml"), kContent));
    ASSERT_TRUE(WaitForMessage(recorder, 0, kKeysBit, ChangeKind::Added));
    EXPECT_TRUE(watch.Stop());
    for (const auto& received : recorder.GetReceived()) {
        EXPECT_EQ(received.wParam, kKeysBit);
    }
}

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
