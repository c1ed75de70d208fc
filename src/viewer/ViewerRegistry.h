#pragma once
// Process-wide registries of the hosted viewer: its interesting windows by slot, the keyboard filters its
// wrappers install, and the table that turns the program's viewer commands into the frame's own commands.

#include "win/MessageLoop.h"

#include <windows.h>

namespace viewer {

enum class Slot : int {
    Frame = 1,
    Toolbar = 2,
    NaviPane = 3,
    NaviTab = 4,
    ContentsTree = 5,
    TopicPane = 6,
    TopicBrowser = 7,
};

// Fails for an occupied slot or a handle that is not a window.
bool RegisterViewerWindow(Slot slot, HWND window);
// Empties the slot when it still holds `window` (any window when null).
void UnregisterViewerWindow(Slot slot, HWND window = nullptr);
[[nodiscard]] HWND FindViewerWindow(Slot slot);
// 0 when the slot is empty or its window is gone.
LRESULT PostToViewerWindow(Slot slot, UINT msg, WPARAM wp, LPARAM lp);
LRESULT SendToViewerWindow(Slot slot, UINT msg, WPARAM wp, LPARAM lp);

void RegisterViewerFilter(HWND window, win::CMessageFilter* filter);
void UnregisterViewerFilter(HWND window);
void ClearViewerFilters();
// Asks every registered filter in turn; true at the first that takes the message.
bool TranslateViewerKeys(MSG& msg);

// The frame command for a program command of the document view; 0 when it has none.
[[nodiscard]] UINT TranslateCommand(UINT id);

// Whether the viewer's toolbar is collapsed (full screen with the toolbar hidden); its wrapper reads this
// whenever the viewer lays the toolbar out.
void SetToolbarCollapsed(bool collapsed) noexcept;
[[nodiscard]] bool IsToolbarCollapsed() noexcept;

// Whether the shown document came from an address rather than a local file: the search page cannot search it.
void SetDocumentFromUrl(bool fromUrl) noexcept;
[[nodiscard]] bool IsDocumentFromUrl() noexcept;

} // namespace viewer
