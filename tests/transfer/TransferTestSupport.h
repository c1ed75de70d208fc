#pragma once
// Waiting with a message pump, and probe jobs that record what the workers did with them.

#include "common/RecorderWindow.h"

#include "transfer/Jobs.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

constexpr DWORD kWaitLimitMs = 30000;

// Waits in short steps until the condition holds, pumping this thread's messages when asked to; false when it
// did not hold within the limit. Short steps because some conditions (a file growing) come with no message.
inline bool WaitLoop(const std::function<bool()>& condition, DWORD timeoutMs, DWORD wakeMask, bool pump) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (pump) {
            CRecorderWindow::PumpPending();
        }
        if (condition()) {
            return true;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                          static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)), wakeMask);
    }
}

inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitLimitMs) {
    return WaitLoop(condition, timeoutMs, QS_ALLINPUT, true);
}

inline bool PumpUntilReceived(const CRecorderWindow& recorder, size_t count, DWORD timeoutMs = kWaitLimitMs) {
    return PumpUntil([&] { return recorder.GetReceived().size() >= count; }, timeoutMs);
}

// On a worker thread: waits, without taking anything from the queue, until a quit message is queued.
inline bool WaitUntilQuitIsQueued(DWORD timeoutMs) {
    return WaitLoop(
        [] {
            MSG msg{};
            return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
        },
        timeoutMs, QS_POSTMESSAGE, false);
}

inline double NowMs() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Manual reset, not signalled.
inline HANDLE NewEvent() {
    return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

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
    ~CProbeFileJob() override {
        if (m_record) {
            m_record->threadId = ::GetCurrentThreadId();
            ::SetEvent(m_record->destroyed);
        }
    }

    bool Run() override {
        ranOnThread = ::GetCurrentThreadId();
        APTTYPEQUALIFIER qualifier{};
        if (FAILED(::CoGetApartmentType(&apartment, &qualifier))) {
            apartment = APTTYPE_CURRENT;
        }
        const bool result = m_body ? m_body(*this) : true;
        finishedAtMs = NowMs();
        return result;
    }

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

    bool Connect() override {
        breakSetAtStart = IsBreakRequested();
        return Do('c', connect);
    }
    // While transferring: with `started` set, signals it and waits for a cancel; without one the step times out.
    bool Transfer() override {
        if (!started) {
            return Do('t', transfer);
        }
        calls += 't';
        ::SetEvent(started);
        SetStatus(::WaitForSingleObject(GetBreakEvent(), kWaitLimitMs) == WAIT_OBJECT_0 ? 1 : 99);
        return false;
    }
    bool Close() override { return Do('x', close); }

    Step connect;
    Step transfer;
    Step close;
    HANDLE started = nullptr;
    std::string calls;
    bool breakSetAtStart = false;

private:
    bool Do(char name, const Step& step) {
        calls += name;
        if (step.statusToSet != 0) {
            SetStatus(step.statusToSet);
        }
        return step.succeeds;
    }
};

// The worker interface a job goes through: file jobs or download jobs.
template <class Job>
using JobBase = std::conditional_t<std::is_base_of_v<transfer::CFileOpe, Job>, transfer::CFileOpe, transfer::CComm>;

// Takes over the job a completion message carries.
template <class Job> std::unique_ptr<Job> AdoptJob(const CRecorderWindow::Received& received) {
    return std::unique_ptr<Job>(static_cast<Job*>(reinterpret_cast<JobBase<Job>*>(received.wParam)));
}

// Submits a job and takes it back from its completion message; null when either failed.
template <class Job, class Thread>
std::unique_ptr<Job> RunJob(Thread& thread, const CRecorderWindow& recorder, std::unique_ptr<Job> job) {
    const size_t before = recorder.GetReceived().size();
    std::unique_ptr<JobBase<Job>> base = std::move(job);
    if (!thread.Submit(base) || base || !PumpUntilReceived(recorder, before + 1)) {
        return nullptr;
    }
    return AdoptJob<Job>(recorder.GetReceived()[before]);
}
