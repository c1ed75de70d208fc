#pragma once
// Helpers of the dialog tests: scripting a modal dialog from inside its own loop, and finding and reading the
// windows it shows.

#include <windows.h>

#include <functional>
#include <string>

// Runs `step` on a thread timer, which modal loops dispatch too, until it returns true. After `timeoutMs`
// `bail` runs on every tick instead, to end the modal loops so a broken test fails rather than hangs.
// One script at a time.
class CModalScript {
public:
    CModalScript(std::function<bool()> step, std::function<void()> bail, DWORD timeoutMs = 10000);
    CModalScript(const CModalScript&) = delete;
    CModalScript& operator=(const CModalScript&) = delete;
    ~CModalScript();
    [[nodiscard]] bool TimedOut() const noexcept { return m_timedOut; }

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);

    std::function<bool()> m_step;
    std::function<void()> m_bail;
    ULONGLONG m_deadline;
    UINT_PTR m_timer;
    bool m_finished = false;
    bool m_timedOut = false;
    bool m_running = false;
};

// A plain visible top-level window at a known place, to own dialogs.
struct COwnerWindow {
    HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 120, 80, 960, 760, nullptr,
                                  nullptr, nullptr, nullptr);
    COwnerWindow() = default;
    COwnerWindow(const COwnerWindow&) = delete;
    COwnerWindow& operator=(const COwnerWindow&) = delete;
    ~COwnerWindow() { ::DestroyWindow(hwnd); }
};

// The first visible dialog window of this thread owned by `owner`, or nullptr.
HWND FindOwnedDialog(HWND owner);
std::wstring WindowText(HWND hwnd);
// The WS_VISIBLE style bit: children of a hidden dialog report false from IsWindowVisible.
bool HasVisibleStyle(HWND hwnd);
// How far the centres of two windows lie apart, in pixels along the longer axis.
LONG CentreDistance(HWND a, HWND b);
