#include "TransferTestSupport.h"

#include <algorithm>

namespace {

bool WaitLoop(const std::function<bool()>& condition, DWORD timeoutMs, DWORD wakeMask, bool pump) {
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
        // Short waits: some conditions (a file growing) come with no message.
        (void)::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                          static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)), wakeMask);
    }
}

} // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    return WaitLoop(condition, timeoutMs, QS_ALLINPUT, true);
}

bool PumpUntilReceived(const CRecorderWindow& recorder, size_t count) {
    return PumpUntil([&] { return recorder.GetReceived().size() >= count; });
}

bool WaitUntilQuitIsQueued(DWORD timeoutMs) {
    return WaitLoop(
        [] {
            MSG msg{};
            return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
        },
        timeoutMs, QS_POSTMESSAGE, false);
}

double NowMs() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER counter{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

HANDLE NewEvent() {
    return ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CProbeFileJob::~CProbeFileJob() {
    if (m_record) {
        m_record->threadId = ::GetCurrentThreadId();
        ::SetEvent(m_record->destroyed);
    }
}

bool CProbeFileJob::Run() {
    ranOnThread = ::GetCurrentThreadId();
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
    if (!started) {
        return Do('t', transfer);
    }
    calls += 't';
    ::SetEvent(started);
    SetStatus(::WaitForSingleObject(GetBreakEvent(), kWaitLimitMs) == WAIT_OBJECT_0 ? 1 : 99);
    return false;
}
