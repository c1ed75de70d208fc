#include "transfer/BlockingCall.h"

#include "win/Handles.h"

#include <memory>
#include <new>

namespace transfer {

namespace {

using Call = std::function<void()>;

// The helper owns its call and everything the call captured. A helper still blocked when the process ends is
// harmless: it holds nothing but its own handles and heap state, nobody waits for it, and the system ends it
// with the process and reclaims what it held.
DWORD WINAPI HelperProc(LPVOID param) noexcept {
    std::unique_ptr<Call> call(static_cast<Call*>(param));
    try {
        (*call)();
    } catch (...) {
        // The caller learns nothing from an abandoned call, and a returned one reports through its own state.
    }
    return 0;
}

} // namespace

CallEnd RunAbandonable(std::function<void()> call, std::initializer_list<HANDLE> events, DWORD timeoutMs) {
    HANDLE waits[MAXIMUM_WAIT_OBJECTS] = {};
    DWORD count = 1;
    for (const HANDLE event : events) {
        if (event && count < MAXIMUM_WAIT_OBJECTS) {
            waits[count++] = event;
        }
    }
    std::unique_ptr<Call> owned(new (std::nothrow) Call(std::move(call)));
    if (!owned) {
        return CallEnd::Failed;
    }
    win::CHandle thread(::CreateThread(nullptr, 0, &HelperProc, owned.get(), 0, nullptr));
    if (!thread) {
        return CallEnd::Failed;
    }
    (void)owned.release();
    waits[0] = thread.Get();
    // The thread comes first: a call that returned just as a cancel came keeps its result.
    const DWORD woken = ::WaitForMultipleObjects(count, waits, FALSE, timeoutMs == 0 ? INFINITE : timeoutMs);
    if (woken == WAIT_OBJECT_0) {
        return CallEnd::Returned;
    }
    if (woken == WAIT_TIMEOUT) {
        return CallEnd::TimedOut;
    }
    return woken > WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + count ? CallEnd::Cancelled : CallEnd::Failed;
}

} // namespace transfer
