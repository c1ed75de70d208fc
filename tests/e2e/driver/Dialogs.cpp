#include "driver/Dialogs.h"

#include "driver/Windows.h"

namespace e2e {

namespace {

// The control id of a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

bool IsUsableButton(HWND child) {
    return ::IsWindowVisible(child) && WindowClass(child) == L"Button";
}

} // namespace

bool IsMessageBox(HWND dialog) {
    const HWND text = ::GetDlgItem(dialog, kMessageBoxTextId);
    return text && WindowClass(text) == L"Static";
}

MessageBoxInfo ReadMessageBox(HWND dialog) {
    MessageBoxInfo box{dialog, WindowText(dialog), {}, {}};
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        if (id == kMessageBoxTextId && box.text.empty() && WindowClass(child) == L"Static") {
            box.text = WindowText(child);
        } else if (IsUsableButton(child)) {
            box.buttons.push_back(id);
        }
    }
    return box;
}

bool PressButton(HWND dialog, int id) {
    const HWND button = ::GetDlgItem(dialog, id);
    // Posted, not sent: the button may end a modal loop whose caller must not be waited on here.
    return button && IsUsableButton(button) && ::IsWindowEnabled(button) &&
           ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                          reinterpret_cast<LPARAM>(button)) != FALSE;
}

} // namespace e2e
