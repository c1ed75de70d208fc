#include "transfer/Download.h"

#include "transfer/Jobs.h"

#include "win/Strings.h"

#include "resource.h"

namespace transfer {

void CUrlConn::Reset() {
    m_address.Reset();
    login = 0;
    user.clear();
    password.clear();
    cache = 0;
    pasv = 0;
}

bool CUrlConn::SetAddress(std::wstring_view url) {
    return m_address.Crack(url);
}

bool FileTimeToUnixSeconds(const FILETIME& utc, int64_t& seconds) noexcept {
    // File times count 100 ns units from 1601; 1970 lies this many units later.
    constexpr int64_t kUnixEpoch = 116444736000000000LL;
    constexpr int64_t kUnitsPerSecond = 10000000LL;
    const uint64_t units = (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
    if (units > static_cast<uint64_t>(INT64_MAX)) {
        return false;
    }
    seconds = (static_cast<int64_t>(units) - kUnixEpoch) / kUnitsPerSecond;
    return true;
}

CDownloadFile::CDownloadFile(std::wstring path, bool deleteWithObject)
    : m_path(std::move(path)), m_deleteWithObject(deleteWithObject) {}

CDownloadFile::~CDownloadFile() {
    (void)m_handle.Close();
    if (m_deleteWithObject && !m_path.empty()) {
        (void)::DeleteFileW(m_path.c_str());
    }
}

bool CDownloadFile::Open() {
    if (m_handle.IsValid()) {
        return true;
    }
    if (m_path.empty()) {
        return false;
    }
    m_handle.Reset(::CreateFileW(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_handle.IsValid();
}

bool CDownloadFile::Empty() {
    return m_handle.IsValid() && ::SetFilePointer(m_handle.Get(), 0, nullptr, FILE_BEGIN) == 0 &&
           ::SetEndOfFile(m_handle.Get()) != FALSE;
}

bool CDownloadFile::Write(const void* data, DWORD size) {
    DWORD written = 0;
    return m_handle.IsValid() && ::WriteFile(m_handle.Get(), data, size, &written, nullptr) != FALSE && written == size;
}

bool CDownloadFile::Flush() {
    return m_handle.IsValid() && ::FlushFileBuffers(m_handle.Get()) != FALSE;
}

std::wstring CommErrorText(uint32_t status, std::wstring_view detail) {
    UINT id = IDS_ERR_COMM;
    switch (status) {
    case kCommStatusSuccess:
    case kCommStatusCancelled:
        return {};
    case kCommStatusParameter:
        id = IDS_ERR_COMM_PARAM;
        break;
    case kCommStatusRelease:
        id = IDS_ERR_COMM_RELEASE;
        break;
    case kCommStatusConnect:
        id = IDS_ERR_COMM_CONNECT;
        break;
    case kCommStatusAuth:
        id = IDS_ERR_COMM_AUTH;
        break;
    case kCommStatusRequest:
        id = IDS_ERR_COMM_REQUEST;
        break;
    case kCommStatusResponse:
        id = IDS_ERR_COMM_RESPONSE;
        break;
    case kCommStatusUpload:
        id = IDS_ERR_COMM_UPLOAD;
        break;
    case kCommStatusDownload:
        id = IDS_ERR_COMM_DOWNLOAD;
        break;
    case kCommStatusFileWrite:
        id = IDS_ERR_COMM_FILE_WRITE;
        break;
    case kCommStatusFileRead:
        id = IDS_ERR_COMM_FILE_READ;
        break;
    case kCommStatusFileInfo:
        id = IDS_ERR_COMM_FILE_INFO;
        break;
    default:
        break;
    }
    return win::TextWithDetail(id, detail);
}

std::wstring CommErrorText(const CComm& job) {
    return CommErrorText(job.GetStatus(), job.GetDetail());
}

} // namespace transfer
