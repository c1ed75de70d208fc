#include "driver/Windows.h"

#include <commctrl.h>

#include <algorithm>

namespace e2e {

namespace {

struct EnumState {
    DWORD pid = 0;
    std::wstring_view className;
    bool includeHidden = false;
    std::vector<HWND> found;
};

bool ClassMatches(HWND window, std::wstring_view className) {
    return className.empty() || WindowClass(window) == className;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto& state = *reinterpret_cast<EnumState*>(param);
    if (WindowProcessId(window) == state.pid && (state.includeHidden || ::IsWindowVisible(window)) &&
        ClassMatches(window, state.className)) {
        state.found.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto& state = *reinterpret_cast<EnumState*>(param);
    if (ClassMatches(window, state.className)) {
        state.found.push_back(window);
    }
    return TRUE;
}

} // namespace

bool SendWithTimeout(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, Timeout timeout) {
    DWORD_PTR answer = 0;
    const UINT ms = static_cast<UINT>(timeout.count());
    if (!::SendMessageTimeoutW(window, msg, wp, lp, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, ms, &answer)) {
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

std::wstring WindowText(HWND window) {
    LRESULT length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length) || length <= 0) {
        return {};
    }
    // The length may grow between the two messages; what does not fit is cut, and the copy says how much came.
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied)) {
        return {};
    }
    text.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(copied, length))));
    return text;
}

std::wstring WindowClass(HWND window) {
    // Class names are at most 256 characters.
    wchar_t name[257] = {};
    const int length = ::GetClassNameW(window, name, 257);
    return std::wstring(name, static_cast<size_t>(std::max(0, length)));
}

DWORD WindowProcessId(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

std::vector<HWND> TopLevelWindows(DWORD pid, std::wstring_view className, bool includeHidden) {
    EnumState state{pid, className, includeHidden, {}};
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::vector<HWND> ChildWindows(HWND parent, std::wstring_view className) {
    EnumState state{0, className, true, {}};
    ::EnumChildWindows(parent, &CollectChild, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

HWND FindChildWindow(HWND parent, std::wstring_view className) {
    const std::vector<HWND> found = ChildWindows(parent, className);
    return found.empty() ? nullptr : found.front();
}

std::vector<HWND> ChildrenWithId(HWND parent, int id) {
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == id) {
            found.push_back(child);
        }
    }
    return found;
}

int ToolbarButtonCount(HWND toolbar) {
    LRESULT count = 0;
    return SendWithTimeout(toolbar, TB_BUTTONCOUNT, 0, 0, count) ? static_cast<int>(count) : -1;
}

} // namespace e2e
