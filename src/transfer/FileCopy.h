#pragma once
// The copy job of the file thread: copies a document and stamps the copy with the times it was given.

#include "transfer/Jobs.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace transfer {

// Seconds since 1970-01-01 UTC as a UTC file time; false for values no file time can hold.
[[nodiscard]] bool SecondsToFileTime(int64_t seconds, FILETIME& fileTime) noexcept;

// Copies one file on the file thread ("Save"); each time above 0 replaces the one the system copy produced.
class CFileCopy : public CFileOpe {
public:
    CFileCopy(HWND window, UINT message, std::wstring source, std::wstring destination, bool overwrite)
        : CFileOpe(window, message), m_source(std::move(source)), m_destination(std::move(destination)),
          m_overwrite(overwrite) {}

    // Seconds since 1970-01-01 UTC; 0 or less keeps what the system copy gave that time.
    void SetTimes(int64_t creation, int64_t lastWrite, int64_t lastAccess) noexcept {
        m_creationTime = creation;
        m_lastWriteTime = lastWrite;
        m_lastAccessTime = lastAccess;
    }
    void SetOpenInNewWindow(bool open) noexcept { m_openInNewWindow = open; }

    [[nodiscard]] const std::wstring& GetSource() const noexcept { return m_source; }
    [[nodiscard]] const std::wstring& GetDestination() const noexcept { return m_destination; }
    [[nodiscard]] bool GetOverwrite() const noexcept { return m_overwrite; }
    [[nodiscard]] int64_t GetCreationTime() const noexcept { return m_creationTime; }
    [[nodiscard]] int64_t GetLastWriteTime() const noexcept { return m_lastWriteTime; }
    [[nodiscard]] int64_t GetLastAccessTime() const noexcept { return m_lastAccessTime; }
    [[nodiscard]] bool GetOpenInNewWindow() const noexcept { return m_openInNewWindow; }

    // The break event is deliberately not polled: it is shared by every instance, and a save must not be
    // abandoned because another window cancelled its own work.
    [[nodiscard]] bool Run() override;

private:
    std::wstring m_source;
    std::wstring m_destination;
    bool m_overwrite = false;
    int64_t m_creationTime = 0;
    int64_t m_lastWriteTime = 0;
    int64_t m_lastAccessTime = 0;
    bool m_openInNewWindow = false;
};

} // namespace transfer
