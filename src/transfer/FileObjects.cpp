#include "transfer/FileObjects.h"

#include "transfer/ChmFile.h"

namespace transfer {

namespace {

// Access and sharing of a downloaded document while it is written.
constexpr DWORD kTempDocumentAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kTempDocumentShare = 0;

// The same file name with its extension replaced, or empty when the result would not fit the platform's limit.
std::wstring WithExtension(const std::wstring& path, const std::wstring& extension) {
    const size_t nameStart = path.find_last_of(L"\\/");
    const size_t dot = path.find_last_of(L'.');
    const bool hasExtension = dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
    std::wstring result = path.substr(0, hasExtension ? dot : path.size());
    result += L'.';
    result += extension;
    if (result.size() >= MAX_PATH) {
        return {};
    }
    return result;
}

// The long form of the user's temporary folder, ending in a separator.
std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, buffer);
    if (length == 0 || length > MAX_PATH) {
        return {};
    }
    const DWORD longLength = ::GetLongPathNameW(buffer, buffer, MAX_PATH);
    if (longLength == 0 || longLength >= MAX_PATH) {
        return {};
    }
    return std::wstring(buffer, longLength);
}

} // namespace

CFileHandle::~CFileHandle() {
    (void)m_handle.Close();
    m_properties.clear();
}

bool CFileHandle::Open() {
    return false;
}

bool CFileHandle::Create(DWORD access, DWORD share, DWORD disposition) {
    if (m_handle || m_path.empty()) {
        return false;
    }
    m_handle.Reset(::CreateFileW(m_path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_handle.IsValid();
}

bool CFileHandle::Delete() {
    if (m_path.empty()) {
        return false;
    }
    (void)m_handle.Close();
    if (!::DeleteFileW(m_path.c_str())) {
        return false;
    }
    m_path.clear();
    return true;
}

bool CFileHandle::CopyTo(const std::wstring& destination, bool overwrite) {
    if (m_path.empty()) {
        return false;
    }
    return ::CopyFileW(m_path.c_str(), destination.c_str(), overwrite ? FALSE : TRUE) != FALSE;
}

bool CFileHandle::OpenExisting(DWORD access, DWORD share) {
    return Create(access, share, OPEN_EXISTING);
}

bool CFileHandle::Close() {
    return m_handle.Close();
}

bool CFileHandle::Read(void* buffer, DWORD count) {
    if (!m_handle) {
        return false;
    }
    DWORD done = 0;
    return ::ReadFile(m_handle.Get(), buffer, count, &done, nullptr) && done == count;
}

bool CFileHandle::Write(const void* buffer, DWORD count) {
    if (!m_handle) {
        return false;
    }
    DWORD done = 0;
    return ::WriteFile(m_handle.Get(), buffer, count, &done, nullptr) && done == count;
}

bool CFileHandle::Flush() {
    return m_handle && ::FlushFileBuffers(m_handle.Get());
}

bool CFileHandle::Seek(DWORD low, LONG high, DWORD origin) {
    if (!m_handle) {
        return false;
    }
    LARGE_INTEGER distance;
    distance.LowPart = low;
    distance.HighPart = high;
    return ::SetFilePointerEx(m_handle.Get(), distance, nullptr, origin) != FALSE;
}

bool CFileHandle::GetSize(uint64_t& size) {
    LARGE_INTEGER value{};
    if (!m_handle || !::GetFileSizeEx(m_handle.Get(), &value)) {
        return false;
    }
    size = static_cast<uint64_t>(value.QuadPart);
    return true;
}

bool CFileHandle::SetSize(DWORD low, LONG high) {
    return Seek(low, high, FILE_BEGIN) && ::SetEndOfFile(m_handle.Get());
}

bool CFileHandle::GetTimes(FileTimes& times) {
    if (!m_handle) {
        return false;
    }
    FileTimes read;
    if (!::GetFileTime(m_handle.Get(), &read.creation.time, &read.lastAccess.time, &read.lastWrite.time)) {
        return false;
    }
    read.creation.valid = read.lastWrite.valid = read.lastAccess.valid = true;
    times = read;
    return true;
}

bool CFileHandle::SetTimes(const FileTimes& times) {
    if (!m_handle) {
        return false;
    }
    const auto pick = [](const FileTimeEntry& entry) { return entry.valid ? &entry.time : nullptr; };
    return ::SetFileTime(m_handle.Get(), pick(times.creation), pick(times.lastAccess), pick(times.lastWrite)) != FALSE;
}

std::wstring CFileHandle::GetProperty(std::wstring_view name) const {
    const auto found = m_properties.find(name);
    return found == m_properties.end() ? std::wstring() : found->second;
}

void CFileHandle::SetProperty(std::wstring_view name, std::wstring value) {
    m_properties.insert_or_assign(std::wstring(name), std::move(value));
}

CFileTemp::~CFileTemp() {
    // A file that cannot be deleted now stays behind; nobody could be told about it.
    if (!GetPath().empty()) {
        (void)Delete();
    }
}

bool CFileTemp::CreateTemp(DWORD access, DWORD share) {
    if (IsOpen()) {
        return false;
    }
    // A file this object made earlier would otherwise be forgotten and left in the temporary folder.
    if (!GetPath().empty() && !Delete()) {
        return false;
    }
    const std::wstring folder = TempFolder();
    if (folder.empty()) {
        return false;
    }
    wchar_t created[MAX_PATH] = {};
    if (::GetTempFileNameW(folder.c_str(), m_prefix.c_str(), 0, created) == 0) {
        return false;
    }
    // From here on the object names the file, so the destructor removes it whatever fails next.
    SetPath(created);
    if (!m_extension.empty()) {
        std::wstring renamed = WithExtension(GetPath(), m_extension);
        if (renamed.empty() || !::MoveFileW(GetPath().c_str(), renamed.c_str())) {
            return false;
        }
        SetPath(std::move(renamed));
    }
    return OpenExisting(access, share);
}

bool CFileTemp::Adopt(std::wstring path) {
    if (IsOpen() || !GetPath().empty() || path.empty()) {
        return false;
    }
    SetPath(std::move(path));
    return true;
}

std::wstring CFileTemp::Release() {
    (void)Close();
    std::wstring path = GetPath();
    SetPath({});
    return path;
}

CFileChmTemp::CFileChmTemp() : CFileTemp(L"chm", DocumentExtension()) {}

bool CFileChmTemp::Open() {
    return CreateTemp(kTempDocumentAccess, kTempDocumentShare);
}

} // namespace transfer
