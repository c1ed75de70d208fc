// The job contract of the file and communication threads: ownership, hand-back, first error, pause, cancel, stop.

#include "TransferTestSupport.h"

#include "common/HelperMode.h"
#include "common/TempFolder.h"

#include "transfer/JobThreads.h"

#include "win/Handles.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace transfer;

namespace {

constexpr UINT kDone = WM_APP + 50;

// Submits a probe whose transfer waits for a cancel; false when it did not start waiting.
bool StartWaitingTransfer(CCommThread& thread, CRecorderWindow& recorder, HANDLE started) {
    auto probe = std::make_unique<CProbeCommJob>(recorder.Get(), kDone);
    probe->started = started;
    std::unique_ptr<CComm> job = std::move(probe);
    return thread.Start(0) && thread.Submit(job) && ::WaitForSingleObject(started, kWaitLimitMs) == WAIT_OBJECT_0;
}

// Another instance transferring: signals argv[0] once its transfer waits, exits with the job's status.
int TransferUntilCancelled(int argc, wchar_t** argv) {
    win::CHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, argc > 0 ? argv[0] : L""));
    win::CHandle started(NewEvent());
    CRecorderWindow recorder;
    CCommThread thread;
    if (!ready || !StartWaitingTransfer(thread, recorder, started.Get()) || !::SetEvent(ready.Get()) ||
        !PumpUntilReceived(recorder, 1)) {
        return 90;
    }
    const auto back = AdoptJob<CProbeCommJob>(recorder.GetReceived()[0]);
    (void)thread.Stop();
    return static_cast<int>(back->GetStatus());
}
FOLIVEX_TEST_HELPER(L"transfer-until-cancelled", TransferUntilCancelled);

} // namespace

TEST(JobStatus, FirstErrorWinsUnlessForced) {
    const struct {
        uint32_t initial, set;
        bool force;
        uint32_t expected;
    } cases[] = {{0, 2, false, 2}, {5, 2, false, 5}, {5, 2, true, 2}, {5, 0, false, 5}, {5, 0, true, 0}};
    for (const auto& c : cases) {
        CProbeCommJob job(nullptr, 0);
        job.SetStatus(c.initial, true);
        job.SetStatus(c.set, c.force);
        EXPECT_EQ(job.GetStatus(), c.expected) << c.initial << " then " << c.set << " forced " << c.force;
    }
    CProbeCommJob job(nullptr, 0);
    job.SetDetail(L"first");
    job.SetDetail(L"later");
    EXPECT_EQ(job.GetDetail(), L"first");
}

TEST(FileThread, JobsRunOnTheWorkerAndComeBackWithTheirStatusAfterThePause) {
    CRecorderWindow recorder;
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    // A failed run is a general failure unless the job set its own status.
    const std::pair<CProbeFileJob::Body, uint32_t> cases[] = {
        {nullptr, kJobStatusSuccess},
        {[](CProbeFileJob&) { return false; }, kJobStatusFailure},
        {[](CProbeFileJob& j) { return j.SetStatus(7), false; }, 7},
        {[](CProbeFileJob&) -> bool { throw std::runtime_error("disk"); }, kJobStatusFailure},
    };
    for (const auto& [body, expected] : cases) {
        auto probe = std::make_unique<CProbeFileJob>(recorder.Get(), kDone, body);
        probe->SetStatus(9, true); // left from an earlier run; must not survive the next
        auto back = RunJob(thread, recorder, std::move(probe));
        ASSERT_NE(back, nullptr) << expected;
        EXPECT_EQ(back->GetStatus(), expected);
        EXPECT_EQ(recorder.GetReceived().back().message, kDone);
        EXPECT_EQ(back->ranOnThread, thread.GetThreadId());
        EXPECT_NE(back->ranOnThread, ::GetCurrentThreadId());
        EXPECT_EQ(back->apartment, APTTYPE_STA);
        EXPECT_GE(NowMs() - back->finishedAtMs, static_cast<double>(kJobCompletionPauseMs) - 20.0);
    }
    EXPECT_TRUE(thread.Stop());
    EXPECT_FALSE(thread.IsRunning());
}

TEST(FileThread, ARefusedJobStaysWithTheCaller) {
    CRecorderWindow recorder;
    CRecorderWindow gone;
    const HWND goneWindow = gone.Get();
    gone.Destroy();
    const struct {
        bool started;
        HWND window;
        UINT message;
    } cases[] = {
        {false, recorder.Get(), kDone}, {true, nullptr, kDone}, {true, goneWindow, kDone}, {true, recorder.Get(), 0}};
    for (const auto& c : cases) {
        CFileThread thread;
        ASSERT_TRUE(!c.started || thread.Start(0));
        std::unique_ptr<CFileOpe> job = std::make_unique<CProbeFileJob>(c.window, c.message, nullptr);
        CFileOpe* raw = job.get();
        EXPECT_FALSE(thread.Submit(job));
        EXPECT_EQ(job.get(), raw);
        EXPECT_EQ(static_cast<CProbeFileJob*>(raw)->ranOnThread, 0u);
        EXPECT_EQ(thread.Stop(), c.started);
    }
}

