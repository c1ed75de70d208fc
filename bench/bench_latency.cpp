// How soon another instance shows a change: this process adds history entries to the data folder of a running
// folivex.exe (through the same store code, so each save ends with the rename of the new file) and measures until
// that instance's history window lists the new entry. Median and spread of the changes are printed.
//
// usage: bench_latency.exe [changes]
#include "data/DataHistory.h"
#include "data/DataSetting.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultChanges = 25;
constexpr DWORD kTimeoutMs = 10000;
// The history window's command and tree control.
constexpr UINT kHistoryCommand = 0x9CA8;
constexpr int kHistoryTree = 1001;
using Clock = std::chrono::steady_clock;

struct Search {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK FindWindowOf(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t name[64] = {};
    wchar_t text[64] = {};
    ::GetClassNameW(window, name, 64);
    ::GetWindowTextW(window, text, 64);
    if (pid == search->pid && ::IsWindowVisible(window) && std::wstring(name) == search->className &&
        (!search->caption || std::wstring(text) == search->caption)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* caption) {
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::milliseconds(kTimeoutMs)) {
        Search search{pid, className, caption, nullptr};
        ::EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            return search.found;
        }
        ::Sleep(10);
    }
    return nullptr;
}

LRESULT ItemCount(HWND tree) {
    DWORD_PTR count = 0;
    return ::SendMessageTimeoutW(tree, TVM_GETCOUNT, 0, 0, SMTO_NORMAL, kTimeoutMs, &count) ? static_cast<LRESULT>(count)
                                                                                            : -1;
}

std::wstring ModuleFolder() {
    std::wstring path(MAX_PATH * 4, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int changes = argc > 1 ? std::max(1, _wtoi(argv[1])) : kDefaultChanges;
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 2;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = std::wstring(temp) + L"folivex-latency-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring program = folder + L"\\folivex.exe";
    if (!::CreateDirectoryW(folder.c_str(), nullptr) ||
        !::CopyFileW((ModuleFolder() + L"\\..\\src\\folivex.exe").c_str(), program.c_str(), FALSE)) {
        std::printf("bench_latency: cannot copy folivex.exe into %ls\n", folder.c_str());
        return 2;
    }
    std::wstring command = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &info)) {
        std::printf("bench_latency: cannot start folivex.exe\n");
        return 2;
    }
    int status = 1;
    const HWND frame = WaitForWindow(info.dwProcessId, L"FolivexMainFrame", nullptr);
    ::PostMessageW(frame, WM_COMMAND, kHistoryCommand, 0);
    const HWND history = frame ? WaitForWindow(info.dwProcessId, L"#32770", L"ヒストリー") : nullptr;
    const HWND tree = history ? ::GetDlgItem(history, kHistoryTree) : nullptr;
    if (!tree) {
        std::printf("bench_latency: the history window did not show\n");
    } else {
        data::CDataSetting setting;
        setting.SetFolder(folder);
        data::CDataHistory store(setting);
        store.SetFolder(folder);
        (void)store.Reload();
        std::vector<double> times;
        for (int i = 0; i < changes; ++i) {
            const LRESULT before = ItemCount(tree);
            data::CDataDoc doc;
            doc.title = L"Latency " + std::to_wstring(i);
            doc.time = 1700000000 + i;
            doc.file.path = L"C:\\latency" + std::to_wstring(i) + L".chm";
            // The save has renamed the new file into place when Add returns.
            if (!store.Add(doc)) {
                std::printf("bench_latency: the history could not be saved\n");
                break;
            }
            const auto saved = Clock::now();
            while (ItemCount(tree) == before && Clock::now() - saved < std::chrono::milliseconds(kTimeoutMs)) {
                ::Sleep(1);
            }
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - saved).count();
            if (ItemCount(tree) == before) {
                std::printf("bench_latency: change %d never showed\n", i);
                break;
            }
            times.push_back(ms);
            // The watcher's next event must not be this change's: let the instance settle.
            ::Sleep(50);
        }
        if (!times.empty()) {
            std::sort(times.begin(), times.end());
            std::printf("changes: %zu\nreload shown after: median %.1f ms, min %.1f, max %.1f (target: median < 100)\n",
                        times.size(), times[times.size() / 2], times.front(), times.back());
            status = times.size() == static_cast<size_t>(changes) ? 0 : 1;
        }
    }
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(info.hProcess, kTimeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(info.hProcess, 1);
    }
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
    return status;
}
