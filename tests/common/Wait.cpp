#include "common/Wait.h"

#include <algorithm>

namespace {

// Short enough that a wait ends soon after its condition holds, long enough not to load the machine.
constexpr ULONGLONG kPollMs = 10;

// Dispatches the messages waiting for this thread, so a test never blocks a peer that sends to it.
void PumpMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Not ours to take: the loop that asked for it must still see it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, Timeout timeout, HANDLE abandon, bool pump) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(std::max<Timeout::rep>(0, timeout.count()));
    for (;;) {
        if (pump) {
            PumpMessages();
        }
        if (condition()) {
            return true;
        }
        if (abandon && ::WaitForSingleObject(abandon, 0) == WAIT_OBJECT_0) {
            return condition();
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        const DWORD pause = static_cast<DWORD>(std::min(deadline - now, kPollMs));
        ::MsgWaitForMultipleObjectsEx(abandon ? 1 : 0, abandon ? &abandon : nullptr, pause,
                                      pump ? QS_ALLINPUT : QS_POSTMESSAGE, MWMO_INPUTAVAILABLE);
    }
}
