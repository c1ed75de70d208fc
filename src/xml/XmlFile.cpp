#include "xml/XmlFile.h"

#include <windows.h>

namespace xml {

bool GetFileStamp(const std::wstring& path, CFileStamp& stamp) {
    stamp = {};
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(find);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return false;
    }
    stamp.time =
        (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    stamp.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

uint64_t GetLastWriteTime(const std::wstring& path) {
    CFileStamp stamp;
    return GetFileStamp(path, stamp) ? stamp.time : 0;
}

CXmlFileLock::CXmlFileLock(HANDLE mutex) : m_mutex(mutex) {
    if (m_mutex) {
        const DWORD wait = ::WaitForSingleObject(m_mutex, INFINITE);
        m_held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
}

CXmlFileLock::~CXmlFileLock() {
    if (m_held) {
        ::ReleaseMutex(m_mutex);
    }
}

CXmlFile::CXmlFile() : m_mutex(::CreateMutexW(nullptr, FALSE, kXmlFileMutexName)) {}

bool CXmlFile::Reset() {
    m_stamp = {};
    return CXmlRoot::Reset();
}

void CXmlFile::SetPath(std::wstring path) {
    m_path = std::move(path);
    m_stamp = {};
}

bool CXmlFile::LoadLocked() {
    const CXmlFileLock lock = Lock();
    ClearError();
    if (!lock.IsHeld()) {
        return false;
    }
    // The stamp before the read: a change made while reading shows as a difference later, never the reverse.
    CFileStamp stamp;
    (void)GetFileStamp(m_path, stamp);
    if (!LoadFile(m_path)) {
        return false;
    }
    m_stamp = stamp;
    return true;
}

bool CXmlFile::SaveLocked() {
    const CXmlFileLock lock = Lock();
    ClearError();
    if (!lock.IsHeld() || !SaveFile(m_path)) {
        return false;
    }
    (void)GetFileStamp(m_path, m_stamp);
    return true;
}

bool CXmlFile::IsChanged() const {
    CFileStamp stamp;
    return GetFileStamp(m_path, stamp) && stamp != m_stamp;
}

} // namespace xml
