// Opening a large help document from the command line until its title shows in a window caption: Folivex against
// the platform's own viewer (hh.exe) on the same file, alternating in one run, as medians and their ratio.
// Two moments are taken: the caption showing the title, and that window's thread answering a message afterwards.
// The viewer captions its window before it reads the contents and index, Folivex only once the document is open,
// so the second moment ("ready") is the like-for-like one; both ratios are printed.
//
// usage: bench_open.exe [rounds] [document]
// The document defaults to the one the build generates beside this program (large\bench.chm). Folivex runs from a
// fresh copy in a temporary folder each round, because it keeps its data files beside its executable.
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultRounds = 9;
// The document's title: the caption the system's viewer gives its window, read once before the rounds.
std::wstring g_title;
constexpr DWORD kShowTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 10000;

using Clock = std::chrono::steady_clock;

std::wstring FullPath(const std::wstring& path) {
    std::wstring full(MAX_PATH * 4, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length < full.size() ? length : 0);
    return full;
}

std::wstring ModuleFolder() {
    std::wstring path(MAX_PATH * 4, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\'));
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The viewer that ships with the system: in the Windows folder, or failing that the system folder.
std::wstring SystemViewer() {
    wchar_t folder[MAX_PATH] = {};
    if (::GetWindowsDirectoryW(folder, MAX_PATH) && FileExists(std::wstring(folder) + L"\\hh.exe")) {
        return std::wstring(folder) + L"\\hh.exe";
    }
    if (::GetSystemDirectoryW(folder, MAX_PATH) && FileExists(std::wstring(folder) + L"\\hh.exe")) {
        return std::wstring(folder) + L"\\hh.exe";
    }
    return {};
}

struct WindowSearch {
    DWORD pid;
    const wchar_t* title; // null: any visible window of the process
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindows(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !::IsWindowVisible(window)) {
        return TRUE;
    }
    if (search->title) {
        // Reads the caption without sending a message, so a busy process cannot stall the measurement.
        wchar_t text[512] = {};
        ::GetWindowTextW(window, text, 512);
        if (!std::wcsstr(text, search->title)) {
            return TRUE;
        }
    }
    search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleWindows(DWORD pid, const wchar_t* title) {
    WindowSearch search{pid, title, {}};
    ::EnumWindows(CollectWindows, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Asks every visible window of the process to close, then waits; ends it by force only when it will not go.
void CloseProcess(const PROCESS_INFORMATION& info) {
    for (HWND window : VisibleWindows(info.dwProcessId, nullptr)) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(info.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
        std::printf("  (process %lu did not end after WM_CLOSE; terminated)\n", info.dwProcessId);
        ::TerminateProcess(info.hProcess, 1);
        ::WaitForSingleObject(info.hProcess, kExitTimeoutMs);
    }
}

// Resident and proportional size of the process with the document open, in MB (0 when unknown).
struct Memory {
    double rssMb = 0;
    double pssMb = 0;
};

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Narrow(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(narrow.empty() ? 0 : narrow.size() - 1);
    return narrow;
}

std::string ReadWhole(const std::string& path) {
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    std::string text;
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    char buffer[4096];
    DWORD read = 0;
    // Files under /proc report no size: read until the end.
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    ::CloseHandle(file);
    return text;
}

double KilobytesOf(const std::string& table, const char* key) {
    const size_t at = table.find(key);
    return at == std::string::npos ? 0 : std::atof(table.c_str() + at + std::strlen(key));
}

// Every Windows process here is a Unix process whose command line is the Windows one: the Unix side's memory
// figures (what the machine really spends) are read from /proc through the drive that maps the root.
Memory UnixMemory(const std::wstring& program) {
    const std::string needle = Lower(Narrow(program));
    Memory memory;
    WIN32_FIND_DATAA data{};
    const HANDLE find = ::FindFirstFileA("Z:\\proc\\*", &data);
    if (find == INVALID_HANDLE_VALUE) {
        return memory;
    }
    do {
        const std::string name = data.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        std::string command = ReadWhole("Z:\\proc\\" + name + "\\cmdline");
        std::replace(command.begin(), command.end(), '\0', ' ');
        if (Lower(command).find(needle) == std::string::npos) {
            continue;
        }
        const std::string rollup = ReadWhole("Z:\\proc\\" + name + "\\smaps_rollup");
        memory.rssMb = KilobytesOf(rollup, "Rss:") / 1024;
        memory.pssMb = KilobytesOf(rollup, "Pss:") / 1024;
        break;
    } while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return memory;
}

struct OpenTimes {
    double firstWindowMs; // any visible window of the process: start-up, before the document
    double titleMs;       // the window captioned with the document's title
    double answerMs;      // that window's thread back at its message loop: whatever loads with the title is done
    Memory memory;        // with the document open and shown
};

// How long the document stays open before its memory is read: the contents tree fills after the title shows.
constexpr DWORD kSettleMs = 1500;

// Milliseconds from process creation until a visible window of it has the title in its caption; nothing when the
// process ended or the time-out passed first.
std::optional<OpenTimes> TimeOpen(const std::wstring& program, const std::wstring& document,
                                  const std::wstring& folder) {
    std::wstring command = L"\"" + program + L"\" \"" + document + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const Clock::time_point start = Clock::now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        std::printf("  cannot start %ls (error %lu)\n", program.c_str(), ::GetLastError());
        return std::nullopt;
    }
    auto since = [start] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };
    std::optional<OpenTimes> elapsed;
    std::optional<double> firstWindow;
    while (!elapsed) {
        if (!firstWindow && !VisibleWindows(info.dwProcessId, nullptr).empty()) {
            firstWindow = since();
        }
        if (const std::vector<HWND> titled = VisibleWindows(info.dwProcessId, g_title.c_str()); !titled.empty()) {
            const double title = since();
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(titled.front(), WM_NULL, 0, 0, SMTO_NORMAL, kShowTimeoutMs, &ignored);
            elapsed = OpenTimes{firstWindow.value_or(title), title, since(), {}};
            ::Sleep(kSettleMs);
            elapsed->memory = UnixMemory(program);
        } else if (::WaitForSingleObject(info.hProcess, 1) == WAIT_OBJECT_0 ||
                   Clock::now() - start > std::chrono::milliseconds(kShowTimeoutMs)) {
            break;
        }
    }
    CloseProcess(info);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return elapsed;
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

// The caption of the first visible window the viewer shows for the document; empty when none appears.
std::wstring ReadTitle(const std::wstring& viewer, const std::wstring& document) {
    std::wstring command = L"\"" + viewer + L"\" \"" + document + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return {};
    }
    std::wstring title;
    const Clock::time_point start = Clock::now();
    while (title.empty() && Clock::now() - start < std::chrono::milliseconds(kShowTimeoutMs) &&
           ::WaitForSingleObject(info.hProcess, 10) == WAIT_TIMEOUT) {
        for (const HWND window : VisibleWindows(info.dwProcessId, nullptr)) {
            wchar_t text[512] = {};
            if (::GetWindowTextW(window, text, 512) > 0 && !::GetParent(window)) {
                title = text;
                break;
            }
        }
    }
    CloseProcess(info);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return title;
}

// One Folivex run from its own fresh folder, so every round starts with no data files, as a first start does.
std::optional<OpenTimes> TimeFolivex(const std::wstring& built, const std::wstring& document, int round) {
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = std::wstring(temp) + L"folivex-bench-" + std::to_wstring(::GetCurrentProcessId()) +
                                L"-" + std::to_wstring(round);
    RemoveTree(folder);
    const std::wstring copy = folder + L"\\folivex.exe";
    if (!::CreateDirectoryW(folder.c_str(), nullptr) || !::CopyFileW(built.c_str(), copy.c_str(), FALSE)) {
        std::printf("  cannot copy folivex.exe into %ls\n", folder.c_str());
        return std::nullopt;
    }
    const std::optional<OpenTimes> elapsed = TimeOpen(copy, document, folder);
    RemoveTree(folder);
    return elapsed;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : kDefaultRounds;
    const std::wstring here = ModuleFolder();
    const std::wstring document = FullPath(argc > 2 ? std::wstring(argv[2]) : here + L"\\large\\bench.chm");
    const std::wstring folivex = FullPath(here + L"\\..\\src\\folivex.exe");
    const std::wstring viewer = SystemViewer();
    if (!FileExists(document) || !FileExists(folivex) || viewer.empty()) {
        std::printf("bench_open: missing document (%ls), folivex.exe (%ls) or the system's hh.exe\n", document.c_str(),
                    folivex.c_str());
        return 2;
    }
    g_title = ReadTitle(viewer, document);
    if (g_title.empty()) {
        std::printf("bench_open: hh.exe showed no titled window for %ls\n", document.c_str());
        return 1;
    }
    std::printf("document: %ls\ntitle: %ls\nrounds: %d (after one warm-up round)\n", document.c_str(), g_title.c_str(),
                rounds);

    std::vector<double> folivexTimes;
    std::vector<double> viewerTimes;
    std::vector<double> folivexAnswers;
    std::vector<double> viewerAnswers;
    std::vector<double> folivexRss, folivexPss, viewerRss, viewerPss, folivexFirst, viewerFirst;
    bool folivexWorks = true;
    for (int round = 0; round <= rounds; ++round) {
        const std::optional<OpenTimes> hh = TimeOpen(viewer, document, {});
        std::optional<OpenTimes> own;
        if (folivexWorks) {
            own = TimeFolivex(folivex, document, round);
            if (!own) {
                folivexWorks = false;
                std::printf("folivex: no window captioned \"%ls\" within %lu s; the Folivex side is skipped from "
                            "here on (does it open documents from the command line yet?)\n",
                            g_title.c_str(), kShowTimeoutMs / 1000);
            }
        }
        if (!hh) {
            std::printf("hh.exe: no window captioned \"%ls\" within %lu s\n", g_title.c_str(), kShowTimeoutMs / 1000);
            return 1;
        }
        if (round == 0) {
            continue;
        }
        viewerTimes.push_back(hh->titleMs);
        viewerAnswers.push_back(hh->answerMs);
        viewerRss.push_back(hh->memory.rssMb);
        viewerFirst.push_back(hh->firstWindowMs);
        viewerPss.push_back(hh->memory.pssMb);
        std::printf("round %d: hh.exe first window %.0f, title %.0f, ready %.0f ms, %.1f MB", round,
                    hh->firstWindowMs, hh->titleMs, hh->answerMs, hh->memory.rssMb);
        if (own) {
            folivexTimes.push_back(own->titleMs);
            folivexAnswers.push_back(own->answerMs);
            folivexRss.push_back(own->memory.rssMb);
            folivexFirst.push_back(own->firstWindowMs);
            folivexPss.push_back(own->memory.pssMb);
            std::printf("; folivex first window %.0f, title %.0f, ready %.0f ms, %.1f MB", own->firstWindowMs,
                        own->titleMs, own->answerMs, own->memory.rssMb);
        }
        std::printf("\n");
    }

    std::printf("median hh.exe:  first window %.0f ms, title %.0f ms, ready %.0f ms\n", Median(viewerFirst),
                Median(viewerTimes), Median(viewerAnswers));
    if (!folivexWorks || folivexTimes.empty()) {
        std::printf("median folivex: n/a\nratio folivex / hh.exe: n/a\n");
        return 1;
    }
    std::printf("median folivex: first window %.0f ms, title %.0f ms, ready %.0f ms\n", Median(folivexFirst),
                Median(folivexTimes), Median(folivexAnswers));
    std::printf("ratio folivex / hh.exe: first window %.2f (target <= 1.00), title %.2f, ready %.2f "
                "(target <= 1.10)\n",
                Median(folivexFirst) / Median(viewerFirst), Median(folivexTimes) / Median(viewerTimes),
                Median(folivexAnswers) / Median(viewerAnswers));
    std::printf("memory with the document open (median MB): hh.exe resident %.1f, proportional %.1f; folivex "
                "resident %.1f, proportional %.1f; difference resident %+.1f (target <= +8.0)\n",
                Median(viewerRss), Median(viewerPss), Median(folivexRss), Median(folivexPss),
                Median(folivexRss) - Median(viewerRss));
    return 0;
}
