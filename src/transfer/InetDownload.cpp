#include "transfer/InetDownload.h"

#include "transfer/BlockingCall.h"

#include <cwchar>
#include <limits>
#include <memory>
#include <new>
#include <string>

namespace transfer {

namespace {

// Options for the time-outs; the connect time-out is accepted here but ignored by this platform's library.
constexpr DWORD kRootTimeoutOptions[] = {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                         INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT,
                                         INTERNET_OPTION_DATA_RECEIVE_TIMEOUT};
constexpr DWORD kHandleTimeoutOptions[] = {INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT};

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const size_t length = std::wcslen(prefix);
    return text.size() >= length && ::_wcsnicmp(text.c_str(), prefix, length) == 0;
}

// The scheme of the first challenge of a 401 answer; 0 when there is none or it cannot be read.
uint32_t AuthSchemeOf(HINTERNET request) {
    DWORD size = 0;
    (void)::HttpQueryInfoW(request, HTTP_QUERY_WWW_AUTHENTICATE, nullptr, &size, nullptr);
    if (size == 0) {
        return CCommAuth::kSchemeUnknown;
    }
    std::wstring value;
    try {
        value.assign(size / sizeof(wchar_t) + 4, L'\0');
    } catch (const std::bad_alloc&) {
        return CCommAuth::kSchemeUnknown;
    }
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (!::HttpQueryInfoW(request, HTTP_QUERY_WWW_AUTHENTICATE, value.data(), &bytes, nullptr)) {
        return CCommAuth::kSchemeUnknown;
    }
    value.resize(std::wcslen(value.c_str()));
    uint32_t scheme = CCommAuth::kSchemeUnknown;
    if (StartsWithNoCase(value, L"basic")) {
        scheme = CCommAuth::kSchemeBasic;
    }
    if (StartsWithNoCase(value, L"digest")) {
        scheme = CCommAuth::kSchemeDigest;
    }
    return scheme;
}

// A directory entry's local time as seconds since 1970 UTC; a zero time stays unset.
bool LocalTimeToSeconds(const FILETIME& local, int64_t& seconds) {
    if (local.dwHighDateTime == 0 && local.dwLowDateTime == 0) {
        seconds = 0;
        return true;
    }
    FILETIME utc{};
    return ::LocalFileTimeToFileTime(&local, &utc) && FileTimeToUnixSeconds(utc, seconds);
}

} // namespace

bool CInet::Close() {
    bool ok = true;
    if (m_handles) {
        for (CInternetHandle* handle : {&m_handles->item, &m_handles->connection, &m_handles->root}) {
            if (!handle->Close()) {
                SetStatus(kCommStatusRelease);
                ok = false;
            }
        }
        m_handles.reset();
    }
    return ok;
}

bool CInet::CallBlocking(uint32_t timeoutStatus, std::function<bool(InetHandles&)> call) {
    if (!m_handles) {
        SetStatus(kCommStatusParameter);
        return false;
    }
    // The helper gets its own share and copies of everything it needs: it may outlive this job.
    const CallEnd end = RunAbandonable(
        [handles = m_handles, call = std::move(call)] {
            // The call returns false straight after the library call that failed, so the error is that call's.
            handles->succeeded = call(*handles);
            handles->error = handles->succeeded ? 0 : ::GetLastError();
        },
        {GetBreakEvent(), GetStopEvent()}, Settings().timeoutMs);
    switch (end) {
    case CallEnd::Returned:
        return m_handles->succeeded;
    case CallEnd::Cancelled:
        SetStatus(kCommStatusCancelled);
        break;
    case CallEnd::TimedOut:
        SetStatus(timeoutStatus);
        break;
    case CallEnd::Failed:
        SetStatus(kCommStatusFailure);
        break;
    }
    // From here on the handles are the helper's alone, whenever its call returns.
    m_handles.reset();
    return false;
}

