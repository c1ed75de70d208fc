#pragma once
// Message boxes of another process: what a box says and which buttons it offers, and pressing one of them the
// way the dialog manager would.

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The window class of dialogs made by the dialog manager, message boxes included.
inline constexpr wchar_t kDialogClass[] = L"#32770";

struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    // The ids of the visible buttons (IDOK, IDCANCEL, IDYES...), in the box's child order.
    std::vector<int> buttons;
};

// Whether `dialog` has a message box's text control, as opposed to the program's other dialogs.
bool IsMessageBox(HWND dialog);
// Reads `dialog` as a message box; the text is empty when it has no text control of the box's id.
MessageBoxInfo ReadMessageBox(HWND dialog);

// Presses button `id` of `dialog` as a click would (BN_CLICKED to the dialog). False when the dialog has no such
// visible, enabled button or the message could not be posted; the dialog reacts after this returns.
bool PressButton(HWND dialog, int id);
inline bool PressButton(const MessageBoxInfo& box, int id) {
    return PressButton(box.window, id);
}

} // namespace e2e
