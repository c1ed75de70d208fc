#pragma once
// Downloads through the platform's internet client library: HTTP and HTTPS requests, FTP retrieval, and the
// job the program submits to the communication thread, which picks one of them by the address's scheme.

#include "transfer/Jobs.h"

#include "win/Handles.h"

#include <windows.h>
#include <wininet.h>

#include <functional>
#include <memory>

namespace transfer {

// User agents the servers see.
inline constexpr wchar_t kHttpAgent[] = L"folivex inet http downloader";
inline constexpr wchar_t kFtpAgent[] = L"folivex inet ftp downloader";

// Reads are this size at most; the buffer has four bytes more, cleared before each read.
constexpr DWORD kDownloadReadSize = 1024;
constexpr DWORD kDownloadBufferSize = kDownloadReadSize + 4;

struct InternetHandleTraits {
    using handle_type = HINTERNET;
    static HINTERNET Invalid() noexcept { return nullptr; }
    static bool Close(HINTERNET h) noexcept { return ::InternetCloseHandle(h) != FALSE; }
};
using CInternetHandle = win::CUniqueHandle<InternetHandleTraits>;

// The library's handles of one download. The job shares them with the helper thread of a call that may block;
// whoever lets go last closes them, so a call abandoned while it hangs still finds them valid when it returns,
// and its helper releases them without touching anything else.
struct InetHandles {
    CInternetHandle root;
    CInternetHandle connection;
    // The open HTTP request, FTP file or FTP directory search.
    CInternetHandle item;
    // Left by the last blocking call: whether it succeeded, the library's error when not, the entry it found.
    bool succeeded = false;
    DWORD error = 0;
    WIN32_FIND_DATAW entry{};
};

// A download over the internet client library: the library's root handle and the connection to the server.
class CInet : public CComm {
public:
    CInet() = default;
    CInet(HWND window, UINT message) noexcept : CComm(window, message) {}

    // Closes any open item, the connection, then the root handle; status 4 when one refuses.
    [[nodiscard]] bool Close() override;

protected:
    // Opens the library with the agent and applies the time-outs to the root handle.
    [[nodiscard]] bool OpenRoot(const wchar_t* agent);
    // `error` is the library's error when the connect itself failed, 0 otherwise.
    [[nodiscard]] bool Connect(DWORD service, DWORD flags, DWORD& error);
    // Makes a call that can hang (connecting, sending the request, opening a remote file) on a helper thread,
    // bounded by the break and stop events and the time-out: this platform neither times out nor interrupts a
    // connect. An abandoned call leaves the job at once with the cancelled status, or `timeoutStatus`, and
    // without handles (the helper closes them when the call returns). True when the call returned true.
    [[nodiscard]] bool CallBlocking(uint32_t timeoutStatus, std::function<bool(InetHandles&)> call);
    // This platform ignores time-outs set only on the root handle, so every handle gets them as well.
    [[nodiscard]] bool ApplyTimeouts(HINTERNET handle, bool all) const;
    // Reads the handle into the output file until the server ends or the job is cancelled. `ended` tells
    // whether a read of 0 bytes ended the loop; `total` counts the bytes written. `limit` bounds the total.
    [[nodiscard]] bool ReadInto(HINTERNET handle, uint64_t limit, uint64_t& total, bool& ended);
    // Checks and prepares the output file; status 3 or 11 on failure.
    [[nodiscard]] bool PrepareOutput();
    // Closes the output file so the window side can open it; status 4 on failure.
    [[nodiscard]] bool FinishOutput();

    // None while closed, and none once a blocking call was abandoned.
    std::shared_ptr<InetHandles> m_handles;
};

// HTTP and HTTPS: a GET of the address's path that must answer 200 with a length and a modification time.
class CInetHttpDL : public virtual CInet {
public:
    [[nodiscard]] bool Connect() override { return HttpConnect(); }
    [[nodiscard]] bool Transfer() override { return HttpTransfer(); }

protected:
    [[nodiscard]] bool HttpConnect();
    [[nodiscard]] bool HttpTransfer();

private:
    [[nodiscard]] bool HttpRequest();
};

// FTP: retrieval of the address's path in binary mode, then its directory entry for the times and size.
class CInetFtpDL : public virtual CInet {
public:
    [[nodiscard]] bool Connect() override { return FtpConnect(); }
    [[nodiscard]] bool Transfer() override { return FtpTransfer(); }

protected:
    [[nodiscard]] bool FtpConnect();
    [[nodiscard]] bool FtpTransfer();

private:
    [[nodiscard]] bool FtpRetrieve(DWORD flags);
    [[nodiscard]] bool FtpReadEntry(DWORD flags);
};

// The download job the program creates: HTTP and HTTPS or FTP, chosen by the address's scheme.
class CCommDL : public CInetHttpDL, public CInetFtpDL {
public:
    CCommDL() = default;
    CCommDL(HWND window, UINT message) noexcept : CInet(window, message) {}

    [[nodiscard]] bool Connect() override;
    [[nodiscard]] bool Transfer() override;
};

} // namespace transfer