bool CInet::ApplyTimeouts(HINTERNET handle, bool all) const {
    DWORD timeout = Settings().timeoutMs;
    if (timeout == 0) {
        return true;
    }
    const DWORD* options = all ? kRootTimeoutOptions : kHandleTimeoutOptions;
    const size_t count = all ? std::size(kRootTimeoutOptions) : std::size(kHandleTimeoutOptions);
    for (size_t i = 0; i < count; ++i) {
        if (!::InternetSetOptionW(handle, options[i], &timeout, sizeof(timeout))) {
            return false;
        }
    }
    return true;
}

bool CInet::OpenRoot(const wchar_t* agent) {
    m_handles = std::make_shared<InetHandles>();
    m_handles->root.Reset(::InternetOpenW(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!m_handles->root || !ApplyTimeouts(m_handles->root.Get(), true)) {
        SetStatus(kCommStatusConnect);
        return false;
    }
    return true;
}

bool CInet::Connect(DWORD service, DWORD flags, DWORD& error) {
    error = 0;
    const CUrlConn& connection = Connection();
    const std::wstring host = connection.Address().Host();
    const auto port = static_cast<INTERNET_PORT>(connection.Address().Port());
    const bool login = connection.login != 0;
    const std::wstring user = connection.user;
    const std::wstring password = connection.password;
    const bool connected = CallBlocking(kCommStatusConnect, [=](InetHandles& handles) {
        // With the login flag even empty credentials are sent; without it the library is given none.
        handles.connection.Reset(::InternetConnectW(handles.root.Get(), host.c_str(), port,
                                                    login ? user.c_str() : nullptr, login ? password.c_str() : nullptr,
                                                    service, flags, 0));
        return handles.connection.IsValid();
    });
    if (!connected && m_handles) {
        error = m_handles->error;
    }
    return connected;
}

bool CInet::PrepareOutput() {
    CDownloadFile* file = OutputFile();
    if (!m_handles || !m_handles->connection || !file || !file->Open()) {
        SetStatus(kCommStatusParameter);
        return false;
    }
    return true;
}

bool CInet::FinishOutput() {
    CDownloadFile* file = OutputFile();
    if (file && !file->Close()) {
        SetStatus(kCommStatusRelease);
        return false;
    }
    return true;
}

bool CInet::ReadInto(HINTERNET handle, uint64_t limit, uint64_t& total, bool& ended) {
    total = 0;
    ended = false;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kDownloadBufferSize]);
    if (!buffer) {
        SetStatus(kCommStatusFailure);
        return false;
    }
    CDownloadFile& file = *OutputFile();
    if (!file.Empty()) {
        SetStatus(kCommStatusFileWrite);
        return false;
    }
    for (;;) {
        if (IsBreakRequested()) {
            SetStatus(kCommStatusCancelled);
            return false;
        }
        buffer[0] = buffer[1] = buffer[2] = buffer[3] = 0;
        DWORD read = 0;
        if (!::InternetReadFile(handle, buffer.get(), kDownloadReadSize, &read)) {
            SetStatus(kCommStatusDownload);
            return false;
        }
        if (read == 0) {
            ended = true;
            return true;
        }
        // A server sending more than it announced cannot keep the loop running for ever.
        if (read > limit - total) {
            SetStatus(kCommStatusDownload);
            return false;
        }
        if (!file.Write(buffer.get(), read)) {
            SetStatus(kCommStatusFileWrite);
            return false;
        }
        total += read;
    }
}

bool CInetHttpDL::HttpConnect() {
    const int32_t scheme = Connection().Address().Scheme();
    if (scheme != CUrlStr::kSchemeHttp && scheme != CUrlStr::kSchemeHttps) {
        SetStatus(kCommStatusParameter);
        return false;
    }
    if (!CInet::Close() || !OpenRoot(kHttpAgent)) {
        return false;
    }
    DWORD error = 0;
    if (!CInet::Connect(INTERNET_SERVICE_HTTP, 0, error) || !ApplyTimeouts(m_handles->connection.Get(), false)) {
        SetStatus(kCommStatusConnect);
        return false;
    }
    return true;
}

