#include "transfer/FileObjects.h"

#include "transfer/ChmFile.h"

#include <atomic>
#include <cwchar>

namespace transfer {

namespace {

// Access and sharing of a downloaded document while it is written.
constexpr DWORD kTempDocumentAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kTempDocumentShare = 0;

// How many names a temporary file tries before it gives up.
constexpr int kTempNameTries = 64;

// The system's own pattern: the prefix's first three characters, four hexadecimal digits, the extension ("tmp"
// when none is given); empty when the path would not fit the platform's limit.
std::wstring TempName(const std::wstring& folder, const std::wstring& prefix, unsigned number,
                      const std::wstring& extension) {
    wchar_t digits[8] = {};
    (void)std::swprintf(digits, std::size(digits), L"%04X", number & 0xFFFFu);
    std::wstring path = folder + prefix.substr(0, 3) + digits + L'.' + (extension.empty() ? L"tmp" : extension);
    return path.size() < MAX_PATH ? path : std::wstring();
}

// A name held by a leftover file, a file being deleted, another instance's open document or a folder.
bool IsNameTaken(DWORD error) noexcept {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED ||
           error == ERROR_SHARING_VIOLATION;
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

uint16_t CFileTemp::FirstNameNumber() {
    // Different for every process and every call, so instances starting together seldom try the same names.
    static std::atomic<uint32_t> calls{0};
    const uint64_t mixed =
        ::GetTickCount64() ^ (uint64_t{::GetCurrentProcessId()} << 16) ^ (uint64_t{calls++} * 0x9E3Bu);
    return static_cast<uint16_t>(mixed ^ (mixed >> 16) ^ (mixed >> 32));
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
    // Created at once under its final name and only if new: a leftover of an earlier run, or a document another
    // instance still shows, holds its name until it is gone and is never taken over, only skipped.
    unsigned number = FirstNameNumber();
    for (int tries = 0; tries < kTempNameTries; ++tries, ++number) {
        if ((number & 0xFFFFu) == 0) {
            number = 1; // the system never uses 0 either
        }
        std::wstring candidate = TempName(folder, m_prefix, number, m_extension);
        if (candidate.empty()) {
            return false;
        }
        SetPath(std::move(candidate));
        if (Create(access, share, CREATE_NEW)) {
            return true;
        }
        const DWORD error = ::GetLastError();
        // The name is not this object's: its destructor must not delete what is there.
        SetPath({});
        if (!IsNameTaken(error)) {
            return false;
        }
    }
    return false;
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
