#pragma once
// What every data store does with its file: find it in the data folder, reload it when another instance
// changed it, run each edit on the file's current content and tell its views, reset, export and import.

#include "xml/ViewList.h"
#include "xml/XmlFile.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace xml {

// The error text of an edit refused because its text holds characters a data file cannot carry.
inline constexpr wchar_t kErrorUnsavableText[] =
    L"\u4FDD\u5B58\u3067\u304D\u306A\u3044\u6587\u5B57\u304C\u542B\u307E\u308C\u3066\u3044\u307E\u3059\u3002";
// The error text of an edit whose record is gone (another instance removed it meanwhile).
inline constexpr wchar_t kErrorRecordGone[] =
    L"\u5BFE\u8C61\u306E\u9805\u76EE\u306F\u65E2\u306B\u524A\u9664\u3055\u308C\u3066\u3044\u307E\u3059\u3002";

// Base of the data stores: a data file with its observer list.
//
// Several instances edit one file. Every edit therefore runs under the shared file mutex on the file's current
// content: a file that differs from what this store last read or wrote is read again first (into a scratch
// object, taken over only when it read completely, handles of records still there kept), the edit is applied,
// the file saved, and only then are the views told (kReloaded first when the content was refreshed). A file
// that cannot be read is never written: the edit stays in memory and fails with the reader's error text.
class CXmlStore : public CXmlFile, public CViewList {
public:
    // The change code every store sends after Reload.
    static constexpr DWORD kReloaded = 1;

    // The file is the store's file name in `folder`.
    void SetFolder(std::wstring_view folder);
    [[nodiscard]] const std::wstring& GetFileName() const noexcept { return m_fileName; }

    // Reads the file when it differs from what this store last read or wrote (a missing file gives the
    // defaults), then sends kReloaded to the views unless nothing needed reading. A file that does not read
    // completely leaves the content as it was and gives the reader's error text.
    [[nodiscard]] bool Reload();
    // Defaults, saved, views told with the store's reset code.
    [[nodiscard]] bool ResetAll();
    // Writes a copy to a file of the user's choice; the store's own file is refused.
    [[nodiscard]] bool Export(const std::wstring& path);
    // Replaces the store's content with the file's. A file that does not load (or would not load again as the
    // store writes it) leaves the store and its file as they were and gives the reader's error text.
    [[nodiscard]] bool Import(const std::wstring& path);

protected:
    // What an edit did to the content.
    enum class EditResult {
        Changed,   // to be saved
        Unchanged, // nothing to save, and nothing failed (a removal of a record that is already gone)
        Failed,    // nothing changed; the edit keeps an error text where it has one
    };

    CXmlStore(std::wstring fileName, DWORD resetCode, DWORD importCode);

    // Runs one edit as described above and reports whether it was applied, saved (when it changed anything)
    // and every view reached. `apply` runs exactly once, after any refresh, while the mutex is held (and alone
    // when the mutex cannot be had, in which case nothing is saved).
    [[nodiscard]] bool ApplyEdit(DWORD code, const std::function<EditResult()>& apply);
    // As ApplyEdit for a replacement of the whole content, which needs no current content and may therefore
    // write over a file this store could not read.
    [[nodiscard]] bool ReplaceContent(DWORD code, const std::function<bool()>& replace);
    // Refuses an edit whose text a data file could not carry through a save and a read, before anything is
    // touched: false with kErrorUnsavableText.
    [[nodiscard]] bool CheckStorable(bool storable);
    // Gives an edit whose record is gone its error text; returns EditResult::Failed.
    EditResult RecordGone();

    // An empty object of the same store class, to read a file into.
    [[nodiscard]] virtual std::unique_ptr<CXmlStore> CreateScratch() const = 0;
    // Takes over the content of `fresh`, an object made by CreateScratch that read completely, keeping the
    // handles of the records that are still there.
    virtual void TakeOver(CXmlStore& fresh) = 0;
    // What a missing file means; the defaults unless the store builds its own.
    [[nodiscard]] virtual bool ResetForMissingFile();

private:
    enum class Refresh { Current, Refreshed, Unreadable };

    // With the mutex held: brings the content up to the file (see the class comment).
    Refresh RefreshLocked();
    // With the mutex held: reads the file into a scratch object and takes it over; false keeps the content.
    bool ReadLocked(const CFileStamp& stamp);

    std::wstring m_fileName;
    DWORD m_resetCode;
    DWORD m_importCode;
};

} // namespace xml
