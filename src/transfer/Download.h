#pragma once
// The records a download job carries between the window thread and the communication thread: the connection,
// the settings, the authentication request, the file information, the output file, and the status codes with
// the messages the window side shows for them.

#include "transfer/UrlStr.h"

#include "win/Handles.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace transfer {

class CComm;

// Status codes of a download job; the numbers are those the window side and the messages rely on.
constexpr uint32_t kCommStatusSuccess = 0;
constexpr uint32_t kCommStatusCancelled = 1;
constexpr uint32_t kCommStatusFailure = 2;
constexpr uint32_t kCommStatusParameter = 3;
constexpr uint32_t kCommStatusRelease = 4;
constexpr uint32_t kCommStatusConnect = 5;
constexpr uint32_t kCommStatusAuth = 6;
constexpr uint32_t kCommStatusRequest = 7;
constexpr uint32_t kCommStatusResponse = 8;
constexpr uint32_t kCommStatusUpload = 9;
constexpr uint32_t kCommStatusDownload = 10;
constexpr uint32_t kCommStatusFileWrite = 11;
constexpr uint32_t kCommStatusFileRead = 12;
constexpr uint32_t kCommStatusFileInfo = 13;

// Address and options of one download: who to ask, with which credentials, through the cache or not.
class CUrlConn {
public:
    CUrlConn() = default;
    CUrlConn(const CUrlConn&) = default;
    CUrlConn& operator=(const CUrlConn&) = default;
    virtual ~CUrlConn() = default;

    void Reset();

    // Cracks the text; false leaves the address reset.
    [[nodiscard]] bool SetAddress(std::wstring_view url);
    [[nodiscard]] const CUrlStr& Address() const noexcept { return m_address; }

    uint32_t login = 0;
    std::wstring user;
    std::wstring password;
    uint32_t cache = 0;
    uint32_t pasv = 0;

private:
    CUrlStr m_address;
};

// Transfer settings taken from the settings store.
class CCommSet {
public:
    virtual ~CCommSet() = default;

    // From the stored time-out in seconds; 0 keeps "no time-out".
    void SetTimeoutSeconds(uint32_t seconds) noexcept { timeoutMs = seconds * 1000U; }

    uint32_t timeoutMs = 0;
};

// What a refused login asks the window side for: which kind of credentials, and whether the channel was secure.
class CCommAuth {
public:
    static constexpr uint32_t kSchemeUnknown = 0;
    static constexpr uint32_t kSchemeBasic = 1;
    static constexpr uint32_t kSchemeDigest = 2;
    static constexpr uint32_t kSchemeFtp = 3;

    virtual ~CCommAuth() = default;

    uint32_t scheme = kSchemeUnknown;
    uint32_t secure = 0;
};

// The server's times and size of what was fetched; times are seconds since 1970 UTC, 0 when unknown.
struct FileInformation {
    uint32_t attributes = 0;
    int64_t creationTime = 0;
    int64_t lastWriteTime = 0;
    int64_t lastAccessTime = 0;
    uint64_t size = 0;
};

// Seconds since 1970 UTC (negative before) from a UTC file time; false when the time is out of range.
[[nodiscard]] bool FileTimeToUnixSeconds(const FILETIME& utc, int64_t& seconds) noexcept;

// The file a download writes into, named by its path. When it owns the file, destroying the object deletes it,
// so a failed, cancelled or abandoned download leaves nothing behind.
class CDownloadFile {
public:
    CDownloadFile(std::wstring path, bool deleteWithObject);
    CDownloadFile(const CDownloadFile&) = delete;
    CDownloadFile& operator=(const CDownloadFile&) = delete;
    ~CDownloadFile();

    [[nodiscard]] const std::wstring& Path() const noexcept { return m_path; }
    [[nodiscard]] bool OwnsFile() const noexcept { return m_deleteWithObject; }
    // The caller takes over the file on disk: it is no longer deleted with this object.
    void Keep() noexcept { m_deleteWithObject = false; }

    // Opens the file for writing, creating it when missing; readers may look at it while it grows.
    [[nodiscard]] bool Open();
    [[nodiscard]] bool IsOpen() const noexcept { return m_handle.IsValid(); }
    // Size 0 from the start.
    [[nodiscard]] bool Empty();
    [[nodiscard]] bool Write(const void* data, DWORD size);
    [[nodiscard]] bool Flush();
    [[nodiscard]] bool Close() noexcept { return m_handle.Close(); }

private:
    std::wstring m_path;
    bool m_deleteWithObject;
    win::CFileHandleRaii m_handle;
};

// The message for a job's status and detail; empty for success and for a cancel.
std::wstring CommErrorText(const CComm& job);
// The same from the parts, for callers that keep no job.
std::wstring CommErrorText(uint32_t status, std::wstring_view detail);

} // namespace transfer
