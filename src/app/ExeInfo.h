#pragma once
// The process's execution information: the run mode and the execution directory that holds every data file.
// Settled once before any window exists and read-only afterwards.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum ExeMode : int32_t {
    ExeModeNone = 0, // not settled: start-up must fail
    ExeModeStandalone = 1,
    ExeModeInstalled = 2,
};

struct ExeSettlement {
    ExeMode mode = ExeModeNone;
    std::wstring execDir;
};

class ExeInfo {
public:
    // Fills the mode and the execution directory from the executable's folder, the installation directory in
    // the registry and the user's documents folder. A failure shows as ExeModeNone.
    static bool Init();
    static ExeMode GetMode();
    static std::wstring GetExecDir();
    static std::wstring GetExePath();
    // Only for tests that run without Init: the values the process then reports.
    static void Set(const ExeSettlement& settlement, std::wstring_view exePath);

    static std::wstring ModeDisplayName(ExeMode mode);

    // The decision without the platform around it: the installed mode applies only when the installation
    // directory names the executable's own folder (ASCII letters compared without case).
    static ExeSettlement Settle(std::wstring_view exeDir, std::wstring_view installDir,
                                std::wstring_view documentsFolder);

    // The registry value's text when it is a terminated string value of acceptable size, else nothing.
    static std::optional<std::wstring> ParseInstallDirValue(DWORD type, const BYTE* data, DWORD size);
    // Blanks and a trailing backslash removed; empty unless the result is a drive path of an existing folder.
    static std::wstring CleanInstallDir(std::wstring_view raw);
    // Reads InstDir under "Software\folivex" of `root` and cleans it; empty when absent or unusable.
    static std::wstring ReadInstallDir(HKEY root = HKEY_LOCAL_MACHINE);
    // The user's documents folder, trimmed; empty when there is none.
    static std::wstring DocumentsFolder();
};
