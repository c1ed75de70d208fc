// The job contract of the file and communication threads: ownership, hand-back, first error, pause, cancel, stop.

#include "TransferTestSupport.h"

#include "transfer/JobThreads.h"

#include "win/Handles.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace transfer;

namespace {

constexpr UINT kDone = WM_APP + 50;

// Submits one probe file job and waits for it to come back.
std::unique_ptr<CProbeFileJob> RunFileJob(CFileThread& thread, CRecorderWindow& recorder, CProbeFileJob::Body body) {
    const size_t before = recorder.GetReceived().size();
    std::unique_ptr<CFileOpe> job = std::make_unique<CProbeFileJob>(recorder.Get(), kDone, std::move(body));
    if (!thread.Submit(job) || job || !PumpUntilReceived(recorder, before + 1)) {
        return nullptr;
    }
    return AdoptJob<CProbeFileJob>(recorder.GetReceived()[before]);
}

std::unique_ptr<CProbeCommJob> RunCommJob(CCommThread& thread, CRecorderWindow& recorder,
                                          std::unique_ptr<CProbeCommJob> probe) {
    const size_t before = recorder.GetReceived().size();
    std::unique_ptr<CComm> job = std::move(probe);
    if (!thread.Submit(job) || job || !PumpUntilReceived(recorder, before + 1)) {
        return nullptr;
    }
    return AdoptJob<CProbeCommJob>(recorder.GetReceived()[before]);
}

} // namespace

TEST(JobStatus, FirstErrorWinsUnlessForced) {
    struct Case {
        uint32_t initial;
        uint32_t set;
        bool force;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, 2, false, 2}, {5, 2, false, 5}, {5, 2, true, 2}, {5, 0, false, 5}, {5, 0, true, 0}, {0, 0, false, 0},
    };
    for (const Case& c : cases) {
        CProbeCommJob job(nullptr, 0);
        job.SetStatus(c.initial, true);
        job.SetStatus(c.set, c.force);
        EXPECT_EQ(job.GetStatus(), c.expected) << c.initial << " then " << c.set << (c.force ? " forced" : "");
    }
}

TEST(JobStatus, FirstDetailWinsUnlessForced) {
    CProbeCommJob job(nullptr, 0);
    job.SetDetail(L"HTTP Status Code: 404");
    job.SetDetail(L"later");
    EXPECT_EQ(job.GetDetail(), L"HTTP Status Code: 404");
    job.SetDetail(L"forced", true);
    EXPECT_EQ(job.GetDetail(), L"forced");
}

TEST(FileThread, JobRunsOnTheWorkerInASingleThreadedApartmentAndComesBackToItsWindow) {
    CRecorderWindow recorder;
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    EXPECT_TRUE(thread.IsRunning());
    auto job = RunFileJob(thread, recorder, nullptr);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(recorder.GetReceived()[0].message, kDone);
    EXPECT_EQ(recorder.GetReceived()[0].lParam, 0);
    EXPECT_TRUE(job->ran);
    EXPECT_EQ(job->ranOnThread, thread.GetThreadId());
    EXPECT_NE(job->ranOnThread, ::GetCurrentThreadId());
    EXPECT_EQ(job->apartment, APTTYPE_STA);
    EXPECT_NE(job->GetBreakEvent(), nullptr);
    EXPECT_EQ(job->GetStatus(), kJobStatusSuccess);
    EXPECT_TRUE(thread.Stop());
    EXPECT_FALSE(thread.IsRunning());
}

TEST(FileThread, AFailedRunIsAGeneralFailureUnlessTheJobSetItsOwnStatus) {
    CRecorderWindow recorder;
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    struct Case {
        const char* name;
        CProbeFileJob::Body body;
        uint32_t expected;
    };
    const Case cases[] = {
        {"succeeds", [](CProbeFileJob&) { return true; }, 0},
        {"fails silently", [](CProbeFileJob&) { return false; }, kJobStatusFailure},
        {"fails with its own status",
         [](CProbeFileJob& j) {
             j.SetStatus(7);
             return false;
         },
         7},
        {"throws", [](CProbeFileJob&) -> bool { throw std::runtime_error("disk"); }, kJobStatusFailure},
    };
    for (const Case& c : cases) {
        const size_t before = recorder.GetReceived().size();
        auto probe = std::make_unique<CProbeFileJob>(recorder.Get(), kDone, c.body);
        // A status left from an earlier run of the same job object must not survive the next run.
        probe->SetStatus(9, true);
        std::unique_ptr<CFileOpe> job = std::move(probe);
        ASSERT_TRUE(thread.Submit(job)) << c.name;
        ASSERT_TRUE(PumpUntilReceived(recorder, before + 1)) << c.name;
        auto back = AdoptJob<CProbeFileJob>(recorder.GetReceived()[before]);
        EXPECT_EQ(back->GetStatus(), c.expected) << c.name;
    }
    EXPECT_TRUE(thread.Stop());
}

