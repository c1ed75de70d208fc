#pragma once
// The program's one message box: caption "Folivex", centred on its owner, one box at a time.

#include <windows.h>

#include <string_view>

namespace win {

// The window that owns boxes whose caller names none (the main frame once it exists).
void SetDefaultMessageBoxOwner(HWND owner) noexcept;
HWND GetDefaultMessageBoxOwner() noexcept;

// Shows `text` with `flags` (icon and buttons) and returns the button pressed. While another box of this
// thread is open nothing is shown and the result is IDABORT.
int MessageBoxFor(HWND owner, std::wstring_view text, UINT flags);

// True while a box of this thread is open.
[[nodiscard]] bool IsMessageBoxOpen() noexcept;

} // namespace win
