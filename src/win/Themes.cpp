#include "win/Themes.h"

#include <windows.h>

#include <mutex>
#include <optional>

namespace win {

namespace {

using IsThemeActiveFn = BOOL(WINAPI*)();

bool ThemeLibraryLoads() {
    static std::mutex lock;
    static std::optional<bool> probed;
    std::lock_guard guard(lock);
    if (!probed) {
        const HMODULE module = ::LoadLibraryW(L"uxtheme.dll");
        probed = module != nullptr;
        if (module) {
            ::FreeLibrary(module);
        }
    }
    return *probed;
}

} // namespace

bool ThemesActive() {
    if (!ThemeLibraryLoads()) {
        return false;
    }
    const HMODULE module = ::LoadLibraryW(L"uxtheme.dll");
    if (!module) {
        return false;
    }
    bool active = false;
    if (auto isActive = reinterpret_cast<IsThemeActiveFn>(
            reinterpret_cast<void*>(::GetProcAddress(module, "IsThemeActive")))) {
        active = isActive() != FALSE;
    }
    ::FreeLibrary(module);
    return active;
}

} // namespace win
