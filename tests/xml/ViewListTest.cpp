// The observer list: registration, removal, sent and posted notification, windows that are gone.

#include "common/RecorderWindow.h"

#include "xml/ViewList.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kMessage = WM_APP + 40;

TEST(ViewList, SendsOrPostsToMatchingMasksWithEachEntrysOwnParametersAndSkipsWindowsThatAreGone) {
    for (const bool post : {false, true}) {
        CRecorderWindow history;
        CRecorderWindow toolbar;
        CRecorderWindow gone;
        xml::CViewList views;
        views.AddView(0x20, gone.Get(), kMessage);
        views.AddView(0x1 | 0x4, history.Get(), kMessage, 11, 12);
        views.AddView(0x10, toolbar.Get(), kMessage + 1, 21, 22);

        EXPECT_TRUE(views.Notify(0x4, post));
        EXPECT_EQ(history.GetReceived().size(), post ? 0u : 1u) << "a posted notification waits in the queue";
        CRecorderWindow::PumpPending();
        ASSERT_EQ(history.GetReceived().size(), 1u);
        EXPECT_EQ(history.GetReceived()[0].message, kMessage);
        EXPECT_EQ(history.GetReceived()[0].wParam, 11u);
        EXPECT_EQ(history.GetReceived()[0].lParam, 12);
        EXPECT_TRUE(toolbar.GetReceived().empty());

        EXPECT_TRUE(views.Notify(0x14, post));
        EXPECT_TRUE(views.Notify(0x2, post));
        CRecorderWindow::PumpPending();
        EXPECT_EQ(history.GetReceived().size(), 2u);
        ASSERT_EQ(toolbar.GetReceived().size(), 1u);
        EXPECT_EQ(toolbar.GetReceived()[0].message, kMessage + 1);
        EXPECT_EQ(toolbar.GetReceived()[0].wParam, 21u);

        // A destroyed window is skipped and reported; its entry stays until the window would unregister.
        gone.Destroy();
        EXPECT_FALSE(views.Notify(0x30, post)) << "post " << post;
        CRecorderWindow::PumpPending();
        EXPECT_EQ(toolbar.GetReceived().size(), 2u) << "post " << post;
        EXPECT_EQ(views.GetViewCount(), 3u);
    }
}

TEST(ViewList, RemoveDropsEveryEntryOfTheWindowOnly) {
    CRecorderWindow first;
    CRecorderWindow second;
    xml::CViewList views;
    views.AddView(0x1, first.Get(), kMessage);
    views.AddView(0x2, first.Get(), kMessage);
    views.AddView(0x1, second.Get(), kMessage);

    EXPECT_TRUE(views.RemoveView(first.Get()));
    EXPECT_EQ(views.GetViewCount(), 1u);
    EXPECT_FALSE(views.RemoveView(first.Get()));
    EXPECT_TRUE(views.Notify(0x3));
    EXPECT_TRUE(first.GetReceived().empty());
    EXPECT_EQ(second.GetReceived().size(), 1u);
}

} // namespace
