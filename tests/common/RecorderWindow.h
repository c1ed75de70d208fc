#pragma once
// A message-only window that records the private messages (WM_APP and above) it receives, for observer tests.

#include <windows.h>

#include <vector>

class CRecorderWindow {
public:
    struct Received {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };

    CRecorderWindow();
    CRecorderWindow(const CRecorderWindow&) = delete;
    CRecorderWindow& operator=(const CRecorderWindow&) = delete;
    ~CRecorderWindow() { Destroy(); }

    [[nodiscard]] HWND Get() const noexcept { return m_hwnd; }
    void Destroy();
    [[nodiscard]] const std::vector<Received>& GetReceived() const noexcept { return m_received; }

    // Dispatches everything queued for this thread, so posted messages arrive.
    static void PumpPending();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hwnd = nullptr;
    std::vector<Received> m_received;
};
