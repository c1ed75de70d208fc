// The break events are shared by every instance: a cancel in one process reaches a job in another.

#include "TransferTestSupport.h"

#include "common/HelperMode.h"
#include "common/TempFolder.h"

#include "transfer/JobThreads.h"

#include "win/Handles.h"

#include <gtest/gtest.h>

#include <string>

using namespace transfer;

namespace {

constexpr UINT kDone = WM_APP + 51;

// Another instance pressing cancel: a file thread that was never started still sets the shared event.
int CancelFileWork(int, wchar_t**) {
    CFileThread thread;
    return thread.Cancel() ? 0 : 1;
}
FOLIVEX_TEST_HELPER(L"cancel-file-work", CancelFileWork);

// Another instance downloading: signals argv[0] once its transfer waits, exits with the job's status.
int DownloadUntilCancelled(int argc, wchar_t** argv) {
    if (argc < 1) {
        return 90;
    }
    win::CHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[0]));
    win::CHandle started(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CRecorderWindow recorder;
    CCommThread thread;
    if (!ready || !started || !thread.Start(0)) {
        return 91;
    }
    auto probe = std::make_unique<CProbeCommJob>(recorder.Get(), kDone);
    probe->waitForBreak = true;
    probe->started = started.Get();
    std::unique_ptr<CComm> job = std::move(probe);
    if (!thread.Submit(job) || ::WaitForSingleObject(started.Get(), kWaitLimitMs) != WAIT_OBJECT_0) {
        return 92;
    }
    ::SetEvent(ready.Get());
    if (!PumpUntilReceived(recorder, 1)) {
        return 93;
    }
    const auto back = AdoptJob<CProbeCommJob>(recorder.GetReceived()[0]);
    (void)thread.Stop();
    return static_cast<int>(back->GetStatus());
}
FOLIVEX_TEST_HELPER(L"download-until-cancelled", DownloadUntilCancelled);

} // namespace

TEST(CrossProcessCancel, ACancelInAnotherProcessEndsAJobHere) {
    CRecorderWindow recorder;
    win::CHandle started(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    const HANDLE startedEvent = started.Get();
    std::unique_ptr<CFileOpe> job =
        std::make_unique<CProbeFileJob>(recorder.Get(), kDone, [startedEvent](CProbeFileJob& self) {
            ::SetEvent(startedEvent);
            if (::WaitForSingleObject(self.GetBreakEvent(), kWaitLimitMs) == WAIT_OBJECT_0) {
                self.SetStatus(1);
            }
            return self.GetStatus() == 1;
        });
    ASSERT_TRUE(thread.Submit(job));
    ASSERT_EQ(::WaitForSingleObject(started.Get(), kWaitLimitMs), WAIT_OBJECT_0);

    CHelperProcess other;
    ASSERT_TRUE(other.Start(L"cancel-file-work"));
    EXPECT_EQ(other.Wait(), 0);
    ASSERT_TRUE(PumpUntilReceived(recorder, 1));
    const auto back = AdoptJob<CProbeFileJob>(recorder.GetReceived()[0]);
    EXPECT_EQ(back->GetStatus(), 1u);
    EXPECT_TRUE(thread.Stop());
}

TEST(CrossProcessCancel, TwoInstancesTransferringAreBothCancelledByEither) {
    CRecorderWindow recorder;
    win::CHandle started(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const std::wstring readyName = UniqueName(L"folivex transfer test ready");
    win::CHandle otherReady(::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    ASSERT_TRUE(otherReady);
    CCommThread thread;
    ASSERT_TRUE(thread.Start(0));
    auto probe = std::make_unique<CProbeCommJob>(recorder.Get(), kDone);
    probe->waitForBreak = true;
    probe->started = started.Get();
    std::unique_ptr<CComm> job = std::move(probe);
    ASSERT_TRUE(thread.Submit(job));
    ASSERT_EQ(::WaitForSingleObject(started.Get(), kWaitLimitMs), WAIT_OBJECT_0);

    // The other instance's job starts second, clearing the event once more; the cancel comes after both.
    CHelperProcess other;
    ASSERT_TRUE(other.Start(L"download-until-cancelled", {readyName}));
    ASSERT_EQ(::WaitForSingleObject(otherReady.Get(), kWaitLimitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(thread.Cancel());

    ASSERT_TRUE(PumpUntilReceived(recorder, 1));
    const auto back = AdoptJob<CProbeCommJob>(recorder.GetReceived()[0]);
    EXPECT_EQ(back->GetStatus(), 1u);
    EXPECT_EQ(other.Wait(), 1);
    EXPECT_TRUE(thread.Stop());
}
