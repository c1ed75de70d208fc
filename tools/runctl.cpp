// A small console helper for scripts/run: waits for a Folivex main window to show, prints its caption,
// and asks it to close, so a headless run can take a screenshot in between.
//   runctl wait SECONDS   exit 0 once a main window is visible (its caption on stdout), 1 on time-out
//   runctl close          post WM_CLOSE to every main window, exit 0 if there was one

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kFrameClass[] = L"FolivexMainFrame";

BOOL CALLBACK CollectMainWindow(HWND hwnd, LPARAM lp) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    if (std::wcscmp(name, kFrameClass) == 0 && ::IsWindowVisible(hwnd)) {
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> MainWindows() {
    std::vector<HWND> found;
    ::EnumWindows(&CollectMainWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    out.resize(std::strlen(out.c_str()));
    return out;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wcscmp(argv[1], L"wait") == 0) {
        const ULONGLONG deadline = ::GetTickCount64() + 1000ULL * std::wcstoul(argv[2], nullptr, 10);
        while (::GetTickCount64() < deadline) {
            const auto windows = MainWindows();
            if (!windows.empty()) {
                wchar_t caption[512] = {};
                ::GetWindowTextW(windows.front(), caption, 512);
                std::printf("%s\n", Utf8(caption).c_str());
                return 0;
            }
            ::Sleep(100);
        }
        return 1;
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"close") == 0) {
        const auto windows = MainWindows();
        for (HWND hwnd : windows) {
            ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
        return windows.empty() ? 1 : 0;
    }
    std::fprintf(stderr, "usage: runctl wait SECONDS | runctl close\n");
    return 2;
}
