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

    // The temporary name used for a target: a short name ("~fvx<process id>-<number>.tmp", both in hex) in the
    // target's folder, so a target near the path length limit still has room for it.
    static std::wstring MakeTempPath(const std::wstring& target);

private:
    win::CFileHandleRaii m_file;
    std::wstring m_target;
    std::wstring m_tempPath;
};

// Deletes, under the shared file mutex, the temporary files that saves of processes no longer running left in
// `folder` (killed half-way): "~fvx<pid hex>-<n>.tmp", and "<name>.xml.<pid>-<n>.tmp" of earlier versions. A
// writer counts as running only when its process exists and started before the file was created, so a reused
// process id does not keep a file alive. Returns how many files were deleted.
size_t RemoveStaleTempFiles(const std::wstring& folder);

} // namespace xml
