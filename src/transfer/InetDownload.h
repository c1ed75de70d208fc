#pragma once
// Downloads through the platform's internet client library: HTTP and HTTPS requests, FTP retrieval, and the
// job the program submits to the communication thread, which picks one of them by the address's scheme.

#include "transfer/Jobs.h"

#include "win/Handles.h"

#include <windows.h>
#include <wininet.h>

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

// A download over the internet client library: the library's root handle and the connection to the server.
class CInet : public CComm {
public:
    CInet() = default;
    CInet(HWND window, UINT message) noexcept : CComm(window, message) {}

    // Closes the connection, then the root handle; status 4 when either refuses.
    [[nodiscard]] bool Close() override;

protected:
    // Opens the library with the agent and applies the time-outs to the root handle.
    [[nodiscard]] bool OpenRoot(const wchar_t* agent);
    [[nodiscard]] bool Connect(DWORD service, DWORD flags);
    // This platform ignores time-outs set only on the root handle, so every handle gets them as well.
    [[nodiscard]] bool ApplyTimeouts(HINTERNET handle, bool all) const;
    // Reads the handle into the output file until the server ends or the job is cancelled. `ended` tells
    // whether a read of 0 bytes ended the loop; `total` counts the bytes written. `limit` bounds the total.
    [[nodiscard]] bool ReadInto(HINTERNET handle, uint64_t limit, uint64_t& total, bool& ended);
    // Checks and prepares the output file; status 3 or 11 on failure.
    [[nodiscard]] bool PrepareOutput();
    // Closes the output file so the window side can open it; status 4 on failure.
    [[nodiscard]] bool FinishOutput();

    CInternetHandle m_root;
    CInternetHandle m_connection;
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
    [[nodiscard]] bool HttpRequest(HINTERNET request);
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
