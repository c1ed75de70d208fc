#pragma once
// Waiting for another thread or process: poll a condition, keep this thread's own messages flowing, give up at a
// deadline. No test waits for a fixed time; every wait ends as soon as its condition holds.

#include <windows.h>

#include <chrono>
#include <functional>

using Timeout = std::chrono::milliseconds;

// Long enough for a slow machine under Wine; a healthy run never gets near it.
inline constexpr Timeout kDefaultTimeout{30000};

// Polls `condition` until it holds (true) or `timeout` passes (false). Between polls this thread's messages are
// dispatched unless `pump` is false. When `abandon` is signalled (a process that ended, say) the condition gets
// one last look.
bool WaitUntil(const std::function<bool()>& condition, Timeout timeout = kDefaultTimeout, HANDLE abandon = nullptr,
               bool pump = true);