TEST(FileThread, AQuickJobIsHandedBackOnlyAfterThePause) {
    CRecorderWindow recorder;
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    auto job = RunFileJob(thread, recorder, nullptr);
    ASSERT_NE(job, nullptr);
    // A lower bound only: a loaded machine makes the gap longer, never shorter. The margin covers the
    // system timer's granularity.
    EXPECT_GE(NowMs() - job->finishedAtMs, static_cast<double>(kJobCompletionPauseMs) - 20.0);
    EXPECT_TRUE(thread.Stop());
}

TEST(FileThread, AJobForAThreadNeverStartedStaysWithTheCaller) {
    CRecorderWindow recorder;
    CFileThread thread;
    std::unique_ptr<CFileOpe> job = std::make_unique<CProbeFileJob>(recorder.Get(), kDone, nullptr);
    CFileOpe* raw = job.get();
    EXPECT_FALSE(thread.Submit(job));
    EXPECT_EQ(job.get(), raw);
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_FALSE(thread.Stop());
    EXPECT_FALSE(static_cast<CProbeFileJob*>(raw)->ran);
}

TEST(FileThread, AJobWithoutALiveWindowOrMessageIsRefused) {
    CRecorderWindow recorder;
    CRecorderWindow gone;
    const HWND goneWindow = gone.Get();
    gone.Destroy();
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    const struct {
        HWND window;
        UINT message;
    } cases[] = {{nullptr, kDone}, {goneWindow, kDone}, {recorder.Get(), 0}};
    for (const auto& c : cases) {
        std::unique_ptr<CFileOpe> job = std::make_unique<CProbeFileJob>(c.window, c.message, nullptr);
        EXPECT_FALSE(thread.Submit(job));
        EXPECT_NE(job, nullptr);
    }
    EXPECT_TRUE(thread.Stop());
    // Stopped again, the thread refuses jobs as it did before it started.
    std::unique_ptr<CFileOpe> late = std::make_unique<CProbeFileJob>(recorder.Get(), kDone, nullptr);
    EXPECT_FALSE(thread.Submit(late));
    EXPECT_NE(late, nullptr);
}

TEST(FileThread, StartsOnceAndStartsAgainAfterAStop) {
    CRecorderWindow recorder;
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    const DWORD first = thread.GetThreadId();
    EXPECT_FALSE(thread.Start(0));
    EXPECT_EQ(thread.GetThreadId(), first);
    EXPECT_TRUE(thread.Stop());
    EXPECT_EQ(thread.GetThreadId(), 0u);
    ASSERT_TRUE(thread.Start(0));
    auto job = RunFileJob(thread, recorder, nullptr);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(job->ranOnThread, thread.GetThreadId());
    EXPECT_TRUE(thread.Stop());
}

