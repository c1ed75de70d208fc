// The folder watcher: which changes of which files reach the main frame, from this and from another process.

#include "TransferTestSupport.h"

#include "common/HelperMode.h"
#include "common/TempFolder.h"
#include "common/TestFiles.h"

#include "transfer/WatchData.h"

#include "win/Handles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace transfer;

namespace {

constexpr UINT kReload = WM_APP + 60;
constexpr UINT kError = WM_APP + 61;
constexpr WPARAM kHistoryBit = 0x02;
constexpr WPARAM kKeysBit = 0x08;
constexpr WPARAM kUrlsBit = 0x10;

const std::string kContent = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<history />\r\n";

// One file-system step, the same whichever process performs it.
bool DoFileOperation(const std::wstring& operation, const std::wstring& path, const std::wstring& other) {
    if (operation == L"write") {
        return WriteBytes(path, kContent);
    }
    if (operation == L"rename") {
        return ::MoveFileW(path.c_str(), other.c_str()) != FALSE;
    }
    if (operation == L"delete") {
        return ::DeleteFileW(path.c_str()) != FALSE;
    }
    return false;
}

int FileOperationHelper(int argc, wchar_t** argv) {
    if (argc < 2) {
        return 90;
    }
    return DoFileOperation(argv[0], argv[1], argc > 2 ? argv[2] : L"") ? 0 : 1;
}
FOLIVEX_TEST_HELPER(L"file-operation", FileOperationHelper);

using Actor = std::function<bool(const std::wstring&, const std::wstring&, const std::wstring&)>;

bool InThisProcess(const std::wstring& operation, const std::wstring& path, const std::wstring& other) {
    return DoFileOperation(operation, path, other);
}

bool InAnotherProcess(const std::wstring& operation, const std::wstring& path, const std::wstring& other) {
    CHelperProcess helper;
    return helper.Start(L"file-operation", {operation, path, other}) && helper.Wait() == 0;
}

bool HasMessage(const CRecorderWindow& recorder, size_t from, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto& received = recorder.GetReceived();
    for (size_t i = from; i < received.size(); ++i) {
        if (received[i].message == message && received[i].wParam == wParam && received[i].lParam == lParam) {
            return true;
        }
    }
    return false;
}

bool WaitForMessage(const CRecorderWindow& recorder, size_t from, UINT message, WPARAM wParam, LPARAM lParam) {
    return PumpUntil([&] { return HasMessage(recorder, from, message, wParam, lParam); });
}

LPARAM KindParam(ChangeKind kind) {
    return static_cast<LPARAM>(kind);
}

// A notification buffer as the system lays it out.
std::vector<DWORD> MakeBuffer(const std::vector<std::pair<DWORD, std::wstring>>& records, DWORD& bytes) {
    std::vector<unsigned char> raw;
    for (size_t i = 0; i < records.size(); ++i) {
        const std::wstring& name = records[i].second;
        const DWORD nameBytes = static_cast<DWORD>(name.size() * sizeof(wchar_t));
        DWORD size = 12 + nameBytes;
        size = (size + 3) & ~3u;
        const DWORD header[3] = {i + 1 == records.size() ? 0 : size, records[i].first, nameBytes};
        const size_t at = raw.size();
        raw.resize(at + size, 0);
        std::memcpy(raw.data() + at, header, sizeof(header));
        std::memcpy(raw.data() + at + 12, name.data(), nameBytes);
    }
    bytes = static_cast<DWORD>(raw.size());
    std::vector<DWORD> buffer((raw.size() + 3) / 4 + 1, 0);
    std::memcpy(buffer.data(), raw.data(), raw.size());
    return buffer;
}

void ExpectAddModifyRenameRemoveReported(const Actor& act) {
    CTempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    CRecorderWindow recorder;
    CWatchData watch;
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    const std::wstring history = folder.File(L"chmhist.xml");
    const std::wstring urls = folder.File(L"chmurls.xml");
    const struct {
        const char* name;
        const wchar_t* operation;
        std::wstring path;
        std::wstring other;
        WPARAM bit;
        ChangeKind kind;
    } steps[] = {
        {"history added", L"write", history, L"", kHistoryBit, ChangeKind::Added},
        {"history modified", L"write", history, L"", kHistoryBit, ChangeKind::Modified},
        {"history renamed away", L"rename", history, folder.File(L"chmhist.old"), kHistoryBit, ChangeKind::Renamed},
        {"scratch written", L"write", folder.File(L"urls.tmp"), L"", 0, ChangeKind::Added},
        {"url list renamed into place", L"rename", folder.File(L"urls.tmp"), urls, kUrlsBit, ChangeKind::Renamed},
        {"url list removed", L"delete", urls, L"", kUrlsBit, ChangeKind::Removed},
    };
    for (const auto& step : steps) {
        const size_t from = recorder.GetReceived().size();
        ASSERT_TRUE(act(step.operation, step.path, step.other)) << step.name;
        if (step.bit != 0) {
            EXPECT_TRUE(WaitForMessage(recorder, from, kReload, step.bit, KindParam(step.kind))) << step.name;
        }
    }
    EXPECT_TRUE(watch.Stop());
    ASSERT_FALSE(recorder.GetReceived().empty());
    for (const auto& received : recorder.GetReceived()) {
        EXPECT_EQ(received.message, kReload);
        EXPECT_TRUE(received.wParam == kHistoryBit || received.wParam == kUrlsBit) << received.wParam;
        EXPECT_GE(received.lParam, 1);
        EXPECT_LE(received.lParam, 4);
    }
}

} // namespace