TEST(FileThread, AJobWhoseWindowIsGoneIsDestroyedOnTheWorker) {
    CRecorderWindow target;
    win::CHandle windowGone(NewEvent());
    win::CHandle destroyed(NewEvent());
    DestructionRecord record;
    record.destroyed = destroyed.Get();
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    const HANDLE gate = windowGone.Get();
    std::unique_ptr<CFileOpe> job = std::make_unique<CProbeFileJob>(
        target.Get(), kDone,
        [gate](CProbeFileJob&) { return ::WaitForSingleObject(gate, kWaitLimitMs) == WAIT_OBJECT_0; }, &record);
    ASSERT_TRUE(thread.Submit(job));
    target.Destroy();
    ::SetEvent(gate);
    ASSERT_EQ(::WaitForSingleObject(destroyed.Get(), kWaitLimitMs), WAIT_OBJECT_0);
    EXPECT_EQ(record.threadId.load(), thread.GetThreadId());
    EXPECT_TRUE(thread.Stop());
}

TEST(FileThread, StoppingMidJobWaitsForTheJobAndItsHandBack) {
    CRecorderWindow recorder;
    win::CHandle started(NewEvent());
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    const HANDLE startedEvent = started.Get();
    // The job ends only once the quit message is queued behind it, so it is certainly mid-run when Stop begins.
    std::unique_ptr<CFileOpe> job = std::make_unique<CProbeFileJob>(recorder.Get(), kDone, [=](CProbeFileJob&) {
        ::SetEvent(startedEvent);
        return WaitUntilQuitIsQueued(kWaitLimitMs);
    });
    ASSERT_TRUE(thread.Submit(job));
    ASSERT_EQ(::WaitForSingleObject(startedEvent, kWaitLimitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(thread.Stop());
    CRecorderWindow::PumpPending();
    ASSERT_EQ(recorder.GetReceived().size(), 1u);
    EXPECT_EQ(AdoptJob<CProbeFileJob>(recorder.GetReceived()[0])->GetStatus(), kJobStatusSuccess);
}

TEST(CommThread, ConnectTransferAndCloseFollowTheContractAndAnEarlierCancelIsForgotten) {
    const struct {
        CProbeCommJob::Step connect, transfer, close;
        const char* calls;
        uint32_t status;
    } cases[] = {
        {{}, {}, {}, "ctx", 0},
        {{false, 0}, {}, {}, "cx", kJobStatusFailure},
        {{false, 5}, {}, {}, "cx", 5},
        {{}, {false, 0}, {}, "ctx", kJobStatusFailure},
        {{}, {false, 10}, {false, 4}, "ctx", 10},
        {{}, {}, {false, 4}, "ctx", 4},
    };
    CRecorderWindow recorder;
    CCommThread thread;
    ASSERT_TRUE(thread.Start(0));
    ASSERT_TRUE(thread.Cancel()); // before any job: the next job clears it as it starts
    for (const auto& c : cases) {
        auto probe = std::make_unique<CProbeCommJob>(recorder.Get(), kDone);
        probe->SetStatus(6, true);
        probe->SetDetail(L"HTTP Status Code: 401", true);
        probe->connect = c.connect;
        probe->transfer = c.transfer;
        probe->close = c.close;
        auto back = RunJob(thread, recorder, std::move(probe));
        ASSERT_NE(back, nullptr) << c.calls << c.status;
        EXPECT_EQ(back->calls, c.calls);
        EXPECT_EQ(back->GetStatus(), c.status) << c.calls;
        EXPECT_TRUE(back->GetDetail().empty());
        EXPECT_FALSE(back->breakSetAtStart);
    }
    EXPECT_TRUE(thread.Stop());
}

TEST(CommThread, ACancelInOneProcessCancelsTheTransfersOfBoth) {
    CRecorderWindow recorder;
    win::CHandle started(NewEvent());
    const std::wstring readyName = UniqueName(L"folivex transfer test ready");
    win::CHandle otherReady(::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str()));
    ASSERT_TRUE(otherReady);
    CCommThread thread;
    ASSERT_TRUE(StartWaitingTransfer(thread, recorder, started.Get()));
    // The other instance's job starts second, clearing the event once more; the cancel comes after both.
    CHelperProcess other;
    ASSERT_TRUE(other.Start(L"transfer-until-cancelled", {readyName}));
    ASSERT_EQ(::WaitForSingleObject(otherReady.Get(), kWaitLimitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(thread.Cancel());
    ASSERT_TRUE(PumpUntilReceived(recorder, 1));
    EXPECT_EQ(AdoptJob<CProbeCommJob>(recorder.GetReceived()[0])->GetStatus(), 1u);
    EXPECT_EQ(other.Wait(), 1);
    EXPECT_TRUE(thread.Stop());
}
