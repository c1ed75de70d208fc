#pragma once
// The frame's show states and what the show-mode command does in each: normal, then maximized, then full
// screen, then normal again; a minimized frame stays as it is.

enum class ShowState { Normal, Maximized, Minimized, FullScreen };

enum class ShowStep {
    // Leave full screen, then restore the normal window.
    LeaveFullScreen,
    EnterFullScreen,
    Maximize,
    None,
};

[[nodiscard]] constexpr ShowStep NextShowStep(ShowState state) noexcept {
    switch (state) {
    case ShowState::FullScreen:
        return ShowStep::LeaveFullScreen;
    case ShowState::Maximized:
        return ShowStep::EnterFullScreen;
    case ShowState::Minimized:
        return ShowStep::None;
    case ShowState::Normal:
        return ShowStep::Maximize;
    }
    return ShowStep::None;
}
