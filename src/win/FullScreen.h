#pragma once
// Full screen for a top-level window: it covers its whole monitor without caption or frame, and comes back
// with exactly the placement and styles it had before.

#include <windows.h>

namespace win {

class CFullScreen {
public:
    CFullScreen() = default;
    CFullScreen(const CFullScreen&) = delete;
    CFullScreen& operator=(const CFullScreen&) = delete;
    virtual ~CFullScreen() = default;

    // Leaves full screen on the previous window first.
    void Attach(HWND window);
    bool Enter();
    // Always forgets the saved state; false when a step of the restore failed.
    bool Leave();
    [[nodiscard]] bool IsActive() const noexcept { return m_active; }
    // The placement from before full screen; meaningful while active.
    [[nodiscard]] const WINDOWPLACEMENT& SavedPlacement() const noexcept { return m_placement; }

protected:
    // Makes the window cover its monitor.
    virtual bool Apply();
    // Runs before the saved state is restored.
    virtual bool Revert() { return true; }

    HWND m_window = nullptr;

private:
    void Forget() noexcept;

    bool m_active = false;
    LONG_PTR m_style = 0;
    LONG_PTR m_exStyle = 0;
    WINDOWPLACEMENT m_placement{};
};

} // namespace win
