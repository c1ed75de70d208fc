#pragma once
// Waiting with a message pump, and probe jobs that record what the workers did with them.

#include "common/RecorderWindow.h"

#include "transfer/Jobs.h"

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

constexpr DWORD kWaitLimitMs = 30000;

// Pumps this thread's messages until the condition holds; false when it did not within the limit.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitLimitMs);
bool PumpUntilReceived(const CRecorderWindow& recorder, size_t count);
// On a worker thread: waits, without taking anything from the queue, until a quit message is queued.
bool WaitUntilQuitIsQueued(DWORD timeoutMs);
double NowMs();
bool Exists(const std::wstring& path);
HANDLE NewEvent(); // manual reset, not signalled

// Where a probe job reports its own end, read after it was destroyed.
struct DestructionRecord {
    std::atomic<DWORD> threadId{0};
    HANDLE destroyed = nullptr;
};

// A file job whose run is a test-supplied body; remembers where and how it ran.
class CProbeFileJob : public transfer::CFileOpe {
public:
    using Body = std::function<bool(CProbeFileJob&)>;

    CProbeFileJob(HWND window, UINT message, Body body, DestructionRecord* record = nullptr)
        : CFileOpe(window, message), m_body(std::move(body)), m_record(record) {}
    ~CProbeFileJob() override;

    bool Run() override;

    DWORD ranOnThread = 0;
    APTTYPE apartment = APTTYPE_CURRENT;
    double finishedAtMs = 0;

private:
    Body m_body;
    DestructionRecord* m_record;
};

// A download job whose three steps succeed or fail as told, and which may set its own status in a step.
class CProbeCommJob : public transfer::CComm {
public:
    struct Step {
        bool succeeds = true;
        uint32_t statusToSet = 0; // 0: the step leaves the status alone
    };

    CProbeCommJob(HWND window, UINT message) : CComm(window, message) {}

    bool Connect() override { return Do('c', connect); }
    bool Transfer() override;
    bool Close() override { return Do('x', close); }

    Step connect;
    Step transfer;
    Step close;
    // While transferring: wait for a cancel, signalling `started` first; without a cancel the step times out.
    HANDLE started = nullptr;
    std::string calls;
    bool breakSetAtStart = false;

private:
    bool Do(char name, const Step& step);
};

template <class Job> std::unique_ptr<Job> AdoptJob(const CRecorderWindow::Received& received) {
    return std::unique_ptr<Job>(reinterpret_cast<Job*>(received.wParam));
}

// Submits a job and takes it back from its completion message; null when either failed.
template <class Job, class Thread, class Base>
std::unique_ptr<Job> RunJob(Thread& thread, const CRecorderWindow& recorder, std::unique_ptr<Base> job) {
    const size_t before = recorder.GetReceived().size();
    if (!thread.Submit(job) || job || !PumpUntilReceived(recorder, before + 1)) {
        return nullptr;
    }
    return AdoptJob<Job>(recorder.GetReceived()[before]);
}
