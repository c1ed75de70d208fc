#pragma once
// Looking at windows of other processes: their texts and classes, the top-level windows of a process, the
// children of a window by class, and the items of another process's list and tree views.

#include "driver/Wait.h"

#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// The text of any window, asked with WM_GETTEXT (which the system carries across processes); empty when the
// window does not answer in time.
std::wstring WindowText(HWND window);
std::wstring WindowClass(HWND window);

// The visible top-level windows of process `pid` in Z order; only those of class `className` unless it is empty.
std::vector<HWND> TopLevelWindows(DWORD pid, std::wstring_view className = {});
// Every descendant of `parent` of class `className` (all descendants when empty), in the system's order.
std::vector<HWND> ChildWindows(HWND parent, std::wstring_view className = {});

// A message to another process's window that cannot hang the test: false when it did not answer in time.
bool SendWithTimeout(HWND window, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result, Timeout timeout = kDefaultTimeout);

// The texts of one column of another process's list view, in item order; nothing when they could not be read.
std::optional<std::vector<std::wstring>> ListViewTexts(HWND list, int column, Timeout timeout = kDefaultTimeout);
// Selects and focuses one row of another process's list view, as a click would.
bool SelectListViewRow(HWND list, int row);

// One level of another process's tree view: the texts of the children of `parent` (the top level for null),
// with each item's handle to read its own children; nothing when they could not be read.
struct TreeItemText {
    HTREEITEM item;
    std::wstring text;
};
std::optional<std::vector<TreeItemText>> TreeViewChildren(HWND tree, HTREEITEM parent,
                                                          Timeout timeout = kDefaultTimeout);

// The screen rectangle of an item of another process's tree view (its label only, or its whole row).
std::optional<RECT> TreeItemScreenRect(HWND tree, HTREEITEM item, bool labelOnly);

} // namespace e2e
