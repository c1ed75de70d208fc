#include "driver/Dialogs.h"

#include "driver/Windows.h"

namespace e2e {

namespace {

constexpr wchar_t kButtonClass[] = L"Button";

bool IsUsableButton(HWND child) {
    return ::IsWindowVisible(child) && WindowClass(child) == kButtonClass;
}

} // namespace

std::vector<int> DialogButtonIds(HWND dialog) {
    std::vector<int> ids;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (IsUsableButton(child)) {
            ids.push_back(::GetDlgCtrlID(child));
        }
    }
    return ids;
}

MessageBoxInfo ReadMessageBox(HWND dialog) {
    MessageBoxInfo box;
    box.window = dialog;
    box.caption = WindowText(dialog);
    for (HWND control : ChildrenWithId(dialog, kMessageBoxTextId)) {
        if (WindowClass(control) == L"Static") {
            box.text = WindowText(control);
            break;
        }
    }
    box.buttons = DialogButtonIds(dialog);
    return box;
}

bool PressButton(HWND dialog, int id) {
    for (HWND button : ChildrenWithId(dialog, id)) {
        if (IsUsableButton(button) && ::IsWindowEnabled(button)) {
            // Posted, not sent: the button may end a modal loop whose caller must not be waited on here.
            return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                                  reinterpret_cast<LPARAM>(button)) != FALSE;
        }
    }
    return false;
}

} // namespace e2e
