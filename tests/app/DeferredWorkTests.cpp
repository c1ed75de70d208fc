// The frame's queue of work that must wait: what waits for what, in which order it runs, what it owns.

#include "app/DeferredWork.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using State = CDeferredWork::State;

TEST(DeferredWork, EachKindOfWorkWaitsForWhatWouldBreakIt) {
    const State idle{true, false, false, false};
    const State beforeLoad{false, false, false, false};
    const State box{true, true, false, false};
    const State reloading{true, false, true, false};
    const State insideDialog{true, false, false, true};
    const struct {
        UINT message;
        bool idle, beforeLoad, box, reloading, insideDialog;
    } cases[] = {
        // Reloads show another instance's change inside dialogs too, but never under an open box.
        {WM_APP_RELOAD, true, true, false, false, true},
        {WM_APP_WATCH_ERROR, true, true, false, false, true},
        // The command line's document never opens on stores that are not loaded yet.
        {WM_APP_CMDLINE, true, false, false, false, false},
        {WM_APP_OPEN_REQUEST, true, false, false, false, false},
        {WM_CLOSE, true, true, false, false, false},
        {WM_APP_DOWNLOADED, true, true, true, true, true}, // ends the running work: never waits
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CDeferredWork::CanRun(c.message, idle), c.idle) << c.message;
        EXPECT_EQ(CDeferredWork::CanRun(c.message, beforeLoad), c.beforeLoad) << c.message;
        EXPECT_EQ(CDeferredWork::CanRun(c.message, box), c.box) << c.message;
        EXPECT_EQ(CDeferredWork::CanRun(c.message, reloading), c.reloading) << c.message;
        EXPECT_EQ(CDeferredWork::CanRun(c.message, insideDialog), c.insideDialog) << c.message;
    }
}

TEST(DeferredWork, WaitingWorkRunsInArrivalOrderAndLaterWorkQueuesBehindIt) {
    CDeferredWork work;
    const State box{false, true, false, false};
    const State loaded{true, false, false, false};
    ASSERT_TRUE(work.MustWait(WM_APP_RELOAD, box));
    work.Push(WM_APP_RELOAD, kReloadHistory, 0);
    work.Push(WM_APP_RELOAD, kReloadUrls, 0); // one reload of both
    // Runnable by itself, but it must not overtake the reload.
    EXPECT_TRUE(work.MustWait(WM_APP_WATCH_ERROR, loaded));
    work.Push(WM_APP_CMDLINE, 0, 0);
    work.Push(WM_APP_RELOAD, kReloadLibrary, 0);
    auto request = std::make_unique<DocRef>();
    request->path = L"a.chm";
    work.Push(WM_APP_OPEN_REQUEST, reinterpret_cast<WPARAM>(request.release()), kOpenNewWindow);

    CDeferredWork::Item item;
    EXPECT_FALSE(work.PopRunnable(box, item));
    // The reload may run before the stores are loaded; the command line may not.
    const State unloaded{false, false, false, false};
    ASSERT_TRUE(work.PopRunnable(unloaded, item));
    EXPECT_EQ(item.message, WM_APP_RELOAD);
    EXPECT_EQ(item.wParam, kReloadHistory | kReloadUrls);
    EXPECT_FALSE(work.PopRunnable(unloaded, item));

    std::vector<UINT> order;
    while (work.PopRunnable(loaded, item)) {
        order.push_back(item.message);
        if (item.message == WM_APP_OPEN_REQUEST) {
            ASSERT_TRUE(item.request);
            EXPECT_EQ(item.request->path, L"a.chm");
            EXPECT_EQ(item.lParam, kOpenNewWindow);
        }
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_APP_CMDLINE, WM_APP_RELOAD, WM_APP_OPEN_REQUEST}));
    EXPECT_TRUE(work.IsEmpty());
    EXPECT_FALSE(work.MustWait(WM_APP_CMDLINE, loaded));
}

} // namespace
