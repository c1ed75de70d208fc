#include "app/ProcessCounter.h"

#include "win/Handles.h"

#include <mutex>
#include <string>

namespace {

struct CounterState {
    std::mutex lock;
    win::CHandle semaphore;
    bool counted = false;
};

CounterState& State() {
    static CounterState state;
    return state;
}

} // namespace

bool ProcessCounter::Acquire(std::wstring_view name) {
    CounterState& state = State();
    std::lock_guard guard(state.lock);
    if (state.semaphore) {
        return state.counted;
    }
    const std::wstring objectName(name);
    state.semaphore.Reset(::CreateSemaphoreW(nullptr, kUnits, kUnits, objectName.c_str()));
    if (!state.semaphore) {
        return false;
    }
    state.counted = ::WaitForSingleObject(state.semaphore.Get(), 0) == WAIT_OBJECT_0;
    return state.counted;
}

int ProcessCounter::Count() {
    CounterState& state = State();
    std::lock_guard guard(state.lock);
    if (!state.counted) {
        return 0;
    }
    // Give our unit back for a moment: the release reports the count before it.
    LONG previous = -1;
    const bool released = ::ReleaseSemaphore(state.semaphore.Get(), 1, &previous) != FALSE;
    const bool retaken = released && ::WaitForSingleObject(state.semaphore.Get(), 0) == WAIT_OBJECT_0;
    if (released && !retaken) {
        // Another process took the unit we gave back: we are no longer counted.
        state.counted = false;
    }
    if (!released || !retaken || previous < 0 || previous > kUnits) {
        return 0;
    }
    return static_cast<int>(kUnits - previous);
}

void ProcessCounter::Release() {
    CounterState& state = State();
    std::lock_guard guard(state.lock);
    if (state.counted) {
        ::ReleaseSemaphore(state.semaphore.Get(), 1, nullptr);
    }
    (void)state.semaphore.Close();
    state.counted = false;
}

bool ProcessCounter::IsCounted() {
    CounterState& state = State();
    std::lock_guard guard(state.lock);
    return state.counted;
}
