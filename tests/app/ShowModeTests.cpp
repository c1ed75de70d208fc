// The show-mode command's cycle: normal, maximized, full screen, normal; a minimized frame stays.

#include "app/ShowMode.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowMode, EachStateStepsToTheNext) {
    const struct {
        ShowState state;
        ShowStep step;
    } cases[] = {
        {ShowState::Normal, ShowStep::Maximize},
        {ShowState::Maximized, ShowStep::EnterFullScreen},
        {ShowState::FullScreen, ShowStep::LeaveFullScreen},
        {ShowState::Minimized, ShowStep::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NextShowStep(c.state), c.step) << static_cast<int>(c.state);
    }
}

} // namespace
