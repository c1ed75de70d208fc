// The job contract of the file and communication threads: where jobs run, their status, their hand-back and a
// stop in the middle of one.

#include "TransferTestSupport.h"

#include "transfer/JobThreads.h"

#include "win/Handles.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace transfer;

constexpr UINT kDone = WM_APP + 50;

TEST(FileThread, JobsRunOnTheWorkerAndComeBackWithTheirStatus) {
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
    }
    EXPECT_TRUE(thread.Stop());
    EXPECT_FALSE(thread.IsRunning());
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
        return WaitUntilQuitIsQueued();
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
