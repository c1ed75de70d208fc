#pragma once
// Writes a file so that the target only ever holds its old or its complete new content.

#include "win/Handles.h"

#include <string>
#include <string_view>

namespace xml {

// A temporary file beside the target, filled, flushed to disk and then moved over the target in one step.
// Dropped without Commit (or after a failed one) the temporary file is deleted and the target is untouched.
class CAtomicFile {
public:
    CAtomicFile() = default;
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;
    ~CAtomicFile();

    // Creates the temporary file (deny-write sharing) in the target's folder.
    [[nodiscard]] bool Open(const std::wstring& target);
    [[nodiscard]] bool Write(std::string_view bytes);
    // Flushes, closes and replaces the target. A read-only target is refused on every platform.
    [[nodiscard]] bool Commit();
    // Deletes the temporary file; the target keeps its old content.
    void Abandon() noexcept;

    [[nodiscard]] bool IsOpen() const noexcept { return m_file.IsValid(); }
    [[nodiscard]] const std::wstring& GetTempPath() const noexcept { return m_tempPath; }

    // The temporary name used for a target: the target's name with a suffix no data file name ends in.
    static std::wstring MakeTempPath(const std::wstring& target);

private:
    win::CFileHandleRaii m_file;
    std::wstring m_target;
    std::wstring m_tempPath;
};

} // namespace xml
