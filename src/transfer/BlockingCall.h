#pragma once
// Calls that can block far longer than anyone waits (a connect to a host that never answers, which this
// platform can neither time out nor interrupt), made on a disposable helper thread that the caller may abandon.

#include <windows.h>

#include <functional>
#include <initializer_list>

namespace transfer {

// How the wait for a blocking call ended.
enum class CallEnd {
    Returned,  // the call returned; what it left may be read
    Cancelled, // one of the events was set first
    TimedOut,  // the time limit passed first
    Failed,    // no helper thread could be started, or the wait itself failed: the call may still run
};

// Runs `call` on a new thread and waits until it returns, one of `events` (null ones are skipped) is set, or
// `timeoutMs` passes (0: no limit). On anything but Returned the helper is abandoned and runs on until the call
// returns, so the call must own everything it touches (capture shared state by a shared pointer, never the
// caller's objects); it is destroyed on the helper, which therefore releases the last share of an abandoned state.
[[nodiscard]] CallEnd RunAbandonable(std::function<void()> call, std::initializer_list<HANDLE> events, DWORD timeoutMs);

} // namespace transfer
