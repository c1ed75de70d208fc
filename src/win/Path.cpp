#include "win/Path.h"

#include "win/Strings.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>

namespace win {

PathKind GetPathKind(std::wstring_view path) {
    if (path.empty()) {
        return PathKind::Empty;
    }
    // The platform's path checks know only backslashes; "/docs/a.chm" is rooted all the same.
    std::wstring copy(path);
    std::replace(copy.begin(), copy.end(), L'/', L'\\');
    if (::PathIsUNCW(copy.c_str())) {
        return PathKind::Unc;
    }
    if (::PathIsRelativeW(copy.c_str())) {
        return PathKind::Relative;
    }
    return PathKind::Absolute;
}

std::wstring TrimPath(std::wstring_view path) {
    std::wstring copy(path);
    copy.push_back(L'\0');
    // Room for the platform calls, which work in place on a MAX_PATH-sized view of the buffer.
    if (copy.size() < MAX_PATH) {
        copy.resize(MAX_PATH, L'\0');
    }
    ::PathRemoveBlanksW(copy.data());
    ::PathRemoveBackslashW(copy.data());
    copy.resize(wcslen(copy.c_str()));
    return copy;
}

bool DirectoryExists(std::wstring_view path) {
    if (path.empty()) {
        return false;
    }
    const std::wstring copy(path);
    const DWORD attributes = ::GetFileAttributesW(copy.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ParentFolder(std::wstring_view path) {
    std::wstring copy(path);
    copy.push_back(L'\0');
    if (copy.size() < MAX_PATH) {
        copy.resize(MAX_PATH, L'\0');
    }
    ::PathRemoveFileSpecW(copy.data());
    copy.resize(wcslen(copy.c_str()));
    return copy;
}

std::wstring ModuleFileName(void* module) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(static_cast<HMODULE>(module), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring FullPath(std::wstring_view path) {
    if (path.empty()) {
        return {};
    }
    const std::wstring given(path);
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(length);
    }
}

std::wstring ResolveAgainst(std::wstring_view path, std::wstring_view base) {
    const auto below = [&base](std::wstring_view rest) {
        std::wstring joined(base);
        if (!joined.empty() && joined.back() != L'\\' && joined.back() != L'/') {
            joined += L'\\';
        }
        return joined + std::wstring(rest);
    };
    const bool baseHasDrive = base.size() >= 2 && base[1] == L':';
    std::wstring joined;
    switch (GetPathKind(path)) {
    case PathKind::Empty:
        return {};
    case PathKind::Relative:
        if (!baseHasDrive) {
            return {};
        }
        joined = below(path);
        break;
    case PathKind::Absolute:
        if ((path[0] == L'\\' || path[0] == L'/') && baseHasDrive) {
            joined = std::wstring(base.substr(0, 2)) + std::wstring(path);
        } else if (path.size() >= 2 && path[1] == L':' && (path.size() == 2 || (path[2] != L'\\' && path[2] != L'/'))) {
            // A drive's own current directory is process state that other threads may change.
            joined = baseHasDrive && EqualsNoCase(path.substr(0, 2), base.substr(0, 2))
                         ? below(path.substr(2))
                         : std::wstring(path.substr(0, 2)) + L"\\" + std::wstring(path.substr(2));
        } else {
            joined = std::wstring(path);
        }
        break;
    case PathKind::Unc:
        joined = std::wstring(path);
        break;
    }
    return FullPath(joined);
}

bool FileExists(std::wstring_view path) {
    if (path.empty()) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesW(std::wstring(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    // A drive root keeps its backslash: "C:" alone would mean the drive's current directory.
    const auto normal = [](std::wstring_view path) {
        std::wstring full = FullPath(path);
        if (full.size() > 3 && full.back() == L'\\') {
            full.pop_back();
        }
        return full;
    };
    const std::wstring fullA = normal(a);
    const std::wstring fullB = normal(b);
    return !fullA.empty() && !fullB.empty() && EqualsNoCase(fullA, fullB);
}

} // namespace win
