#include "xml/AtomicFile.h"

#include "xml/XmlFile.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <limits>
#include <optional>

namespace xml {

namespace {

// Replacing a read-only file succeeds under some platforms' emulation; refuse it here so a file the user
// protected stays protected everywhere.
bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

constexpr std::wstring_view kTempPrefix = L"~fvx";
constexpr std::wstring_view kTempSuffix = L".tmp";
constexpr std::wstring_view kOldTempTarget = L".xml.";

std::wstring ToHex(unsigned long value) {
    wchar_t digits[16] = {};
    std::swprintf(digits, std::size(digits), L"%lx", value);
    return digits;
}

// The 32-bit number in `digits` (all of them, in the base), or nothing.
std::optional<DWORD> ParseNumber(std::wstring_view digits, unsigned base) {
    if (digits.empty() || digits.size() > 10) {
        return std::nullopt;
    }
    unsigned long long value = 0;
    for (const wchar_t c : digits) {
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9') {
            digit = static_cast<unsigned>(c - L'0');
        } else if (base == 16 && (c | 0x20) >= L'a' && (c | 0x20) <= L'f') {
            digit = static_cast<unsigned>((c | 0x20) - L'a' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    if (value > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    return static_cast<DWORD>(value);
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view start) {
    return text.size() >= start.size() &&
           ::CompareStringOrdinal(text.data(), static_cast<int>(start.size()), start.data(),
                                  static_cast<int>(start.size()), TRUE) == CSTR_EQUAL;
}

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() &&
           ::CompareStringOrdinal(text.data() + text.size() - end.size(), static_cast<int>(end.size()), end.data(),
                                  static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

// The id of the process that wrote a temporary file of either naming, or nothing for any other name.
std::optional<DWORD> TempFileWriter(std::wstring_view name) {
    if (!EndsWithIgnoringCase(name, kTempSuffix)) {
        return std::nullopt;
    }
    name.remove_suffix(kTempSuffix.size());
    const size_t dash = name.rfind(L'-');
    if (dash == std::wstring_view::npos) {
        return std::nullopt;
    }
    if (StartsWithIgnoringCase(name, kTempPrefix)) {
        const std::wstring_view pid = name.substr(kTempPrefix.size(), dash - kTempPrefix.size());
        return ParseNumber(name.substr(dash + 1), 16) ? ParseNumber(pid, 16) : std::nullopt;
    }
    const size_t dot = name.rfind(L'.', dash);
    if (dot == std::wstring_view::npos || !ParseNumber(name.substr(dash + 1), 10) ||
        !EndsWithIgnoringCase(name.substr(0, dot + 1), kOldTempTarget) || dot + 1 == kOldTempTarget.size()) {
        return std::nullopt;
    }
    return ParseNumber(name.substr(dot + 1, dash - dot - 1), 10);
}

// Whether the process `pid` may still be writing a file created at `created`: it runs and started no later.
bool MayStillWrite(DWORD pid, const FILETIME& created) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) {
        // A process we may not look at exists all the same; only a missing one is certainly gone.
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD exitCode = 0;
    FILETIME start{};
    FILETIME exit{};
    FILETIME kernel{};
    FILETIME user{};
    const bool alive = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE &&
                       ::GetProcessTimes(process, &start, &exit, &kernel, &user) &&
                       ::CompareFileTime(&start, &created) <= 0;
    ::CloseHandle(process);
    return alive;
}

} // namespace

size_t RemoveStaleTempFiles(const std::wstring& folder) {
    if (folder.empty()) {
        return 0;
    }
    const win::CHandle mutex(::CreateMutexW(nullptr, FALSE, kXmlFileMutexName));
    // Every save of every instance runs under this mutex, so no temporary file is being written meanwhile.
    const CXmlFileLock lock(mutex.Get());
    if (!lock.IsHeld()) {
        return 0;
    }
    std::wstring prefix = folder;
    if (prefix.back() != L'\\' && prefix.back() != L'/') {
        prefix += L'\\';
    }
    size_t removed = 0;
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW((prefix + L"*.tmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    do {
        const std::optional<DWORD> writer = TempFileWriter(data.cFileName);
        if (writer && !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !MayStillWrite(*writer, data.ftCreationTime) && ::DeleteFileW((prefix + data.cFileName).c_str())) {
            ++removed;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return removed;
}

CAtomicFile::~CAtomicFile() {
    Abandon();
}

std::wstring CAtomicFile::MakeTempPath(const std::wstring& target) {
    static std::atomic<unsigned long> counter{0};
    const size_t separator = target.find_last_of(L"\\/");
    const std::wstring folder = separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
    return folder + std::wstring(kTempPrefix) + ToHex(::GetCurrentProcessId()) + L"-" + ToHex(counter++) +
           std::wstring(kTempSuffix);
}

bool CAtomicFile::Open(const std::wstring& target) {
    Abandon();
    if (target.empty()) {
        return false;
    }
    m_target = target;
    m_tempPath = MakeTempPath(target);
    m_file.Reset(::CreateFileW(m_tempPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) {
        m_tempPath.clear();
        return false;
    }
    return true;
}

bool CAtomicFile::Write(std::string_view bytes) {
    if (!m_file) {
        return false;
    }
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), std::numeric_limits<DWORD>::max() / 2));
        DWORD written = 0;
        if (!::WriteFile(m_file.Get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool CAtomicFile::Commit() {
    if (!m_file) {
        return false;
    }
    const bool flushed = ::FlushFileBuffers(m_file.Get()) != FALSE;
    const bool closed = m_file.Close();
    if (!flushed || !closed || IsReadOnlyFile(m_target) ||
        !::MoveFileExW(m_tempPath.c_str(), m_target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        Abandon();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void CAtomicFile::Abandon() noexcept {
    (void)m_file.Close();
    if (!m_tempPath.empty()) {
        (void)::DeleteFileW(m_tempPath.c_str());
        m_tempPath.clear();
    }
}

} // namespace xml
