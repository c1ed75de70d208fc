#pragma once
// The jobs the window thread hands to the file and communication threads, and their common contract.

#include <windows.h>

#include "transfer/Download.h"

#include <cstdint>
#include <memory>
#include <string>

namespace transfer {

// Status values the workers themselves set; the job kinds define the others.
constexpr uint32_t kJobStatusSuccess = 0;
constexpr uint32_t kJobStatusFailure = 2;

// What every job carries: where its completion goes, the break event lent by the worker, and the first error.
class CJob {
public:
    CJob() = default;
    CJob(HWND window, UINT message) noexcept : m_window(window), m_message(message) {}
    CJob(const CJob&) = delete;
    CJob& operator=(const CJob&) = delete;
    virtual ~CJob() = default;

    [[nodiscard]] HWND GetWindow() const noexcept { return m_window; }
    [[nodiscard]] UINT GetMessageId() const noexcept { return m_message; }
    void SetTarget(HWND window, UINT message) noexcept {
        m_window = window;
        m_message = message;
    }

    // The worker's break event; the job does not own it.
    [[nodiscard]] HANDLE GetBreakEvent() const noexcept { return m_breakEvent; }
    void SetBreakEvent(HANDLE breakEvent) noexcept { m_breakEvent = breakEvent; }
    // The worker's own stop event, set while it is told to quit: the job then ends as if cancelled, without the
    // break event that every instance shares. None for a worker that never cuts its jobs short.
    [[nodiscard]] HANDLE GetStopEvent() const noexcept { return m_stopEvent; }
    void SetStopEvent(HANDLE stopEvent) noexcept { m_stopEvent = stopEvent; }
    // Polled between steps of a long job: a cancel from this or any other instance, or the worker's stop.
    [[nodiscard]] bool IsBreakRequested() const noexcept;

    [[nodiscard]] uint32_t GetStatus() const noexcept { return m_status; }
    // The first error wins: unless forced, a status already non-zero is kept.
    void SetStatus(uint32_t status, bool force = false) noexcept;

private:
    HWND m_window = nullptr;
    UINT m_message = 0;
    HANDLE m_breakEvent = nullptr;
    HANDLE m_stopEvent = nullptr;
    uint32_t m_status = kJobStatusSuccess;
};

// A job of the file thread (copies and saves).
class CFileOpe : public CJob {
public:
    using CJob::CJob;

    // False on failure; the worker then sets the general failure status unless the job set its own.
    [[nodiscard]] virtual bool Run() = 0;
};

// A job of the communication thread (downloads): connect, transfer, and always close.
class CComm : public CJob {
public:
    using CJob::CJob;

    [[nodiscard]] const std::wstring& GetDetail() const noexcept { return m_detail; }
    // Like the status, the first detail text wins unless forced.
    void SetDetail(const std::wstring& detail, bool force = false);

    // Clears what an earlier run of the same job left, so a resubmitted job reports only its new run.
    virtual void ResetResults();

    [[nodiscard]] virtual bool Connect() = 0;
    [[nodiscard]] virtual bool Transfer() = 0;
    [[nodiscard]] virtual bool Close() = 0;

    // How often the user was asked for credentials for this job.
    [[nodiscard]] uint32_t GetLoginRetryCount() const noexcept { return m_loginRetryCount; }
    void SetLoginRetryCount(uint32_t count) noexcept { m_loginRetryCount = count; }

    [[nodiscard]] CCommSet& Settings() noexcept { return m_settings; }
    [[nodiscard]] const CCommSet& Settings() const noexcept { return m_settings; }
    [[nodiscard]] CUrlConn& Connection() noexcept { return m_connection; }
    [[nodiscard]] const CUrlConn& Connection() const noexcept { return m_connection; }

    // The job owns its output file until the window side takes it; it stays with the job across retries.
    void SetOutputFile(std::unique_ptr<CDownloadFile> file) noexcept { m_outputFile = std::move(file); }
    [[nodiscard]] std::unique_ptr<CDownloadFile> TakeOutputFile() noexcept { return std::move(m_outputFile); }
    [[nodiscard]] CDownloadFile* OutputFile() const noexcept { return m_outputFile.get(); }

    [[nodiscard]] const FileInformation& GetFileInformation() const noexcept { return m_fileInformation; }
    void SetFileInformation(const FileInformation& information) noexcept { m_fileInformation = information; }
    [[nodiscard]] const CCommAuth& GetAuthRequest() const noexcept { return m_authRequest; }
    void SetAuthRequest(const CCommAuth& request) noexcept { m_authRequest = request; }

private:
    std::wstring m_detail;
    uint32_t m_loginRetryCount = 0;
    CCommSet m_settings;
    CUrlConn m_connection;
    std::unique_ptr<CDownloadFile> m_outputFile;
    FileInformation m_fileInformation;
    CCommAuth m_authRequest;
};

} // namespace transfer
