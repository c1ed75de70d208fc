#include "tools/DlgFile.h"

#include "data/DocInfoFile.h"
#include "tools/FileDlgRules.h"
#include "win/MessageBox.h"
#include "win/Strings.h"
#include "win/Window.h"

#include "resource.h"

#include <commdlg.h>
#include <dlgs.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <utility>

namespace tools {

namespace {

// Room for a chosen path: far more than the 260 units the platform's paths usually take.
constexpr size_t kPathBuffer = 4096;

constexpr DWORD kDocOpenFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
constexpr DWORD kDocSaveFlags = OFN_NOCHANGEDIR;
constexpr DWORD kDataOpenFlags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
constexpr DWORD kDataSaveFlags = OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
static_assert(kDocOpenFlags == 0x1808 && kDocSaveFlags == 0x0008 && kDataOpenFlags == 0x180C &&
              kDataSaveFlags == 0x000C);

constexpr wchar_t kDocExtension[] = L"chm";
constexpr wchar_t kDataExtension[] = L"xml";

RECT ControlRect(HWND dialog, HWND control) {
    RECT rc{};
    ::GetWindowRect(control, &rc);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The new label is longer than "read only": let the box run to the right edge of the file type box. A save
// dialog, which hides the box, may leave no room for it below: the dialog grows until the box shows whole.
// Before the dialog is first shown it keeps its controls in place when its size changes.
void FitCheckBox(HWND dialog, HWND box, HWND types) {
    const RECT boxRect = ControlRect(dialog, box);
    const RECT typesRect = ControlRect(dialog, types);
    if (typesRect.right > boxRect.right) {
        ::SetWindowPos(box, nullptr, 0, 0, typesRect.right - boxRect.left, boxRect.bottom - boxRect.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client{};
    ::GetClientRect(dialog, &client);
    const LONG margin = std::max<LONG>(boxRect.top - typesRect.bottom, 4);
    const LONG missing = boxRect.bottom + margin - client.bottom;
    if (missing > 0) {
        RECT window{};
        ::GetWindowRect(dialog, &window);
        ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + missing,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

} // namespace

bool CDlgFileWnd::Show(HWND owner, const Options& options) {
    m_options = &options;
    m_owner = owner;
    m_path.clear();
    m_checked = options.checked;

    std::wstring buffer(kPathBuffer, L'\0');
    if (options.initialFile.size() < buffer.size()) {
        std::copy(options.initialFile.begin(), options.initialFile.end(), buffer.begin());
    }
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = options.filter.empty() ? nullptr : options.filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = options.initialFolder.empty() ? nullptr : options.initialFolder.c_str();
    ofn.lpstrTitle = options.title.empty() ? nullptr : options.title.c_str();
    ofn.lpstrDefExt = options.defaultExtension.empty() ? nullptr : options.defaultExtension.c_str();
    ofn.Flags = options.flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    if (options.checked) {
        ofn.Flags |= OFN_READONLY;
    }
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = &HookProc;

    const BOOL ok = options.save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
    m_options = nullptr;
    if (!ok) {
        return false;
    }
    buffer.resize(wcsnlen(buffer.c_str(), buffer.size()));
    m_path = std::move(buffer);
    return !m_path.empty();
}

UINT_PTR CALLBACK CDlgFileWnd::HookProc(HWND hook, UINT msg, WPARAM, LPARAM lp) {
    try {
        if (msg == WM_INITDIALOG) {
            const auto* ofn = reinterpret_cast<const OPENFILENAMEW*>(lp);
            ::SetWindowLongPtrW(hook, DWLP_USER, ofn ? ofn->lCustData : 0);
            return TRUE;
        }
        auto* self = reinterpret_cast<CDlgFileWnd*>(::GetWindowLongPtrW(hook, DWLP_USER));
        if (msg != WM_NOTIFY || !self || !self->m_options) {
            return FALSE;
        }
        const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lp);
        // The hook is a child of the real dialog, which owns the controls.
        const HWND dialog = ::GetParent(hook);
        switch (notify->hdr.code) {
        case CDN_INITDONE:
            self->OnInitDone(dialog);
            return FALSE;
        case CDN_FILEOK:
            if (!self->OnFileOk(dialog, notify->lpOFN ? notify->lpOFN->lpstrFile : nullptr)) {
                ::SetWindowLongPtrW(hook, DWLP_MSGRESULT, 1);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
        }
    } catch (...) {
        return FALSE;
    }
}

void CDlgFileWnd::OnInitDone(HWND dialog) const {
    if (m_options->checkLabelId != 0) {
        const win::CWindow box(::GetDlgItem(dialog, chx1));
        if (box.m_hWnd) {
            (void)box.SetText(win::LoadStr(m_options->checkLabelId));
            if (const HWND types = ::GetDlgItem(dialog, cmb1)) {
                FitCheckBox(dialog, box, types);
            }
            (void)box.Enable(true);
            (void)box.Show(SW_SHOW);
            ::CheckDlgButton(dialog, chx1, m_options->checked ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    (void)win::CWindow(dialog).CenterOn(m_owner);
}

bool CDlgFileWnd::OnFileOk(HWND dialog, const wchar_t* path) {
    if (m_options->checkLabelId != 0) {
        m_checked = ::IsDlgButtonChecked(dialog, chx1) == BST_CHECKED;
    }
    if (!m_options->accept) {
        return true;
    }
    return m_options->accept(dialog, path ? std::wstring(path) : std::wstring());
}

bool ConfirmDocSaveTarget(HWND dialog, const std::wstring& path, const std::wstring& openDocument) {
    switch (CheckDocSaveTarget(path, openDocument)) {
    case SaveVerdict::RefuseOpenDocument:
        win::MessageBoxFor(dialog, win::LoadStr(IDS_SAVE_ONTO_OPEN), MB_OK | MB_ICONWARNING);
        return false;
    case SaveVerdict::AskOverwrite:
        return win::MessageBoxFor(dialog, win::LoadStr(IDS_ASK_OVERWRITE_DOC),
                                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    default:
        return true;
    }
}

bool ConfirmDataSaveTarget(HWND dialog, const std::wstring& path, const std::wstring& dataFolder) {
    switch (CheckDataSaveTarget(path, dataFolder)) {
    case SaveVerdict::RefuseDataFolder:
        win::MessageBoxFor(dialog, win::LoadStr(IDS_SAVE_IN_DATA_FOLDER), MB_OK | MB_ICONWARNING);
        return false;
    case SaveVerdict::AskOverwrite:
        return win::MessageBoxFor(dialog, win::LoadStr(IDS_ASK_OVERWRITE_DATA),
                                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    default:
        return true;
    }
}

CDlgFileDocOpen::CDlgFileDocOpen(const data::CDataSetting& setting, std::wstring execDir)
    : m_setting(setting), m_execDir(std::move(execDir)) {}

bool CDlgFileDocOpen::Show(HWND owner, const std::wstring& initialPath, bool newWindow) {
    CDlgFileWnd::Options options;
    options.title = win::LoadStr(IDS_DOC_OPEN_TITLE);
    options.filter = BuildFilter(IDS_FILTER_DOC, kDocExtension);
    options.defaultExtension = kDocExtension;
    options.flags = kDocOpenFlags;
    options.initialFolder = ResolveDefaultFolder(m_setting.GetFileDlg().doc, m_execDir);
    options.initialFile = initialPath;
    options.checkLabelId = IDS_OPEN_NEW_WINDOW;
    options.checked = newWindow;
    return m_dialog.Show(owner, options);
}

CDlgFileDocSave::CDlgFileDocSave(const data::CDataSetting& setting, std::wstring execDir)
    : m_setting(setting), m_execDir(std::move(execDir)) {}

bool CDlgFileDocSave::Show(HWND owner, const std::wstring& proposedName, const std::wstring& openDocument,
                           bool newWindow) {
    CDlgFileWnd::Options options;
    options.save = true;
    options.title = win::LoadStr(IDS_DOC_SAVE_TITLE);
    options.filter = BuildFilter(IDS_FILTER_DOC, kDocExtension);
    options.defaultExtension = kDocExtension;
    options.flags = kDocSaveFlags;
    options.initialFolder = ResolveDefaultFolder(m_setting.GetFileDlg().doc, m_execDir);
    options.initialFile = proposedName;
    options.checkLabelId = IDS_SAVE_OPEN_NEW_WINDOW;
    options.checked = newWindow;
    options.accept = [&openDocument](HWND dialog, const std::wstring& path) {
        return ConfirmDocSaveTarget(dialog, path, openDocument);
    };
    return m_dialog.Show(owner, options);
}

CDlgFileWnd::Options CDlgFileData::DataOptions(DWORD flags, const std::wstring& initialFile) const {
    CDlgFileWnd::Options options;
    options.title = m_title;
    options.filter = BuildFilter(IDS_FILTER_DATA, kDataExtension);
    options.defaultExtension = kDataExtension;
    options.flags = flags;
    options.initialFolder = ResolveDefaultFolder(m_setting.GetFileDlg().data, m_execDir);
    options.initialFile = initialFile;
    return options;
}

bool CDlgFileDataOpen::Show(HWND owner, const std::wstring& initialPath) {
    return m_dialog.Show(owner, DataOptions(kDataOpenFlags, initialPath));
}

bool CDlgFileDataSave::Show(HWND owner, const std::wstring& proposedName) {
    CDlgFileWnd::Options options = DataOptions(kDataSaveFlags, proposedName);
    options.save = true;
    options.accept = [this](HWND dialog, const std::wstring& path) {
        return ConfirmDataSaveTarget(dialog, path, m_execDir);
    };
    return m_dialog.Show(owner, options);
}

bool ExportStore(HWND owner, const data::CDataSetting& setting, const std::wstring& execDir, xml::CXmlStore& store,
                 UINT title, UINT failure) {
    CDlgFileDataSave dialog(setting, execDir, win::LoadStr(title));
    if (dialog.Show(owner, data::MakeDefaultFileName(store.GetFileName())) && !store.Export(dialog.Path())) {
        win::MessageBoxFor(owner, win::LoadStr(failure), MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

bool CDlgFolder::Show(HWND owner, const std::wstring& title, const std::wstring& initialFolder, UINT flags) {
    m_owner = owner;
    m_initialFolder = initialFolder;
    m_path.clear();
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = displayName;
    info.lpszTitle = title.empty() ? nullptr : title.c_str();
    info.ulFlags = flags | kAddedFlags;
    info.lpfn = &BrowseProc;
    info.lParam = reinterpret_cast<LPARAM>(this);
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) {
        return false;
    }
    wchar_t path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListW(chosen, path) != FALSE;
    ::CoTaskMemFree(chosen);
    if (!ok) {
        return false;
    }
    m_path = path;
    return !m_path.empty();
}

int CALLBACK CDlgFolder::BrowseProc(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg != BFFM_INITIALIZED) {
        return 0;
    }
    const auto* self = reinterpret_cast<const CDlgFolder*>(data);
    if (!self) {
        return 0;
    }
    (void)win::CWindow(hwnd).CenterOn(self->m_owner);
    if (!self->m_initialFolder.empty()) {
        ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(self->m_initialFolder.c_str()));
    }
    return 0;
}

} // namespace tools
