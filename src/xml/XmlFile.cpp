#include "xml/XmlFile.h"

#include <windows.h>

namespace xml {

uint64_t GetLastWriteTime(const std::wstring& path) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return 0;
    }
    ::FindClose(find);
    return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
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
    m_fileTime = 0;
    return CXmlRoot::Reset();
}

void CXmlFile::SetPath(std::wstring path) {
    m_path = std::move(path);
    m_fileTime = 0;
}

bool CXmlFile::LoadLocked() {
    const CXmlFileLock lock(m_mutex.Get());
    ClearError();
    if (!lock.IsHeld()) {
        return false;
    }
    if (!LoadFile(m_path)) {
        return false;
    }
    m_fileTime = GetLastWriteTime(m_path);
    return true;
}

bool CXmlFile::SaveLocked() {
    const CXmlFileLock lock(m_mutex.Get());
    ClearError();
    if (!lock.IsHeld() || !SaveFile(m_path)) {
        return false;
    }
    m_fileTime = GetLastWriteTime(m_path);
    return true;
}

bool CXmlFile::IsChanged() const {
    const uint64_t time = GetLastWriteTime(m_path);
    return time != 0 && time > m_fileTime;
}

} // namespace xml