TEST(DirectoryChanges, RecordsAreReadInOrderAndNeverPastTheEnd) {
    DWORD bytes = 0;
    const auto two =
        MakeBuffer({{FILE_ACTION_ADDED, L"chmhist.xml"}, {FILE_ACTION_RENAMED_OLD_NAME, L"sub\\a"}}, bytes);
    auto changes = ParseDirectoryChanges(two.data(), bytes);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].name, L"chmhist.xml");
    EXPECT_EQ(changes[0].action, static_cast<DWORD>(FILE_ACTION_ADDED));
    EXPECT_EQ(changes[1].name, L"sub\\a");
    EXPECT_EQ(changes[1].action, static_cast<DWORD>(FILE_ACTION_RENAMED_OLD_NAME));

    // The system reports an overflowed buffer as zero bytes: the lost batch is not a change of anything.
    EXPECT_TRUE(ParseDirectoryChanges(two.data(), 0).empty());
    // A count that cuts the second record's name keeps only the first record.
    EXPECT_EQ(ParseDirectoryChanges(two.data(), bytes - 4).size(), 1u);
    // A count that cuts the first header gives nothing.
    EXPECT_TRUE(ParseDirectoryChanges(two.data(), 8).empty());

    const auto surrogate = MakeBuffer({{FILE_ACTION_MODIFIED, L"\xD83D\xDCD6.xml"}}, bytes);
    changes = ParseDirectoryChanges(surrogate.data(), bytes);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].name, L"\xD83D\xDCD6.xml");
}

TEST(DirectoryChanges, ActionsMapToChangeKinds) {
    const struct {
        DWORD action;
        std::optional<ChangeKind> kind;
    } cases[] = {
        {0, std::nullopt},
        {FILE_ACTION_ADDED, ChangeKind::Added},
        {FILE_ACTION_REMOVED, ChangeKind::Removed},
        {FILE_ACTION_MODIFIED, ChangeKind::Modified},
        {FILE_ACTION_RENAMED_OLD_NAME, ChangeKind::Renamed},
        {FILE_ACTION_RENAMED_NEW_NAME, ChangeKind::Renamed},
        {6, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ChangeKindOfAction(c.action), c.kind) << c.action;
    }
    EXPECT_EQ(FoldFileName(L"CHMHist.XML"), L"chmhist.xml");
    EXPECT_EQ(FoldFileName(L""), L"");
}

TEST(WatchData, WatchesTheFiveDataFilesWithTheirReloadBits) {
    const std::pair<std::wstring, DWORD> expected[] = {
        {L"folivex.xml", 0x01}, {L"chmhist.xml", 0x02}, {L"chmlib.xml", 0x04},
        {L"chmkey.xml", 0x08},  {L"chmurls.xml", 0x10},
    };
    ASSERT_EQ(kWatchedDataFiles.size(), std::size(expected));
    for (size_t i = 0; i < kWatchedDataFiles.size(); ++i) {
        EXPECT_EQ(kWatchedDataFiles[i].name, expected[i].first);
        EXPECT_EQ(kWatchedDataFiles[i].reloadBit, expected[i].second);
    }
    EXPECT_EQ(kDataWatchFilter, 0x11u);
}

TEST(WatchData, ReportsAddModifyRenameAndRemoveMadeByThisProcess) {
    ExpectAddModifyRenameRemoveReported(&InThisProcess);
}

TEST(WatchData, ReportsAddModifyRenameAndRemoveMadeByAnotherProcess) {
    ExpectAddModifyRenameRemoveReported(&InAnotherProcess);
}

