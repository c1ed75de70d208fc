#include "xml/AtomicFile.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <limits>

namespace xml {

namespace {

// Replacing a read-only file succeeds under some platforms' emulation; refuse it here so a file the user
// protected stays protected everywhere.
bool IsReadOnlyFile(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

} // namespace

CAtomicFile::~CAtomicFile() {
    Abandon();
}

std::wstring CAtomicFile::MakeTempPath(const std::wstring& target) {
    static std::atomic<unsigned> counter{0};
    return target + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(counter++) + L".tmp";
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