TEST(FileThread, AJobWhoseWindowIsGoneIsDestroyedOnTheWorker) {
    CRecorderWindow recorder;
    CRecorderWindow target;
    win::CHandle windowGone(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    win::CHandle destroyed(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
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
    ::SetEvent(windowGone.Get());
    ASSERT_EQ(::WaitForSingleObject(destroyed.Get(), kWaitLimitMs), WAIT_OBJECT_0);
    EXPECT_EQ(record.threadId.load(), thread.GetThreadId());
    EXPECT_TRUE(thread.Stop());
}

TEST(FileThread, StoppingMidJobWaitsForTheJobItsPauseAndItsHandBack) {
    CRecorderWindow recorder;
    win::CHandle started(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    CFileThread thread;
    ASSERT_TRUE(thread.Start(0));
    const HANDLE startedEvent = started.Get();
    // The job ends only once the quit message is queued behind it, so it is certainly mid-run when Stop begins.
    std::unique_ptr<CFileOpe> job =
        std::make_unique<CProbeFileJob>(recorder.Get(), kDone, [startedEvent](CProbeFileJob&) {
            ::SetEvent(startedEvent);
            return WaitUntilQuitIsQueued(kWaitLimitMs);
        });
    ASSERT_TRUE(thread.Submit(job));
    ASSERT_EQ(::WaitForSingleObject(started.Get(), kWaitLimitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(thread.Stop());
    EXPECT_FALSE(thread.IsRunning());
    // The hand-back is already queued: no waiting is needed to see it.
    CRecorderWindow::PumpPending();
    ASSERT_EQ(recorder.GetReceived().size(), 1u);
    auto back = AdoptJob<CProbeFileJob>(recorder.GetReceived()[0]);
    EXPECT_EQ(back->GetStatus(), kJobStatusSuccess);
}

TEST(Workers, EachWorkerRunsOnlyItsOwnJobMessage) {
    CRecorderWindow recorder;
    CFileThread fileThread;
    ASSERT_TRUE(fileThread.Start(0));
    // A download job sent to the file thread must be left alone; it stays ours.
    auto stray = std::make_unique<CProbeCommJob>(recorder.Get(), kDone);
    ASSERT_TRUE(fileThread.Post(WM_APP_COMM_JOB, reinterpret_cast<WPARAM>(stray.get()), 0));
    auto job = RunFileJob(fileThread, recorder, nullptr);
    ASSERT_NE(job, nullptr);
    EXPECT_EQ(recorder.GetReceived().size(), 1u);
    EXPECT_TRUE(stray->calls.empty());
    EXPECT_TRUE(fileThread.Stop());
}

TEST(CommThread, ConnectTransferAndCloseFollowTheContract) {
    struct Case {
        const char* name;
        CProbeCommJob::Step connect;
        CProbeCommJob::Step transfer;
        CProbeCommJob::Step close;
        const char* calls;
        uint32_t status;
    };
    const Case cases[] = {
        {"all succeed", {}, {}, {}, "ctx", 0},
        {"connect fails", {false, 0}, {}, {}, "cx", kJobStatusFailure},
        {"connect fails with a code", {false, 5}, {}, {}, "cx", 5},
        {"transfer fails", {}, {false, 0}, {}, "ctx", kJobStatusFailure},
        {"transfer fails with a code, close too", {}, {false, 10}, {false, 4}, "ctx", 10},
        {"only close fails", {}, {}, {false, 0}, "ctx", kJobStatusFailure},
        {"close fails with a code", {}, {}, {false, 4}, "ctx", 4},
    };
    CRecorderWindow recorder;
    CCommThread thread;
    ASSERT_TRUE(thread.Start(0));
    for (const Case& c : cases) {
        auto probe = std::make_unique<CProbeCommJob>(recorder.Get(), kDone);
        // What an earlier run of the same job left must not survive into this one.
        probe->SetStatus(6, true);
        probe->SetDetail(L"HTTP Status Code: 401", true);
        probe->connect = c.connect;
        probe->transfer = c.transfer;
        probe->close = c.close;
        auto back = RunCommJob(thread, recorder, std::move(probe));
        ASSERT_NE(back, nullptr) << c.name;
        EXPECT_EQ(back->calls, c.calls) << c.name;
        EXPECT_EQ(back->GetStatus(), c.status) << c.name;
        EXPECT_TRUE(back->GetDetail().empty()) << c.name;
    }
    EXPECT_TRUE(thread.Stop());
}

TEST(CommThread, ACancelBeforeTheJobStartsHasNoEffect) {
    CRecorderWindow recorder;
    CCommThread thread;
    ASSERT_TRUE(thread.Start(0));
    ASSERT_TRUE(thread.Cancel());
    auto back = RunCommJob(thread, recorder, std::make_unique<CProbeCommJob>(recorder.Get(), kDone));
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->breakSetAtStart);
    EXPECT_EQ(back->GetStatus(), 0u);
    EXPECT_TRUE(thread.Stop());
}

TEST(BreakEvents, AreTheNamedEventsAllInstancesShare) {
    CFileThread fileThread;
    CCommThread commThread;
    const struct {
        const wchar_t* name;
        bool (*cancel)(CFileThread&, CCommThread&);
    } cases[] = {
        {L"folivex file operation break event", [](CFileThread& f, CCommThread&) { return f.Cancel(); }},
        {L"folivex communication break event", [](CFileThread&, CCommThread& c) { return c.Cancel(); }},
    };
    for (const auto& c : cases) {
        win::CHandle opened(::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, c.name));
        ASSERT_TRUE(opened) << c.name;
        ASSERT_TRUE(::ResetEvent(opened.Get()));
        EXPECT_TRUE(c.cancel(fileThread, commThread));
        EXPECT_EQ(::WaitForSingleObject(opened.Get(), 0), WAIT_OBJECT_0) << c.name;
        // Manual reset: the cancel stays visible until a job starts.
        EXPECT_EQ(::WaitForSingleObject(opened.Get(), 0), WAIT_OBJECT_0) << c.name;
        ::ResetEvent(opened.Get());
    }
}
