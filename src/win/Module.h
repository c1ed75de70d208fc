#pragma once
// The window module: the instance handle and the message loop of each thread that runs windows.

#include <windows.h>

namespace win {

class CMessageLoop;

class CAppModule {
public:
    // Called once by the process entry before any window exists, and Term once after the last loop ended.
    static bool Init(HINSTANCE instance) noexcept;
    static void Term() noexcept;

    static HINSTANCE Instance() noexcept;
    // Strings, menus and dialogs come from the executable itself; tests link the same resources.
    static HINSTANCE ResourceInstance() noexcept;

    // One loop per thread: a second loop on the same thread is refused.
    [[nodiscard]] static bool AddMessageLoop(CMessageLoop* loop);
    [[nodiscard]] static bool RemoveMessageLoop();
    static CMessageLoop* GetMessageLoop(DWORD threadId = ::GetCurrentThreadId());
};

} // namespace win
