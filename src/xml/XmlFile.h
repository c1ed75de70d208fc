#pragma once
// A document bound to a file of the data folder, read and written under the mutex all instances share.

#include "xml/XmlElement.h"

#include "win/Handles.h"

#include <cstdint>
#include <string>

namespace xml {

// The name of the system-wide mutex that serialises every data-file access of every instance.
inline constexpr wchar_t kXmlFileMutexName[] = L"folivex XML file access mutex";

// What the directory entry of a file says about its content: last-write time and size. A file whose stamp
// differs in either from a remembered one has changed; a coarse file-system clock makes the time alone weak.
struct CFileStamp {
    uint64_t time = 0;
    uint64_t size = 0;

    bool operator==(const CFileStamp&) const = default;
};

// The stamp of a file from a directory search; false (and an empty stamp) when there is no such file.
[[nodiscard]] bool GetFileStamp(const std::wstring& path, CFileStamp& stamp);
// The last-write time of a file (from a directory search), or 0 when there is none.
uint64_t GetLastWriteTime(const std::wstring& path);

// Holds the shared file mutex for one scope; the same thread may hold it again inside. An abandoned mutex
// (its owner died) counts as acquired: the owner's write went to a temporary file, so the data file itself is
// whole.
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

// A document in a file that several instances share; remembers the stamp of the file it last read or wrote so
// its own writes do not look like changes.
class CXmlFile : public CXmlRoot {
public:
    CXmlFile();
    CXmlFile(const CXmlFile&) = delete;
    CXmlFile& operator=(const CXmlFile&) = delete;

    // Also forgets the remembered stamp.
    [[nodiscard]] bool Reset() override;

    // Full path of the file; forgets the remembered stamp.
    void SetPath(std::wstring path);
    [[nodiscard]] const std::wstring& GetPath() const noexcept { return m_path; }

    // LoadFile under the mutex; on success remembers the file's stamp.
    [[nodiscard]] bool LoadLocked();
    // SaveFile under the mutex; on success remembers the new file's stamp.
    [[nodiscard]] bool SaveLocked();
    // True when the file exists and its stamp differs from what this object last read or wrote: newer, older
    // (a restored copy) or of another size.
    [[nodiscard]] bool IsChanged() const;
    [[nodiscard]] uint64_t GetRememberedTime() const noexcept { return m_stamp.time; }

protected:
    // The shared file mutex held for the caller's scope.
    [[nodiscard]] CXmlFileLock Lock() const { return CXmlFileLock(m_mutex.Get()); }
    [[nodiscard]] const CFileStamp& GetRememberedStamp() const noexcept { return m_stamp; }
    void RememberStamp(const CFileStamp& stamp) noexcept { m_stamp = stamp; }

private:
    std::wstring m_path;
    win::CHandle m_mutex;
    CFileStamp m_stamp;
};

} // namespace xml