TEST(WatchData, TheLayoutFileAndNamesInSubfoldersAreNeverReported) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchData watch;
    ASSERT_TRUE(::CreateDirectoryW(folder.File(L"sub").c_str(), nullptr));
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    ASSERT_TRUE(WriteBytes(folder.File(L"sub\\chmhist.xml"), kContent));
    ASSERT_TRUE(WriteBytes(folder.File(L"sub\\chmhist.xml"), kContent));
    ASSERT_TRUE(WriteBytes(folder.File(L"chmlay.xml"), kContent));
    ASSERT_TRUE(WriteBytes(folder.File(L"chmlay.xml"), kContent));
    ASSERT_TRUE(::MoveFileW(folder.File(L"chmlay.xml").c_str(), folder.File(L"chmlay.old").c_str()));
    ASSERT_TRUE(WriteBytes(folder.File(L"docinfo.xml"), kContent));
    ASSERT_TRUE(WriteBytes(folder.File(L"xchmhist.xml"), kContent));
    ASSERT_TRUE(::DeleteFileW(folder.File(L"sub\\chmhist.xml").c_str()));
    // Changes arrive in order: once the sentinel's arrives, every earlier change has been judged.
    ASSERT_TRUE(WriteBytes(folder.File(L"chmkey.xml"), kContent));
    ASSERT_TRUE(WaitForMessage(recorder, 0, kReload, kKeysBit, KindParam(ChangeKind::Added)));
    EXPECT_TRUE(watch.Stop());
    for (const auto& received : recorder.GetReceived()) {
        EXPECT_EQ(received.message, kReload);
        EXPECT_EQ(received.wParam, kKeysBit);
    }
}

TEST(WatchData, NamesMatchWhateverTheirCase) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchData watch;
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    ASSERT_TRUE(WriteBytes(folder.File(L"CHMHIST.XML"), kContent));
    EXPECT_TRUE(WaitForMessage(recorder, 0, kReload, kHistoryBit, KindParam(ChangeKind::Added)));
    EXPECT_TRUE(watch.Stop());
}

TEST(WatchDir, TheWholeReportedNameIsMatchedWithoutRegardToCase) {
    CRecorderWindow recorder;
    CWatchDir watch;
    ASSERT_TRUE(watch.Register(L"ChmHist.xml", ChangeKind::Added, recorder.Get(), kReload, 2, 1));
    ASSERT_TRUE(watch.Register(L"chmhist.xml", ChangeKind::Renamed, recorder.Get(), kReload, 2, 4));
    // A second registration of the same name and kind replaces the first.
    ASSERT_TRUE(watch.Register(L"CHMHIST.XML", ChangeKind::Renamed, recorder.Get(), kReload, 2, 40));
    const struct {
        const wchar_t* name;
        ChangeKind kind;
        std::optional<LPARAM> lParam;
    } cases[] = {
        {L"chmhist.xml", ChangeKind::Added, 1},
        {L"CHMHIST.XML", ChangeKind::Added, 1},
        {L"chmhist.xml", ChangeKind::Renamed, 40},
        {L"chmhist.xml", ChangeKind::Removed, std::nullopt},
        {L"sub\\chmhist.xml", ChangeKind::Added, std::nullopt},
        {L"SUB\\CHMHIST.XML", ChangeKind::Added, std::nullopt},
        {L"chmhist.xml.tmp", ChangeKind::Added, std::nullopt},
        {L"xchmhist.xml", ChangeKind::Added, std::nullopt},
        {L"", ChangeKind::Added, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto found = watch.FindRegistration(c.name, c.kind);
        ASSERT_EQ(found.has_value(), c.lParam.has_value()) << c.name;
        if (found) {
            EXPECT_EQ(found->window, recorder.Get());
            EXPECT_EQ(found->lParam, *c.lParam) << c.name;
        }
    }
}

TEST(WatchDir, RegistrationsNeedALiveWindowAndAStoppedWatcher) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CRecorderWindow gone;
    const HWND goneWindow = gone.Get();
    gone.Destroy();
    CWatchDir watch;
    EXPECT_FALSE(watch.Register(L"chmhist.xml", ChangeKind::Added, goneWindow, kReload, 1, 1));
    EXPECT_FALSE(watch.Register(L"chmhist.xml", static_cast<ChangeKind>(5), recorder.Get(), kReload, 1, 1));
    EXPECT_FALSE(watch.SetErrorTarget(nullptr, kError, 0, 0));
    ASSERT_TRUE(watch.Register(L"chmhist.xml", ChangeKind::Added, recorder.Get(), kReload, 1, 1));
    ASSERT_TRUE(watch.SetErrorTarget(recorder.Get(), kError, 0, 0));
    ASSERT_TRUE(watch.Start(folder.Path(), kDataWatchFilter));
    EXPECT_TRUE(watch.IsRunning());
    EXPECT_FALSE(watch.Register(L"chmkey.xml", ChangeKind::Added, recorder.Get(), kReload, 2, 2));
    EXPECT_FALSE(watch.SetErrorTarget(recorder.Get(), kError, 0, 0));
    EXPECT_TRUE(watch.Stop());
    EXPECT_FALSE(watch.IsRunning());
    EXPECT_TRUE(watch.Register(L"chmkey.xml", ChangeKind::Added, recorder.Get(), kReload, 2, 2));
}

