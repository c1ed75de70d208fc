#include "driver/FolivexProcess.h"

#include "app/CmdLine.h"

#include "common/TestFiles.h"
#include "driver/Documents.h"
#include "driver/Windows.h"
#include "win/Strings.h"

#include <tlhelp32.h>

namespace e2e {

namespace {

// How long a process that is told to end may take to be gone.
constexpr DWORD kTerminateWaitMs = 10000;

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    return text.size() >= prefix.size() && win::EqualsNoCaseAscii(text.substr(0, prefix.size()), prefix);
}

} // namespace

bool CFolivexProcess::Prepare() {
    if (!m_exePath.empty()) {
        return true;
    }
    if (m_folder.Path().empty()) {
        return false;
    }
    const std::wstring target = m_folder.File(kExeName);
    if (!::CopyFileW(HostPath(FOLIVEX_EXE_PATH).c_str(), target.c_str(), TRUE)) {
        return false;
    }
    m_exePath = target;
    return true;
}

bool CFolivexProcess::Start(const std::vector<std::wstring>& args, const std::wstring& currentFolder) {
    if (m_process || !Prepare()) {
        return false;
    }
    // Quoted as the program's own new windows quote them, so every text arrives as it was given.
    std::wstring command = QuoteArgument(m_exePath);
    for (const std::wstring& arg : args) {
        command += L' ';
        command += QuoteArgument(arg);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // By default the program's folder is its current folder too, so nothing lands in the test's own folder.
    const std::wstring& folder = currentFolder.empty() ? m_folder.Path() : currentFolder;
    if (!::CreateProcessW(m_exePath.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &info)) {
        return false;
    }
    win::CHandle thread(info.hThread);
    m_process.Reset(info.hProcess);
    m_pid = info.dwProcessId;
    return true;
}

bool CFolivexProcess::StartBeside(const CFolivexProcess& owner, const std::vector<std::wstring>& args,
                                  const std::wstring& currentFolder) {
    if (m_process || owner.ExePath().empty()) {
        return false;
    }
    m_exePath = owner.ExePath();
    return Start(args, currentFolder.empty() ? owner.DataFolder() : currentFolder);
}

bool CFolivexProcess::StartWithFileOf(const CFolivexProcess& previous, const std::wstring& name) {
    return Prepare() &&
           ::CopyFileW((previous.DataFolder() + L"\\" + name).c_str(), (DataFolder() + L"\\" + name).c_str(), FALSE) &&
           Start();
}

HWND CFolivexProcess::FocusedWindow() const {
    const DWORD thread = m_mainWindow ? ::GetWindowThreadProcessId(m_mainWindow, nullptr) : 0;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return thread && ::GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

HWND CFolivexProcess::FindMainWindow() const {
    const std::vector<HWND> frames = TopLevelWindows(m_pid, kMainFrameClass);
    return frames.empty() ? nullptr : frames.front();
}

HWND CFolivexProcess::WaitForMainWindow(Timeout timeout) {
    if (!m_process) {
        return nullptr;
    }
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindMainWindow()) != nullptr; }, timeout, m_process.Get());
    m_mainWindow = found;
    return found;
}

std::wstring CFolivexProcess::Caption() const {
    return m_mainWindow ? WindowText(m_mainWindow) : std::wstring();
}

bool CFolivexProcess::StartShowing(const std::wstring& document, std::wstring_view caption) {
    return Start({document}) && WaitForMainWindow() != nullptr && WaitForCaption(caption);
}

bool CFolivexProcess::WaitForCaption(std::wstring_view expected, Timeout timeout) const {
    return m_mainWindow && WaitUntil([&] { return WindowText(m_mainWindow) == expected; }, timeout, m_process.Get());
}

std::optional<MessageBoxInfo> CFolivexProcess::WaitForMessageBox(Timeout timeout) const {
    return WaitForMessageBoxOf(*this, timeout);
}

bool CFolivexProcess::SendCommand(UINT id, Timeout timeout) const {
    LRESULT result = 0;
    return m_mainWindow && SendWithTimeout(m_mainWindow, WM_COMMAND, MAKEWPARAM(id, 0), 0, result, timeout);
}

bool CFolivexProcess::Close() const {
    return m_mainWindow && ::PostMessageW(m_mainWindow, WM_CLOSE, 0, 0);
}

std::optional<DWORD> CFolivexProcess::WaitForExit(Timeout timeout) const {
    const HANDLE process = m_process.Get();
    DWORD code = 0;
    if (!process ||
        !WaitUntil([process] { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeout, process) ||
        !::GetExitCodeProcess(process, &code)) {
        return std::nullopt;
    }
    return code;
}

bool CFolivexProcess::IsRunning() const {
    return m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT;
}

bool CFolivexProcess::Terminate() {
    if (!IsRunning()) {
        return true;
    }
    ::TerminateProcess(m_process.Get(), 255);
    return ::WaitForSingleObject(m_process.Get(), kTerminateWaitMs) == WAIT_OBJECT_0;
}

std::vector<DWORD> ProcessesRunningFrom(std::wstring_view folder) {
    std::wstring prefix(folder);
    if (!prefix.empty() && prefix.back() != L'\\') {
        prefix += L'\\';
    }
    std::vector<DWORD> found;
    win::CFileHandleRaii snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return found;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        win::CHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (!process) {
            continue;
        }
        std::wstring image(MAX_PATH * 4, L'\0');
        DWORD size = static_cast<DWORD>(image.size());
        if (::QueryFullProcessImageNameW(process.Get(), 0, image.data(), &size)) {
            image.resize(size);
            if (StartsWithNoCase(image, prefix)) {
                found.push_back(entry.th32ProcessID);
            }
        }
    }
    return found;
}

} // namespace e2e
