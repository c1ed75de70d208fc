#pragma once
// The binding to the system help control: loading it, opening one document in a window of its own that the
// program then takes apart, closing and unloading. One binding per process, used from the window thread only.

#include <windows.h>

#include <string>
#include <string_view>

namespace viewer {

// Private messages the program sends to the viewer's windows.
constexpr UINT WM_HH_ATTACHED = 0x8401;
constexpr UINT WM_HH_PREPARE = 0x8402;
constexpr UINT WM_HH_SHOWPANE = 0x8403;
constexpr UINT WM_HH_RELAYOUT = 0x8404;
constexpr UINT WM_HH_OP1 = 0x8441;
constexpr UINT WM_HH_OP2 = 0x8442;
constexpr UINT WM_HH_OP3 = 0x8443;
constexpr UINT WM_HH_OP4 = 0x8444;
constexpr UINT WM_HH_OP5 = 0x8445;

// One open request: file, topic inside it, window definition and the control command to issue.
class CHHFile {
public:
    static constexpr UINT kDisplayTopic = 0;
    static constexpr UINT kDisplayToc = 1;
    static constexpr UINT kDisplayIndex = 2;
    static constexpr UINT kDisplaySearch = 3;

    void SetFile(std::wstring file) { m_file = std::move(file); }
    void SetTopic(std::wstring topic) { m_topic = std::move(topic); }
    void SetWindow(std::wstring window) { m_window = std::move(window); }
    // Values above kDisplaySearch are refused and leave the command as it was.
    bool SetCommand(UINT command) noexcept;

    [[nodiscard]] const std::wstring& GetFile() const noexcept { return m_file; }
    [[nodiscard]] const std::wstring& GetTopic() const noexcept { return m_topic; }
    [[nodiscard]] UINT GetCommand() const noexcept { return m_command; }
    // "file::topic > window"; empty when there is no file.
    [[nodiscard]] std::wstring BuildArgument() const;

private:
    std::wstring m_file;
    std::wstring m_topic;
    std::wstring m_window;
    UINT m_command = kDisplayTopic;
};

// Loads the control, finds its entry and initialises it; on any failure undoes what was done.
[[nodiscard]] bool LoadViewer();
// Uninitialises, drops every reference the process holds on the library and removes a left hook.
bool UnloadViewer();
[[nodiscard]] bool IsViewerLoaded() noexcept;
// Opens the request in a viewer frame owned by `caller`; the frame the control made, or null.
HWND OpenInViewer(HWND caller, const CHHFile& request);
// True while OpenInViewer's call into the control runs.
[[nodiscard]] bool IsOpeningViewer() noexcept;
// Closes every viewer window of the process.
void CloseAllViewers();

} // namespace viewer