TEST(WatchDir, AStartOnAMissingFolderFailsAndLeavesNothingRunning) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchDir watch;
    ASSERT_TRUE(watch.Register(L"chmhist.xml", ChangeKind::Added, recorder.Get(), kReload, 1, 1));
    EXPECT_FALSE(watch.Start(folder.File(L"missing"), kDataWatchFilter));
    EXPECT_FALSE(watch.IsRunning());
    // Nothing runs, so registering is allowed again.
    EXPECT_TRUE(watch.Register(L"chmhist.xml", ChangeKind::Added, recorder.Get(), kReload, 1, 1));
}

TEST(WatchDir, AWatchThatCannotBeginFailsItsStartAndIsNotReportedTwice) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchDir watch;
    ASSERT_TRUE(watch.Register(L"chmhist.xml", ChangeKind::Added, recorder.Get(), kReload, 1, 1));
    ASSERT_TRUE(watch.SetErrorTarget(recorder.Get(), kError, 0, 0));
    // The system refuses a read with no change to watch for: the first read fails on the worker.
    EXPECT_FALSE(watch.Start(folder.Path(), 0));
    EXPECT_FALSE(watch.IsRunning());
    CRecorderWindow::PumpPending();
    EXPECT_TRUE(recorder.GetReceived().empty());
}

TEST(WatchDir, ASecondStartEndsTheWatch) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchData watch;
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    EXPECT_FALSE(watch.CWatchDir::Start(folder.Path(), kDataWatchFilter));
    EXPECT_FALSE(watch.IsRunning());
    // Stopped, it can be started again.
    EXPECT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    EXPECT_TRUE(watch.Stop());
}

TEST(WatchDir, StopsCleanlyAndWatchesAgainAfterARestart) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CWatchData watch;
    EXPECT_FALSE(watch.Stop());
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    EXPECT_TRUE(watch.Stop());
    EXPECT_FALSE(watch.IsRunning());
    EXPECT_FALSE(watch.Stop());
    ASSERT_TRUE(watch.Start(folder.Path(), recorder.Get(), kReload, kError));
    ASSERT_TRUE(WriteBytes(folder.File(L"chmlib.xml"), kContent));
    EXPECT_TRUE(WaitForMessage(recorder, 0, kReload, 0x04, KindParam(ChangeKind::Added)));
    EXPECT_TRUE(watch.Stop());
    for (const auto& received : recorder.GetReceived()) {
        EXPECT_NE(received.message, kError);
    }
}

TEST(WatchDir, AChangeForAWindowThatIsGoneIsSkippedWithoutError) {
    CTempFolder folder;
    CRecorderWindow recorder;
    CRecorderWindow gone;
    CWatchDir watch;
    ASSERT_TRUE(watch.Register(L"chmhist.xml", ChangeKind::Added, gone.Get(), kReload, kHistoryBit, 1));
    ASSERT_TRUE(watch.Register(L"chmkey.xml", ChangeKind::Added, recorder.Get(), kReload, kKeysBit, 1));
    ASSERT_TRUE(watch.SetErrorTarget(recorder.Get(), kError, 0, 0));
    ASSERT_TRUE(watch.Start(folder.Path(), kDataWatchFilter));
    gone.Destroy();
    ASSERT_TRUE(WriteBytes(folder.File(L"chmhist.xml"), kContent));
    ASSERT_TRUE(WriteBytes(folder.File(L"chmkey.xml"), kContent));
    ASSERT_TRUE(WaitForMessage(recorder, 0, kReload, kKeysBit, 1));
    // The watch goes on: a later change is still reported.
    const size_t firstBatch = recorder.GetReceived().size();
    ASSERT_TRUE(::DeleteFileW(folder.File(L"chmkey.xml").c_str()));
    ASSERT_TRUE(WriteBytes(folder.File(L"chmkey.xml"), kContent));
    ASSERT_TRUE(WaitForMessage(recorder, firstBatch, kReload, kKeysBit, 1));
    EXPECT_TRUE(watch.Stop());
    for (const auto& received : recorder.GetReceived()) {
        EXPECT_EQ(received.message, kReload);
        EXPECT_EQ(received.wParam, kKeysBit);
    }
}
