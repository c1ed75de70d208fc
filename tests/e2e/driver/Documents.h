#pragma once
// Driving a Folivex process through its document work: its dialogs, the common file dialog, and what it
// wrote into its data folder.

#include "data/DataRecords.h"
#include "driver/Dialogs.h"
#include "driver/FolivexProcess.h"
#include "driver/Wait.h"

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// WM_COMMAND posted to the main frame: for commands that run a modal dialog and return only when it ends.
bool PostCommand(const CFolivexProcess& app, UINT id);
// A visible dialog-manager window of the process with exactly this caption.
HWND WaitForDialog(const CFolivexProcess& app, std::wstring_view caption, Timeout timeout = kDefaultTimeout);
// The first visible message box of the process (a dialog with a message text), as opposed to its other dialogs.
std::optional<MessageBoxInfo> WaitForMessageBoxOf(const CFolivexProcess& app, Timeout timeout = kDefaultTimeout);
// True once the process shows no dialog at all (its progress dialog has ended).
bool WaitForNoDialog(const CFolivexProcess& app, Timeout timeout = kDefaultTimeout);
// Clicks a button of a dialog as the mouse would (BM_CLICK): the button takes the focus first.
bool ClickButton(HWND dialog, int id);
// Types `path` into the file name field of a common file dialog and presses its OK button.
bool ChooseFile(HWND dialog, const std::wstring& path);
// Sets the text of a dialog's control (an edit, or the edit inside a combo box).
bool SetControlText(HWND dialog, int id, const std::wstring& text);
std::wstring ControlText(HWND dialog, int id);

// The entries of the history and URL list files in `folder`, newest first.
std::vector<data::CDataDoc> ReadHistory(const std::wstring& folder);
std::vector<data::CDataUrl> ReadUrls(const std::wstring& folder);

} // namespace e2e
