#pragma once
// The file objects that hold a shown document: a local document where it lies, or a downloaded copy kept in a
// temporary file that goes away with its object.

#include "win/Handles.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace transfer {

// One of the three times of a file, used only when marked valid.
struct FileTimeEntry {
    bool valid = false;
    FILETIME time{};
};

// The times GetTimes reads and SetTimes writes, in the order creation, last write, last access (UTC).
struct FileTimes {
    FileTimeEntry creation;
    FileTimeEntry lastWrite;
    FileTimeEntry lastAccess;
};

// Name of the property that carries the topic to show after a document opens.
inline constexpr wchar_t kTopicProperty[] = L"topic";

// One file handle with the file's path and the document's named text properties.
class CFileHandle {
public:
    CFileHandle() = default;
    explicit CFileHandle(std::wstring path) : m_path(std::move(path)) {}
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    virtual ~CFileHandle();

    // Only a temporary document file knows how to open itself.
    [[nodiscard]] virtual bool Open();
    [[nodiscard]] virtual bool Create(DWORD access, DWORD share, DWORD disposition);
    // Closes the handle and deletes the file; once the file is gone the object names no file.
    [[nodiscard]] virtual bool Delete();
    [[nodiscard]] virtual bool CopyTo(const std::wstring& destination, bool overwrite);
    [[nodiscard]] virtual bool OpenExisting(DWORD access, DWORD share);
    [[nodiscard]] virtual bool Close();
    // Read and Write succeed only when the whole count was transferred.
    [[nodiscard]] virtual bool Read(void* buffer, DWORD count);
    [[nodiscard]] virtual bool Write(const void* buffer, DWORD count);
    [[nodiscard]] virtual bool Flush();
    // The distance is the 64-bit value high:low, so a negative one has high -1.
    [[nodiscard]] virtual bool Seek(DWORD low, LONG high, DWORD origin);
    [[nodiscard]] virtual bool GetSize(uint64_t& size);
    [[nodiscard]] virtual bool SetSize(DWORD low, LONG high);
    [[nodiscard]] virtual bool GetTimes(FileTimes& times);
    [[nodiscard]] virtual bool SetTimes(const FileTimes& times);

    [[nodiscard]] const std::wstring& GetPath() const noexcept { return m_path; }
    [[nodiscard]] bool IsOpen() const noexcept { return m_handle.IsValid(); }

    // Empty text when the property is absent.
    [[nodiscard]] std::wstring GetProperty(std::wstring_view name) const;
    void SetProperty(std::wstring_view name, std::wstring value);

protected:
    void SetPath(std::wstring path) { m_path = std::move(path); }

private:
    win::CFileHandleRaii m_handle;
    std::wstring m_path;
    std::map<std::wstring, std::wstring, std::less<>> m_properties;
};

// A local document, named where it lies; the object never deletes it.
class CFileChm : public CFileHandle {
public:
    explicit CFileChm(std::wstring path) : CFileHandle(std::move(path)) {}
};

// A uniquely named file in the user's temporary folder, deleted when the object goes away.
class CFileTemp : public CFileHandle {
public:
    CFileTemp(std::wstring prefix, std::wstring extension)
        : m_prefix(std::move(prefix)), m_extension(std::move(extension)) {}
    ~CFileTemp() override;

    // Creates a new file with the extension under a name nobody holds, and opens it; a name in use is skipped,
    // a bounded number of times.
    [[nodiscard]] virtual bool CreateTemp(DWORD access, DWORD share);

    // Takes over a file made elsewhere (a download's output): it is deleted with this object.
    [[nodiscard]] bool Adopt(std::wstring path);
    // Closes the file and hands it over to the caller: it is no longer deleted with this object.
    [[nodiscard]] std::wstring Release();

    [[nodiscard]] const std::wstring& GetPrefix() const noexcept { return m_prefix; }
    [[nodiscard]] const std::wstring& GetExtension() const noexcept { return m_extension; }

protected:
    // The number of the first name tried; the next tries count up from it.
    [[nodiscard]] virtual uint16_t FirstNameNumber();

private:
    std::wstring m_prefix;
    std::wstring m_extension;
};

// The temporary file a downloaded document is written to and shown from.
class CFileChmTemp : public CFileTemp {
public:
    CFileChmTemp();

    // Read and write, shared with nobody while the download writes it.
    [[nodiscard]] bool Open() override;
};

} // namespace transfer
