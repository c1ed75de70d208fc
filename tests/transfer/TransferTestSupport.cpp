#include "TransferTestSupport.h"

#include <objbase.h>

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        CRecorderWindow::PumpPending();
        if (condition()) {
            return true;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

bool PumpUntilReceived(const CRecorderWindow& recorder, size_t count, DWORD timeoutMs) {
    return PumpUntil([&] { return recorder.GetReceived().size() >= count; }, timeoutMs);
}

bool WaitUntilQuitIsQueued(DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg{};
        if (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) {
            return true;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_POSTMESSAGE);
    }
}

double NowMs() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

CProbeFileJob::~CProbeFileJob() {
    if (m_record) {
        m_record->threadId = ::GetCurrentThreadId();
        if (m_record->destroyed) {
            ::SetEvent(m_record->destroyed);
        }
    }
}

bool CProbeFileJob::Run() {
    ran = true;
    ranOnThread = ::GetCurrentThreadId();
    breakSetAtStart = IsBreakRequested();
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(::CoGetApartmentType(&apartment, &qualifier))) {
        apartment = APTTYPE_CURRENT;
    }
    const bool result = m_body ? m_body(*this) : true;
    finishedAtMs = NowMs();
    return result;
}

bool CProbeCommJob::Do(char name, const Step& step) {
    if (name == 'c') {
        breakSetAtStart = IsBreakRequested();
    }
    calls += name;
    if (step.statusToSet != 0) {
        SetStatus(step.statusToSet);
    }
    return step.succeeds;
}

bool CProbeCommJob::Transfer() {
    if (!waitForBreak) {
        return Do('t', transfer);
    }
    calls += 't';
    if (started) {
        ::SetEvent(started);
    }
    if (::WaitForSingleObject(GetBreakEvent(), kWaitLimitMs) == WAIT_OBJECT_0) {
        SetStatus(1);
        return false;
    }
    SetStatus(99);
    return false;
}
