#pragma once
// Looking at windows of other processes: their texts and classes, the top-level windows of a process, the
// children of a window by class, and the plain messages of common controls that need no shared memory.

#include "driver/Wait.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// The text of any window, asked with WM_GETTEXT (which the system carries across processes); empty when the
// window does not answer in time.
std::wstring WindowText(HWND window);
std::wstring WindowClass(HWND window);
DWORD WindowProcessId(HWND window);

// The top-level windows of process `pid` in Z order; only those of class `className` unless it is empty, and
// only visible ones unless `includeHidden`.
std::vector<HWND> TopLevelWindows(DWORD pid, std::wstring_view className = {}, bool includeHidden = false);

// Every descendant of `parent` of class `className` (all descendants when empty), in the system's order.
std::vector<HWND> ChildWindows(HWND parent, std::wstring_view className = {});
// The first descendant of `parent` of that class, or nullptr.
HWND FindChildWindow(HWND parent, std::wstring_view className);
// The direct children of `parent` with control id `id`, of any class.
std::vector<HWND> ChildrenWithId(HWND parent, int id);

// A message to another process's window that cannot hang the test: false when it did not answer in time.
bool SendWithTimeout(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, Timeout timeout = kDefaultTimeout);

// The number of buttons of a toolbar (TB_BUTTONCOUNT), or -1 when it did not answer.
int ToolbarButtonCount(HWND toolbar);

} // namespace e2e
