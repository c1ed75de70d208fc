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

// Pumps until the recorder has received at least `count` messages.
bool PumpUntilReceived(const CRecorderWindow& recorder, size_t count, DWORD timeoutMs = kWaitLimitMs);

// On a worker thread: waits, without taking anything from the queue, until a quit message is queued.
bool WaitUntilQuitIsQueued(DWORD timeoutMs);

// Millisecond monotonic clock for the lower bound on the hand-back pause.
double NowMs();

// Where a probe job reports its own end, read after it was destroyed.
struct DestructionRecord {
    std::atomic<DWORD> threadId{0};
    HANDLE destroyed = nullptr; // set when the job is destroyed, if not null
};

// A file job whose run is a test-supplied body; remembers where and how it ran.
class CProbeFileJob : public transfer::CFileOpe {
public:
    using Body = std::function<bool(CProbeFileJob&)>;

    CProbeFileJob(HWND window, UINT message, Body body, DestructionRecord* record = nullptr)
        : CFileOpe(window, message), m_body(std::move(body)), m_record(record) {}
    ~CProbeFileJob() override;

    bool Run() override;

    bool ran = false;
    DWORD ranOnThread = 0;
    APTTYPE apartment = APTTYPE_CURRENT;
    bool breakSetAtStart = false;
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
    bool waitForBreak = false;
    HANDLE started = nullptr;

    std::string calls;
    bool breakSetAtStart = false;

private:
    bool Do(char name, const Step& step);
};

// Takes back the job a completion message carries.
template <class Job> std::unique_ptr<Job> AdoptJob(const CRecorderWindow::Received& received) {
    return std::unique_ptr<Job>(reinterpret_cast<Job*>(received.wParam));
}
