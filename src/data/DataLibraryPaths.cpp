// The library's conversion of document file paths between absolute and relative form.
#include "data/DataLibrary.h"

#include <windows.h>
#include <shlwapi.h>

namespace data {

namespace {

// The platform path functions below work on buffers of this many characters.
constexpr size_t kPathLimit = MAX_PATH;

// The drive letter's number (A is 0), or -1 for a path without one; read directly so a long path still has one.
int DriveOf(std::wstring_view path) {
    if (path.size() < 2 || path[1] != L':') {
        return -1;
    }
    const wchar_t letter = path[0];
    if (letter >= L'a' && letter <= L'z') {
        return letter - L'a';
    }
    if (letter >= L'A' && letter <= L'Z') {
        return letter - L'A';
    }
    return -1;
}

} // namespace

win::PathKind CDataLibrary::ClassifyPath(std::wstring_view path) {
    return win::GetPathKind(path);
}

bool CDataLibrary::GetBaseDirectory(std::wstring_view given, std::wstring& base) {
    base.clear();
    std::wstring directory(given);
    if (directory.empty()) {
        std::wstring buffer(kPathLimit, L'\0');
        const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0 || length >= buffer.size()) {
            return false;
        }
        buffer.resize(length);
        directory = std::move(buffer);
    }
    if (ClassifyPath(directory) != win::PathKind::Absolute || !win::DirectoryExists(directory)) {
        return false;
    }
    base = std::move(directory);
    return true;
}

bool CDataLibrary::IsOnSameDrive(std::wstring_view path, std::wstring_view base) {
    const int drive = DriveOf(path);
    return drive >= 0 && drive == DriveOf(base);
}

std::wstring CDataLibrary::ToRelativePath(std::wstring_view path, std::wstring_view base) {
    if (ClassifyPath(path) != win::PathKind::Absolute) {
        return std::wstring(path);
    }
    if (base.empty()) {
        return {};
    }
    if (!IsOnSameDrive(path, base)) {
        return std::wstring(path);
    }
    const std::wstring from(base);
    const std::wstring to(path);
    if (from.size() >= kPathLimit || to.size() >= kPathLimit) {
        return {};
    }
    std::wstring relative(kPathLimit, L'\0');
    if (!::PathRelativePathToW(relative.data(), from.c_str(), FILE_ATTRIBUTE_DIRECTORY, to.c_str(),
                               FILE_ATTRIBUTE_NORMAL)) {
        return {};
    }
    relative.resize(wcslen(relative.c_str()));
    return relative;
}

std::wstring CDataLibrary::ToAbsolutePath(std::wstring_view path, std::wstring_view base) {
    if (ClassifyPath(path) != win::PathKind::Relative) {
        return std::wstring(path);
    }
    if (base.empty() || ClassifyPath(base) != win::PathKind::Absolute) {
        return {};
    }
    // Joining onto the base and resolving that full path gives what resolving against the base as current
    // directory gives, without changing the process's current directory under other threads.
    std::wstring joined(base);
    if (joined.back() != L'\\' && joined.back() != L'/') {
        joined += L'\\';
    }
    joined += path;
    std::wstring full(kPathLimit, L'\0');
    const DWORD length = ::GetFullPathNameW(joined.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) {
        return {};
    }
    full.resize(length);
    return full;
}

} // namespace data
