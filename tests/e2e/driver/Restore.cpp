#include "driver/Restore.h"

#include "common/TempFolder.h"
#include "win/Handles.h"
#include "win/Path.h"
#include "win/Strings.h"

#include <shlobj.h>

namespace e2e {

CScopedRegistryValue::CScopedRegistryValue(HKEY root, std::wstring subKey, std::wstring name)
    : m_root(root), m_subKey(std::move(subKey)), m_name(std::move(name)) {}

CScopedRegistryValue::~CScopedRegistryValue() {
    (void)Restore();
}

bool CScopedRegistryValue::SetString(std::wstring_view text) {
    win::CRegKey key;
    DWORD disposition = 0;
    if (::RegCreateKeyExW(m_root, m_subKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.Receive(),
                          &disposition) != ERROR_SUCCESS) {
        return false;
    }
    if (!m_saved) {
        m_createdKey = disposition == REG_CREATED_NEW_KEY;
        DWORD size = 0;
        m_hadValue = ::RegQueryValueExW(key.Get(), m_name.c_str(), nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS;
        if (m_hadValue) {
            m_data.resize(size);
            if (::RegQueryValueExW(key.Get(), m_name.c_str(), nullptr, &m_type, m_data.data(), &size) !=
                ERROR_SUCCESS) {
                return false;
            }
            m_data.resize(size);
        }
        m_saved = true;
    }
    const std::wstring value(text);
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return ::RegSetValueExW(key.Get(), m_name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            bytes) == ERROR_SUCCESS;
}

bool CScopedRegistryValue::Restore() {
    if (!m_saved) {
        return true;
    }
    m_saved = false;
    if (m_createdKey) {
        // Nothing else can have been in a key made here.
        return ::RegDeleteTreeW(m_root, m_subKey.c_str()) == ERROR_SUCCESS;
    }
    win::CRegKey key;
    if (::RegOpenKeyExW(m_root, m_subKey.c_str(), 0, KEY_WRITE, key.Receive()) != ERROR_SUCCESS) {
        return false;
    }
    if (m_hadValue) {
        return ::RegSetValueExW(key.Get(), m_name.c_str(), 0, m_type, m_data.data(),
                                static_cast<DWORD>(m_data.size())) == ERROR_SUCCESS;
    }
    const LSTATUS status = ::RegDeleteValueW(key.Get(), m_name.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool PathExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::wstring& path) {
    return win::DirectoryExists(path);
}

CScopedAbsentPath::~CScopedAbsentPath() {
    (void)Restore();
}

bool CScopedAbsentPath::Clear() {
    if (m_armed) {
        return true;
    }
    if (PathExists(m_path)) {
        // Only an empty folder may go: RemoveDirectoryW refuses any other.
        if (!IsFolder(m_path) || !::RemoveDirectoryW(m_path.c_str())) {
            return false;
        }
        m_hadEmptyFolder = true;
    }
    m_armed = true;
    return true;
}

bool CScopedAbsentPath::Restore() {
    if (!m_armed) {
        return true;
    }
    m_armed = false;
    bool ok = true;
    if (IsFolder(m_path)) {
        ok = CTempFolder::RemoveTree(m_path);
    } else if (PathExists(m_path)) {
        ::SetFileAttributesW(m_path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ok = ::DeleteFileW(m_path.c_str()) != FALSE;
    }
    if (m_hadEmptyFolder) {
        ok = ::CreateDirectoryW(m_path.c_str(), nullptr) && ok;
    }
    return ok;
}

std::wstring PrefixDocumentsFolder() {
    // Outside Wine the documents folder is a real user's: never write there.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (!ntdll || !::GetProcAddress(ntdll, "wine_get_version")) {
        return {};
    }
    wchar_t buffer[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_PERSONAL, FALSE)) {
        return {};
    }
    const std::wstring documents = win::TrimPath(buffer);
    const DWORD attributes = ::GetFileAttributesW(documents.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return {};
    }
    // Wine resolves symbolic links in the final path of an open folder: a folder linked out of the prefix
    // (to the home folder, as a fresh prefix has it) shows up under another name, usually on drive Z:.
    win::CFileHandleRaii folder(::CreateFileW(documents.c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) {
        return {};
    }
    std::wstring final(MAX_PATH * 4, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(folder.Get(), final.data(), static_cast<DWORD>(final.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= final.size()) {
        return {};
    }
    final.resize(length);
    constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
    if (final.starts_with(kLongPrefix)) {
        final.erase(0, kLongPrefix.size());
    }
    return win::EqualsNoCaseAscii(win::TrimPath(final), documents) ? documents : std::wstring();
}

} // namespace e2e
