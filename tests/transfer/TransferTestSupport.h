#pragma once
// Probe jobs that record what the workers did with them, and waiting for their completion messages.

#include "common/RecorderWindow.h"
#include "common/Wait.h"

#include "transfer/Jobs.h"

#include <windows.h>
#include <objbase.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

constexpr DWORD kWaitLimitMs = 30000;

inline bool PumpUntilReceived(const CRecorderWindow& recorder, size_t count, Timeout timeout = kDefaultTimeout) {
    return WaitUntil([&] { return recorder.GetReceived().size() >= count; }, timeout);
}

// On a worker thread: waits, without taking anything from the queue, until a quit message is queued.
inline bool WaitUntilQuitIsQueued() {
    return WaitUntil(
        [] {
            MSG msg{};
            return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
        },
        kDefaultTimeout, nullptr, false);
}

inline bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Manual reset, not signalled.
inline HANDLE NewEvent() {
    return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

// A file job whose run is a test-supplied body; remembers where and how it ran.
class CProbeFileJob : public transfer::CFileOpe {
public:
    using Body = std::function<bool(CProbeFileJob&)>;

    CProbeFileJob(HWND window, UINT message, Body body) : CFileOpe(window, message), m_body(std::move(body)) {}

    bool Run() override {
        ranOnThread = ::GetCurrentThreadId();
        APTTYPEQUALIFIER qualifier{};
        if (FAILED(::CoGetApartmentType(&apartment, &qualifier))) {
            apartment = APTTYPE_CURRENT;
        }
        return m_body ? m_body(*this) : true;
    }

    DWORD ranOnThread = 0;
    APTTYPE apartment = APTTYPE_CURRENT;

private:
    Body m_body;
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
    bool Transfer() override { return Do('t', transfer); }
    bool Close() override { return Do('x', close); }

    Step connect;
    Step transfer;
    Step close;
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
