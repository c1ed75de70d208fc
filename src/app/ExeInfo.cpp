#include "app/ExeInfo.h"

#include "win/Handles.h"
#include "win/Path.h"
#include "win/Strings.h"

#include "resource.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <mutex>

namespace {

constexpr wchar_t kInstallKey[] = L"Software\\folivex";
constexpr wchar_t kInstallValue[] = L"InstDir";
constexpr DWORD kMaxInstallDirUnits = 264;

struct ExeState {
    std::mutex lock;
    ExeSettlement settlement;
    std::wstring exePath;
};

ExeState& State() {
    static ExeState state;
    return state;
}

} // namespace

std::optional<std::wstring> ExeInfo::ParseInstallDirValue(DWORD type, const BYTE* data, DWORD size) {
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || !data || size == 0 || size % sizeof(wchar_t) != 0 ||
        size > kMaxInstallDirUnits * sizeof(wchar_t)) {
        return std::nullopt;
    }
    const size_t units = size / sizeof(wchar_t);
    std::wstring text(units, L'\0');
    memcpy(text.data(), data, size);
    if (text.back() != L'\0') {
        return std::nullopt;
    }
    text.resize(wcslen(text.c_str()));
    return text;
}

std::wstring ExeInfo::CleanInstallDir(std::wstring_view raw) {
    std::wstring dir = win::TrimPath(raw);
    if (win::GetPathKind(dir) != win::PathKind::Absolute || !win::DirectoryExists(dir)) {
        return {};
    }
    return dir;
}

std::wstring ExeInfo::ReadInstallDir(HKEY root) {
    win::CRegKey key;
    if (::RegOpenKeyExW(root, kInstallKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.Get(), kInstallValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        size > kMaxInstallDirUnits * sizeof(wchar_t)) {
        return {};
    }
    std::wstring buffer(kMaxInstallDirUnits, L'\0');
    size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.Get(), kInstallValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &size) != ERROR_SUCCESS) {
        return {};
    }
    const auto value = ParseInstallDirValue(type, reinterpret_cast<const BYTE*>(buffer.data()), size);
    return value ? CleanInstallDir(*value) : std::wstring();
}

std::wstring ExeInfo::DocumentsFolder() {
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE)) {
        return {};
    }
    std::wstring folder = win::TrimPath(path);
    return win::DirectoryExists(folder) ? folder : std::wstring();
}

ExeSettlement ExeInfo::Settle(std::wstring_view exeDir, std::wstring_view installDir,
                              std::wstring_view documentsFolder) {
    ExeSettlement result{ExeModeStandalone, std::wstring(exeDir)};
    if (installDir.empty() || !win::EqualsNoCaseAscii(installDir, exeDir)) {
        return result;
    }
    const std::wstring documents = win::TrimPath(documentsFolder);
    if (documents.empty()) {
        return {ExeModeNone, {}};
    }
    std::wstring dir = documents;
    const std::wstring product = win::LoadStr(IDS_PRODUCT_NAME);
    if (!dir.empty() && dir.back() != L'\\') {
        dir += L'\\';
    }
    dir += product;
    return {ExeModeInstalled, win::TrimPath(dir)};
}

bool ExeInfo::Init() {
    const std::wstring exePath = win::ModuleFileName();
    const std::wstring exeDir = win::ParentFolder(exePath);
    const std::wstring installDir = ReadInstallDir();
    // The documents folder is looked up only when the installed mode could apply.
    std::wstring documents;
    if (!installDir.empty() && win::EqualsNoCaseAscii(installDir, exeDir)) {
        documents = DocumentsFolder();
    }
    const ExeSettlement settled = Settle(exeDir, installDir, documents);
    Set(settled, exePath);
    return settled.mode != ExeModeNone;
}

void ExeInfo::Set(const ExeSettlement& settlement, std::wstring_view exePath) {
    ExeState& state = State();
    std::lock_guard guard(state.lock);
    state.settlement = settlement;
    state.exePath = exePath;
}

ExeMode ExeInfo::GetMode() {
    ExeState& state = State();
    std::lock_guard guard(state.lock);
    return state.settlement.mode;
}

std::wstring ExeInfo::GetExecDir() {
    ExeState& state = State();
    std::lock_guard guard(state.lock);
    return state.settlement.execDir;
}

std::wstring ExeInfo::GetExePath() {
    ExeState& state = State();
    std::lock_guard guard(state.lock);
    return state.exePath;
}

std::wstring ExeInfo::ModeDisplayName(ExeMode mode) {
    switch (mode) {
    case ExeModeStandalone:
        return win::LoadStr(IDS_MODE_STANDALONE);
    case ExeModeInstalled:
        return win::LoadStr(IDS_MODE_INSTALLED);
    default:
        return win::LoadStr(IDS_UNKNOWN_VALUE);
    }
}
