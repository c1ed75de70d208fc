#pragma once
// The modal progress dialog that runs while a worker thread downloads or copies: a text, a marquee bar and a
// cancel button that asks for confirmation. Only its owner ends it.

#include "win/Dialog.h"

#include <string>

namespace tools {

class CDlgProgress : public win::CDialogImpl {
public:
    static constexpr UINT kModeBar = 0x1, kModeCancel = 0x2;
    // Results of Run besides -1 (the dialog could not be created).
    static constexpr INT_PTR kEnded = 1;
    static constexpr INT_PTR kInitFailed = 3;

    CDlgProgress();

    // Confirmed cancel ("はい(&Y)") sends this message (wParam 0, lParam 0) to this window, then shows that the
    // work is being stopped, without bar or cancel.
    void SetAbortTarget(HWND window, UINT message) noexcept;
    void SetText(UINT stringId);
    void SetText(std::wstring text);
    void SetMode(UINT mode) noexcept;
    // Runs modally over `owner` until End(); kEnded, kInitFailed, or -1 when not created.
    INT_PTR Run(HWND owner);
    // Puts text, mode and confirm state into the controls; false when the dialog is not a window.
    bool Refresh();
    // Ends the running dialog with kEnded; false when none runs.
    bool End();
    [[nodiscard]] bool IsRunning() const noexcept;
    // True while the dialog asks whether to cancel.
    [[nodiscard]] bool IsConfirming() const noexcept { return m_confirm; }

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool OnInitDialog();
    void OnCommand(int id);
    void OnDestroy();
    void FocusControl(int id);

    HWND m_abortTarget = nullptr;
    UINT m_abortMessage = 0;
    std::wstring m_text;
    UINT m_mode = 0;
    bool m_confirm = false;
    bool m_ending = false;
};

} // namespace tools
