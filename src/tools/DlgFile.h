#pragma once
// The shared file dialogs (documents and data files, open and save) and the folder browser. Each starts in the
// default folder the settings name for its kind of file and is centred on its owner; the save dialogs refuse
// some targets before they close.

#include "data/DataSetting.h"
#include "xml/XmlStore.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace tools {

// One run of the system's common file dialog with our hook: centring, the read-only box reused as an option,
// and a last word on the chosen path before the dialog closes.
class CDlgFileWnd {
public:
    struct Options {
        bool save = false;
        std::wstring title;
        std::wstring filter;
        std::wstring defaultExtension;
        DWORD flags = 0;
        std::wstring initialFolder;
        std::wstring initialFile;
        // Label for the read-only box (control 1040), shown and enabled; 0 leaves the box as the flags say.
        UINT checkLabelId = 0;
        bool checked = false;
        // Called with the dialog window and the chosen path when the user presses OK; false keeps it open.
        std::function<bool(HWND dialog, const std::wstring& path)> accept;
    };

    // True on OK; a dialog that could not be created counts as cancelled.
    bool Show(HWND owner, const Options& options);
    [[nodiscard]] const std::wstring& Path() const noexcept { return m_path; }
    [[nodiscard]] bool Checked() const noexcept { return m_checked; }

private:
    static UINT_PTR CALLBACK HookProc(HWND hook, UINT msg, WPARAM wp, LPARAM lp);
    void OnInitDone(HWND dialog) const;
    bool OnFileOk(HWND dialog, const wchar_t* path);

    const Options* m_options = nullptr;
    HWND m_owner = nullptr;
    std::wstring m_path;
    bool m_checked = false;
};

// Asks what the save rules require for a document copy; false refuses the target (the dialog stays).
bool ConfirmDocSaveTarget(HWND dialog, const std::wstring& path, const std::wstring& openDocument);
// The same for an exported data file and the data folder.
bool ConfirmDataSaveTarget(HWND dialog, const std::wstring& path, const std::wstring& dataFolder);

// Opening a document (*.chm), with the read-only box as "open in a new window".
class CDlgFileDocOpen {
public:
    CDlgFileDocOpen(const data::CDataSetting& setting, std::wstring execDir);
    bool Show(HWND owner, const std::wstring& initialPath, bool newWindow);
    [[nodiscard]] const std::wstring& Path() const noexcept { return m_dialog.Path(); }
    [[nodiscard]] bool NewWindow() const noexcept { return m_dialog.Checked(); }

private:
    const data::CDataSetting& m_setting;
    std::wstring m_execDir;
    CDlgFileWnd m_dialog;
};

// Saving a copy of the open document, with the read-only box as "open in a new window after saving".
class CDlgFileDocSave {
public:
    CDlgFileDocSave(const data::CDataSetting& setting, std::wstring execDir);
    // proposedName: the file name shown first; openDocument: the path it must refuse.
    bool Show(HWND owner, const std::wstring& proposedName, const std::wstring& openDocument, bool newWindow);
    [[nodiscard]] const std::wstring& Path() const noexcept { return m_dialog.Path(); }
    [[nodiscard]] bool NewWindow() const noexcept { return m_dialog.Checked(); }

private:
    const data::CDataSetting& m_setting;
    std::wstring m_execDir;
    CDlgFileWnd m_dialog;
};

// What the two data-file dialogs share: the caller's title, the data filter and the data files' default folder.
class CDlgFileData {
public:
    CDlgFileData(const data::CDataSetting& setting, std::wstring execDir, std::wstring title)
        : m_setting(setting), m_execDir(std::move(execDir)), m_title(std::move(title)) {}
    [[nodiscard]] const std::wstring& Path() const noexcept { return m_dialog.Path(); }

protected:
    [[nodiscard]] CDlgFileWnd::Options DataOptions(DWORD flags, const std::wstring& initialFile) const;

    const data::CDataSetting& m_setting;
    std::wstring m_execDir;
    std::wstring m_title;
    CDlgFileWnd m_dialog;
};

// Importing a data file (*.xml).
class CDlgFileDataOpen : public CDlgFileData {
public:
    using CDlgFileData::CDlgFileData;
    bool Show(HWND owner, const std::wstring& initialPath);
};

// Exporting a data file (*.xml); existing files of the data folder are refused.
class CDlgFileDataSave : public CDlgFileData {
public:
    using CDlgFileData::CDlgFileData;
    bool Show(HWND owner, const std::wstring& proposedName);
};

// Exports a store through the data save dialog titled by string `title`, proposing the store's file name
// with the current time; a failed export shows string `failure`. False only when the export failed.
bool ExportStore(HWND owner, const data::CDataSetting& setting, const std::wstring& execDir, xml::CXmlStore& store,
                 UINT title, UINT failure);

// The shell's folder browser, file-system folders only, new dialog style, centred on its owner.
class CDlgFolder {
public:
    // The flags the browser always gets on top of the caller's.
    static constexpr UINT kAddedFlags = 0x41;

    // True when a folder was chosen.
    bool Show(HWND owner, const std::wstring& title, const std::wstring& initialFolder, UINT flags);
    [[nodiscard]] const std::wstring& Path() const noexcept { return m_path; }

private:
    static int CALLBACK BrowseProc(HWND hwnd, UINT msg, LPARAM lp, LPARAM data);

    HWND m_owner = nullptr;
    std::wstring m_initialFolder;
    std::wstring m_path;
};

} // namespace tools
