#pragma once
// A document bound to a file of the data folder, read and written under the mutex all instances share.

#include "xml/XmlElement.h"

#include "win/Handles.h"

#include <cstdint>
#include <string>

namespace xml {

// The name of the system-wide mutex that serialises every data-file access of every instance.
inline constexpr wchar_t kXmlFileMutexName[] = L"folivex XML file access mutex";

// The last-write time of a file (from a directory search), or 0 when there is none.
uint64_t GetLastWriteTime(const std::wstring& path);

// Holds the shared file mutex for one scope. An abandoned mutex (its owner died) counts as acquired: the
// owner's write went to a temporary file, so the data file itself is whole.
class CXmlFileLock {
public:
    explicit CXmlFileLock(HANDLE mutex);
    CXmlFileLock(const CXmlFileLock&) = delete;
    CXmlFileLock& operator=(const CXmlFileLock&) = delete;
    ~CXmlFileLock();

    [[nodiscard]] bool IsHeld() const noexcept { return m_held; }

private:
    HANDLE m_mutex;
    bool m_held = false;
};

// A document in a file that several instances share; remembers the file time it last read or wrote so its
// own writes do not look like changes.
class CXmlFile : public CXmlRoot {
public:
    CXmlFile();
    CXmlFile(const CXmlFile&) = delete;
    CXmlFile& operator=(const CXmlFile&) = delete;

    // Also forgets the remembered file time.
    [[nodiscard]] bool Reset() override;

    // Full path of the file; forgets the remembered time.
    void SetPath(std::wstring path);
    [[nodiscard]] const std::wstring& GetPath() const noexcept { return m_path; }

    // LoadFile under the mutex; on success remembers the file's time.
    [[nodiscard]] bool LoadLocked();
    // SaveFile under the mutex; on success remembers the new file time.
    [[nodiscard]] bool SaveLocked();
    // True when the file exists and is newer than what this object last read or wrote.
    [[nodiscard]] bool IsChanged() const;
    [[nodiscard]] uint64_t GetRememberedTime() const noexcept { return m_fileTime; }

private:
    std::wstring m_path;
    win::CHandle m_mutex;
    uint64_t m_fileTime = 0;
};

} // namespace xml
