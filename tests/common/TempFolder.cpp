#include "common/HelperMode.h"
#include "common/TempFolder.h"

#include "win/Path.h"

#include <windows.h>

#include <atomic>

std::wstring UniqueName(const std::wstring& prefix) {
    static std::atomic<unsigned> counter{0};
    return prefix + L" " + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(::GetTickCount64()) +
           L"-" + std::to_wstring(counter++);
}

CTempFolder::CTempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, base);
    std::wstring root = base;
    if (!root.empty() && root.back() == L'\\') {
        root.pop_back();
    }
    static std::atomic<unsigned> counter{0};
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate = root + L"\\folivex-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter++);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            m_path = candidate;
            return;
        }
    }
}

CTempFolder::~CTempFolder() {
    if (!m_path.empty()) {
        RemoveTree(m_path);
    }
}

bool CTempFolder::RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    bool ok = true;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring full = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = RemoveTree(full) && ok;
            } else {
                ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ok = ::DeleteFileW(full.c_str()) && ok;
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    return ::RemoveDirectoryW(path.c_str()) && ok;
}

CHelperProcess::~CHelperProcess() {
    if (m_process) {
        if (::WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(m_process, 255);
            ::WaitForSingleObject(m_process, 5000);
        }
        ::CloseHandle(m_process);
    }
}

bool CHelperProcess::Start(const std::wstring& name, const std::vector<std::wstring>& args) {
    std::wstring command = L"\"" + win::ModuleFileName() + L"\" --helper \"" + name + L"\"";
    for (const std::wstring& arg : args) {
        command += L" \"" + arg + L"\"";
    }
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return false;
    }
    ::CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    return true;
}

int CHelperProcess::Wait(DWORD timeoutMs) {
    if (!m_process || ::WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(m_process, &code);
    return static_cast<int>(code);
}
