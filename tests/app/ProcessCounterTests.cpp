#include "app/ProcessCounter.h"
#include "common/HelperMode.h"
#include "common/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A second instance: takes its unit, says so, and on request reports the count it sees as its exit code.
int HoldCounter(int argc, wchar_t** argv) {
    if (argc < 3) {
        return 100;
    }
    ProcessCounter::Acquire(argv[0]);
    const HANDLE ready = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[1]);
    const HANDLE quit = ::OpenEventW(SYNCHRONIZE, FALSE, argv[2]);
    if (!ready || !quit) {
        return 101;
    }
    ::SetEvent(ready);
    ::WaitForSingleObject(quit, 30000);
    const int seen = ProcessCounter::Count();
    ProcessCounter::Release();
    ::CloseHandle(ready);
    ::CloseHandle(quit);
    return seen;
}
FOLIVEX_TEST_HELPER(L"hold-counter", HoldCounter);

struct CounterRelease {
    ~CounterRelease() { ProcessCounter::Release(); }
};

TEST(ProcessCounter, TwoProcessesCountEachOther) {
    const std::wstring name = UniqueName(L"folivex test counter");
    const std::wstring readyName = UniqueName(L"folivex test ready");
    const std::wstring quitName = UniqueName(L"folivex test quit");
    CounterRelease release;
    ASSERT_TRUE(ProcessCounter::Acquire(name));
    EXPECT_EQ(ProcessCounter::Count(), 1);

    const HANDLE ready = ::CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    const HANDLE quit = ::CreateEventW(nullptr, TRUE, FALSE, quitName.c_str());
    CHelperProcess other;
    ASSERT_TRUE(other.Start(L"hold-counter", {name, readyName, quitName}));
    ASSERT_EQ(::WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(ProcessCounter::Count(), 2);
    EXPECT_EQ(ProcessCounter::Count(), 2); // counting gives the unit back each time

    ::SetEvent(quit);
    EXPECT_EQ(other.Wait(), 2);
    EXPECT_EQ(ProcessCounter::Count(), 1);
    ::CloseHandle(ready);
    ::CloseHandle(quit);
}

} // namespace
