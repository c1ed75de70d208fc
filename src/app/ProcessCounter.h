#pragma once
// Counts the running instances with a named semaphore: each instance holds one of its 100 units.

#include <string_view>

class ProcessCounter {
public:
    static constexpr wchar_t kSemaphoreName[] = L"folivex process counter semaphore";
    static constexpr long kUnits = 100;

    // Takes this process's unit without waiting; failure leaves the process uncounted, silently.
    static bool Acquire(std::wstring_view name = kSemaphoreName);
    // The number of counted instances including this one, or 0 when it cannot be told.
    static int Count();
    // Gives the unit back and closes the semaphore.
    static void Release();
    [[nodiscard]] static bool IsCounted();
};
