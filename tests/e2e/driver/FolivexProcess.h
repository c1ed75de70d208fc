#pragma once
// One Folivex process under test. It runs its own copy of folivex.exe from a fresh private temporary folder,
// which is therefore its data folder; it is found by its windows, driven by messages, and never outlives the
// object: the destructor ends it before the folder is removed.

#include "common/TempFolder.h"
#include "driver/Dialogs.h"
#include "driver/Wait.h"
#include "win/Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

class CFolivexProcess {
public:
    static constexpr wchar_t kMainFrameClass[] = L"FolivexMainFrame";
    static constexpr wchar_t kExeName[] = L"folivex.exe";

    CFolivexProcess() = default;
    CFolivexProcess(const CFolivexProcess&) = delete;
    CFolivexProcess& operator=(const CFolivexProcess&) = delete;
    ~CFolivexProcess() { (void)Terminate(); }

    // Copies folivex.exe into the private folder (once); data files the program should find at start go into
    // DataFolder() after this.
    [[nodiscard]] bool Prepare();
    // Prepares when needed and starts the copy with the arguments, in its own folder unless another is given.
    // One process per object.
    [[nodiscard]] bool Start(const std::vector<std::wstring>& args = {}, const std::wstring& currentFolder = {});
    // Starts another process of `owner`'s copy, so both share one data folder; the owner must outlive this object.
    [[nodiscard]] bool StartBeside(const CFolivexProcess& owner, const std::vector<std::wstring>& args,
                                   const std::wstring& currentFolder = {});
    // Starts on `document` and waits until the frame shows it under `caption`.
    [[nodiscard]] bool StartShowing(const std::wstring& document, std::wstring_view caption);
    // Starts in a fresh folder that holds a copy of `previous`'s data file `name`, as a later run finds it.
    [[nodiscard]] bool StartWithFileOf(const CFolivexProcess& previous, const std::wstring& name);

    // The window with the keyboard focus in the process's window thread; nullptr when there is none.
    [[nodiscard]] HWND FocusedWindow() const;
    // The visible main frame, once it exists (nullptr on time-out or when the process ended); the frame found here
    // is the one MainWindow(), Caption(), the commands and Close() act on.
    HWND WaitForMainWindow(Timeout timeout = kDefaultTimeout);
    [[nodiscard]] HWND FindMainWindow() const;
    [[nodiscard]] HWND MainWindow() const noexcept { return m_mainWindow; }
    [[nodiscard]] std::wstring Caption() const;
    bool WaitForCaption(std::wstring_view expected, Timeout timeout = kDefaultTimeout) const;
    // The first message box of the process, also before its main frame shows; nothing on time-out.
    std::optional<MessageBoxInfo> WaitForMessageBox(Timeout timeout = kDefaultTimeout) const;

    // WM_COMMAND to the main frame; true once the frame handled it within the time-out.
    bool SendCommand(UINT id, Timeout timeout = kDefaultTimeout) const;
    // Asks the main frame to close (WM_CLOSE, posted).
    bool Close() const;
    // The exit code once the process has ended, nothing when it still runs after `timeout`.
    std::optional<DWORD> WaitForExit(Timeout timeout = kDefaultTimeout) const;
    [[nodiscard]] bool IsRunning() const;
    // Ends a still running process at once and waits for it to be gone.
    bool Terminate();

    [[nodiscard]] DWORD Pid() const noexcept { return m_pid; }
    [[nodiscard]] const std::wstring& DataFolder() const noexcept { return m_folder.Path(); }
    [[nodiscard]] const std::wstring& ExePath() const noexcept { return m_exePath; }

private:
    // Declared first, removed last: after the process below is gone.
    CTempFolder m_folder;
    std::wstring m_exePath;
    win::CHandle m_process;
    DWORD m_pid = 0;
    HWND m_mainWindow = nullptr;
};

// The ids of the running processes whose executable lies inside `folder`: a clean end leaves none behind.
std::vector<DWORD> ProcessesRunningFrom(std::wstring_view folder);

} // namespace e2e
