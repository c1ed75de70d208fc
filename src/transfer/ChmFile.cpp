#include "transfer/ChmFile.h"

#include "transfer/TopicPath.h"

#include "win/Handles.h"

#include <windows.h>

#include <string>

namespace transfer {

namespace {

char LowerAscii(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool IsChmFile(std::wstring_view text) {
    const std::wstring path = ExtractDocPath(text, false);
    // The platform stops at a NUL: a path with one inside would test another file than the one named.
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return false;
    }
    win::CFileHandleRaii file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    // A device or pipe name ("CON", "\\.\pipe\x") would make the read wait for input that may never come.
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        return false;
    }
    char buffer[kChmSignature.size()] = {};
    DWORD got = 0;
    if (!::ReadFile(file.Get(), buffer, static_cast<DWORD>(kChmSignature.size()), &got, nullptr) ||
        got != kChmSignature.size()) {
        return false;
    }
    for (size_t i = 0; i < kChmSignature.size(); ++i) {
        if (LowerAscii(buffer[i]) != LowerAscii(kChmSignature[i])) {
            return false;
        }
    }
    return true;
}

const wchar_t* DocumentExtension() noexcept {
    return L"chm";
}

const wchar_t* DataFileExtension() noexcept {
    return L"xml";
}

} // namespace transfer
