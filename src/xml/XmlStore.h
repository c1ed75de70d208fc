#pragma once
// What every data store does with its file: find it in the data folder, reload it when another instance
// changed it, save after each edit and tell its views, reset, export and import.

#include "xml/ViewList.h"
#include "xml/XmlFile.h"

#include <memory>
#include <string>

namespace xml {

// Base of the data stores: a data file with its observer list.
class CXmlStore : public CXmlFile, public CViewList {
public:
    // The change code every store sends after Reload.
    static constexpr DWORD kReloaded = 1;

    // The file is the store's file name in `folder`.
    void SetFolder(std::wstring_view folder);
    [[nodiscard]] const std::wstring& GetFileName() const noexcept { return m_fileName; }

    // Reads the file only when it is newer than what this store last read or wrote (a missing file gives
    // the defaults), then sends kReloaded to the views unless nothing needed reading.
    [[nodiscard]] bool Reload();
    // Defaults, saved, views told with the store's reset code.
    [[nodiscard]] bool ResetAll();
    // Writes a copy to a file of the user's choice; the store's own file is refused.
    [[nodiscard]] bool Export(const std::wstring& path);
    // Replaces the store's content with the file's. A file that does not load leaves the store and its file
    // as they were and gives the reader's error text.
    [[nodiscard]] bool Import(const std::wstring& path);

protected:
    CXmlStore(std::wstring fileName, DWORD resetCode, DWORD importCode);

    // Ends an editing operation: saves when the in-memory change succeeded, tells the views with `code`
    // in every case (a change stays in memory even if it could not be saved), and reports whether change,
    // save and notification all succeeded.
    [[nodiscard]] bool CommitEdit(DWORD code, bool changed = true);

    // An empty object of the same store class, to read an imported file into.
    [[nodiscard]] virtual std::unique_ptr<CXmlStore> CreateScratch() const = 0;
    // What a missing file means; the defaults unless the store builds its own.
    [[nodiscard]] virtual bool ResetForMissingFile();

private:
    std::wstring m_fileName;
    DWORD m_resetCode;
    DWORD m_importCode;
};

} // namespace xml
