#include "transfer/JobThreads.h"

namespace transfer {

namespace {

win::CHandle CreateBreakEvent(const wchar_t* name) {
    return win::CHandle(::CreateEventW(nullptr, TRUE, FALSE, name));
}

// Refuses a job nobody could be told about; on success the worker owns the job.
template <class Job, class Thread> bool SubmitJob(const Thread& thread, std::unique_ptr<Job>& job, UINT threadMessage) {
    if (!job || !thread.IsRunning() || !::IsWindow(job->GetWindow()) || job->GetMessageId() == 0) {
        return false;
    }
    Job* raw = job.release();
    if (!thread.Post(threadMessage, reinterpret_cast<WPARAM>(raw), 0)) {
        job.reset(raw);
        return false;
    }
    return true;
}

// Hands the finished job back; if its window is gone the job ends here, on the worker.
template <class Job> void CompleteJob(std::unique_ptr<Job> job) noexcept {
    ::Sleep(kJobCompletionPauseMs);
    const HWND window = job->GetWindow();
    const UINT message = job->GetMessageId();
    if (::PostMessageW(window, message, reinterpret_cast<WPARAM>(job.get()), 0)) {
        (void)job.release();
    }
}

// A step that throws counts as a step that failed.
template <class Step> bool RunStep(Step step) noexcept {
    try {
        return step();
    } catch (...) {
        return false;
    }
}

bool SetBreak(const win::CHandle& breakEvent) noexcept {
    return breakEvent && ::SetEvent(breakEvent.Get()) != FALSE;
}

} // namespace

CFileThread::CFileThread() : m_breakEvent(CreateBreakEvent(kFileBreakEventName)) {}

CFileThread::~CFileThread() {
    (void)Stop();
}

bool CFileThread::Submit(std::unique_ptr<CFileOpe>& job) {
    return SubmitJob(*this, job, WM_APP_FILE_JOB);
}

bool CFileThread::Cancel() {
    return SetBreak(m_breakEvent);
}

bool CFileThread::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_APP_FILE_JOB) {
        return false;
    }
    OnFileJob(wParam);
    result = 0;
    return true;
}

void CFileThread::OnFileJob(WPARAM wParam) noexcept {
    std::unique_ptr<CFileOpe> job(reinterpret_cast<CFileOpe*>(wParam));
    if (!job) {
        return;
    }
    // A cancel meant for an earlier job must not stop this one.
    (void)::ResetEvent(m_breakEvent.Get());
    job->SetBreakEvent(m_breakEvent.Get());
    job->SetStatus(kJobStatusSuccess, true);
    if (!RunStep([&] { return job->Run(); })) {
        job->SetStatus(kJobStatusFailure);
    }
    CompleteJob(std::move(job));
}

CCommThread::CCommThread()
    : m_breakEvent(CreateBreakEvent(kCommBreakEventName)), m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CCommThread::~CCommThread() {
    (void)Stop();
}

bool CCommThread::Submit(std::unique_ptr<CComm>& job) {
    return SubmitJob(*this, job, WM_APP_COMM_JOB);
}

bool CCommThread::Cancel() {
    return SetBreak(m_breakEvent);
}

bool CCommThread::Stop() {
    // A job waiting on a connect that never ends would otherwise hold the quit message back for minutes.
    const bool signalled = SetBreak(m_stopEvent);
    const bool ok = CMessageThreadT::Stop();
    if (signalled) {
        (void)::ResetEvent(m_stopEvent.Get());
    }
    return ok;
}

bool CCommThread::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message != WM_APP_COMM_JOB) {
        return false;
    }
    OnCommJob(wParam);
    result = 0;
    return true;
}

void CCommThread::OnCommJob(WPARAM wParam) noexcept {
    std::unique_ptr<CComm> job(reinterpret_cast<CComm*>(wParam));
    if (!job) {
        return;
    }
    (void)::ResetEvent(m_breakEvent.Get());
    job->SetBreakEvent(m_breakEvent.Get());
    job->SetStopEvent(m_stopEvent.Get());
    (void)RunStep([&] {
        job->ResetResults();
        return true;
    });
    if (!RunStep([&] { return job->Connect(); })) {
        job->SetStatus(kJobStatusFailure);
    } else if (!RunStep([&] { return job->Transfer(); })) {
        job->SetStatus(kJobStatusFailure);
    }
    // Close runs whatever happened before, so handles opened by a failed connect are released too.
    if (!RunStep([&] { return job->Close(); })) {
        job->SetStatus(kJobStatusFailure);
    }
    CompleteJob(std::move(job));
}

} // namespace transfer