bool CInetHttpDL::HttpTransfer() {
    if (!PrepareOutput()) {
        return false;
    }
    const CUrlConn& connection = Connection();
    const CUrlStr& address = connection.Address();
    DWORD flags = 0;
    if (!connection.cache) {
        flags |= INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    }
    if (address.Scheme() == CUrlStr::kSchemeHttps) {
        flags |= INTERNET_FLAG_SECURE;
    }
    const std::wstring object = address.UrlPath() + address.ExtraInfo();
    CInternetHandle& request = m_handles->item;
    request.Reset(
        ::HttpOpenRequestW(m_handles->connection.Get(), L"GET", object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    bool ok = false;
    if (!request) {
        SetStatus(kCommStatusRequest);
    } else if (!ApplyTimeouts(request.Get(), false)) {
        SetStatus(kCommStatusConnect);
    } else {
        ok = HttpRequest();
    }
    // An abandoned request is closed by the helper that still uses it.
    if (m_handles && !m_handles->item.Close()) {
        SetStatus(kCommStatusRelease);
        ok = false;
    }
    return FinishOutput() && ok;
}

bool CInetHttpDL::HttpRequest() {
    // The connect happens inside this call, so the call as a whole (connect, request, answer's head) is what the
    // time-out bounds.
    if (!CallBlocking(kCommStatusRequest, [](InetHandles& handles) {
            return ::HttpSendRequestW(handles.item.Get(), nullptr, 0, nullptr, 0) != FALSE;
        })) {
        SetStatus(kCommStatusRequest);
        return false;
    }
    const HINTERNET request = m_handles->item.Get();
    DWORD code = 0;
    DWORD size = sizeof(code);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr)) {
        SetStatus(kCommStatusResponse);
        return false;
    }
    if (code == HTTP_STATUS_DENIED) {
        CCommAuth auth;
        auth.scheme = AuthSchemeOf(request);
        DWORD security = 0;
        DWORD securitySize = sizeof(security);
        if (::InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &security, &securitySize) &&
            (security & SECURITY_FLAG_SECURE) != 0) {
            auth.secure = 1;
        }
        SetAuthRequest(auth);
        SetStatus(kCommStatusAuth);
    } else if (code != HTTP_STATUS_OK) {
        SetDetail(L"HTTP Status Code: " + std::to_wstring(code));
    }
    if (code != HTTP_STATUS_OK) {
        SetStatus(kCommStatusResponse);
        return false;
    }
    DWORD length = 0;
    size = sizeof(length);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size, nullptr)) {
        SetStatus(kCommStatusResponse);
        return false;
    }
    uint64_t total = 0;
    bool ended = false;
    if (!ReadInto(request, length, total, ended)) {
        return false;
    }
    if (total != length) {
        SetStatus(kCommStatusDownload);
        return false;
    }
    if (!OutputFile()->Flush()) {
        SetStatus(kCommStatusFileWrite);
        return false;
    }
    SYSTEMTIME modified{};
    size = sizeof(modified);
    if (!::HttpQueryInfoW(request, HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME, &modified, &size, nullptr)) {
        SetStatus(kCommStatusFileInfo);
        return false;
    }
    FileInformation information;
    if (modified.wYear >= 1900) {
        FILETIME utc{};
        if (!::SystemTimeToFileTime(&modified, &utc) || !FileTimeToUnixSeconds(utc, information.lastWriteTime)) {
            SetStatus(kCommStatusFileInfo);
            return false;
        }
    }
    information.size = length;
    SetFileInformation(information);
    if (!Connection().cache) {
        (void)::DeleteUrlCacheEntryW(Connection().Address().Url().c_str());
    }
    return true;
}

bool CInetFtpDL::FtpConnect() {
    if (Connection().Address().Scheme() != CUrlStr::kSchemeFtp) {
        SetStatus(kCommStatusParameter);
        return false;
    }
    if (!CInet::Close() || !OpenRoot(kFtpAgent)) {
        return false;
    }
    DWORD error = 0;
    if (!CInet::Connect(INTERNET_SERVICE_FTP, Connection().pasv ? INTERNET_FLAG_PASSIVE : 0, error)) {
        if (error >= ERROR_INTERNET_INCORRECT_USER_NAME && error <= ERROR_INTERNET_LOGIN_FAILURE) {
            CCommAuth auth;
            auth.scheme = CCommAuth::kSchemeFtp;
            SetAuthRequest(auth);
            SetStatus(kCommStatusAuth);
        } else {
            SetStatus(kCommStatusConnect);
        }
        return false;
    }
    if (!ApplyTimeouts(m_handles->connection.Get(), false)) {
        SetStatus(kCommStatusConnect);
        return false;
    }
    return true;
}

bool CInetFtpDL::FtpTransfer() {
    if (!PrepareOutput()) {
        return false;
    }
    DWORD flags = FTP_TRANSFER_TYPE_BINARY;
    if (!Connection().cache) {
        flags |= INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    }
    bool ok = FtpRetrieve(flags) && FtpReadEntry(flags);
    if (ok && !Connection().cache) {
        (void)::DeleteUrlCacheEntryW(Connection().Address().Url().c_str());
    }
    return FinishOutput() && ok;
}

bool CInetFtpDL::FtpRetrieve(DWORD flags) {
    // Opening the file opens a data connection, which can hang like the first one.
    const std::wstring path = Connection().Address().UrlPath();
    const bool opened = CallBlocking(kCommStatusDownload, [path, flags](InetHandles& handles) {
        handles.item.Reset(::FtpOpenFileW(handles.connection.Get(), path.c_str(), GENERIC_READ, flags, 0));
        return handles.item.IsValid();
    });
    bool ok = false;
    if (!opened) {
        SetStatus(kCommStatusDownload);
    } else if (!ApplyTimeouts(m_handles->item.Get(), false)) {
        SetStatus(kCommStatusConnect);
    } else {
        uint64_t total = 0;
        bool ended = false;
        ok = ReadInto(m_handles->item.Get(), std::numeric_limits<uint64_t>::max(), total, ended);
        if (ok && !OutputFile()->Flush()) {
            SetStatus(kCommStatusFileWrite);
            ok = false;
        }
    }
    // The connection serves one operation at a time: the directory listing can start only once this is closed.
    if (m_handles && !m_handles->item.Close()) {
        SetStatus(kCommStatusRelease);
        ok = false;
    }
    return ok;
}

bool CInetFtpDL::FtpReadEntry(DWORD flags) {
    const std::wstring path = Connection().Address().UrlPath();
    const bool found = CallBlocking(kCommStatusFileInfo, [path, flags](InetHandles& handles) {
        handles.entry = WIN32_FIND_DATAW{};
        handles.item.Reset(::FtpFindFirstFileW(handles.connection.Get(), path.c_str(), &handles.entry, flags, 0));
        return handles.item.IsValid();
    });
    bool ok = false;
    if (!found) {
        SetStatus(kCommStatusFileInfo);
    } else {
        const WIN32_FIND_DATAW& entry = m_handles->entry;
        FileInformation information;
        if (!LocalTimeToSeconds(entry.ftCreationTime, information.creationTime) ||
            !LocalTimeToSeconds(entry.ftLastAccessTime, information.lastAccessTime) ||
            !LocalTimeToSeconds(entry.ftLastWriteTime, information.lastWriteTime)) {
            SetStatus(kCommStatusFileInfo);
        } else {
            information.attributes = entry.dwFileAttributes;
            information.size = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            SetFileInformation(information);
            ok = true;
        }
    }
    if (m_handles && !m_handles->item.Close()) {
        SetStatus(kCommStatusRelease);
        ok = false;
    }
    return ok;
}

bool CCommDL::Connect() {
    switch (Connection().Address().Scheme()) {
    case CUrlStr::kSchemeHttp:
    case CUrlStr::kSchemeHttps:
        return HttpConnect();
    case CUrlStr::kSchemeFtp:
        return FtpConnect();
    default:
        SetStatus(kCommStatusParameter);
        return false;
    }
}

bool CCommDL::Transfer() {
    switch (Connection().Address().Scheme()) {
    case CUrlStr::kSchemeHttp:
    case CUrlStr::kSchemeHttps:
        return HttpTransfer();
    case CUrlStr::kSchemeFtp:
        return FtpTransfer();
    default:
        SetStatus(kCommStatusParameter);
        return false;
    }
}

} // namespace transfer
