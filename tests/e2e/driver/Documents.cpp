#include "driver/Documents.h"

#include "data/DataHistory.h"
#include "data/DataSetting.h"
#include "data/DataUrls.h"
#include "driver/Windows.h"

namespace e2e {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr int kMessageBoxTextId = 0xFFFF;
// The file name field of the common file dialog: a combo box in the explorer style, an edit in the old one.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

DWORD ProcessOf(const CFolivexProcess& app) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(app.MainWindow(), &pid);
    return pid;
}

std::vector<HWND> VisibleDialogs(const CFolivexProcess& app) {
    std::vector<HWND> shown;
    for (const HWND dialog : TopLevelWindows(ProcessOf(app), kDialogClass)) {
        if (::IsWindowVisible(dialog)) {
            shown.push_back(dialog);
        }
    }
    return shown;
}

bool IsMessageBox(HWND dialog) {
    const HWND text = ::GetDlgItem(dialog, kMessageBoxTextId);
    return text && WindowClass(text) == L"Static";
}

} // namespace

bool PostCommand(const CFolivexProcess& app, UINT id) {
    return app.MainWindow() && ::PostMessageW(app.MainWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

HWND WaitForDialog(const CFolivexProcess& app, std::wstring_view caption, Timeout timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (const HWND dialog : VisibleDialogs(app)) {
                if (WindowText(dialog) == caption) {
                    found = dialog;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

std::optional<MessageBoxInfo> WaitForMessageBoxOf(const CFolivexProcess& app, Timeout timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (const HWND dialog : VisibleDialogs(app)) {
                if (IsMessageBox(dialog)) {
                    found = dialog;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found ? std::optional<MessageBoxInfo>(ReadMessageBox(found)) : std::nullopt;
}

bool WaitForNoDialog(const CFolivexProcess& app, Timeout timeout) {
    return WaitUntil([&] { return VisibleDialogs(app).empty(); }, timeout);
}

bool ClickButton(HWND dialog, int id) {
    const HWND button = ::GetDlgItem(dialog, id);
    return button && ::IsWindowEnabled(button) && ::PostMessageW(button, BM_CLICK, 0, 0);
}

bool SetControlText(HWND dialog, int id, const std::wstring& text) {
    const HWND control = ::GetDlgItem(dialog, id);
    if (!control) {
        return false;
    }
    LRESULT result = 0;
    return SendWithTimeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), result) && result;
}

std::wstring ControlText(HWND dialog, int id) {
    const HWND control = ::GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::wstring();
}

bool ChooseFile(HWND dialog, const std::wstring& path) {
    if (!SetControlText(dialog, kFileNameCombo, path) && !SetControlText(dialog, kFileNameEdit, path)) {
        return false;
    }
    return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK))) != FALSE;
}

std::vector<data::CDataDoc> ReadHistory(const std::wstring& folder) {
    data::CDataSetting setting;
    data::CDataHistory history(setting);
    history.SetFolder(folder);
    std::vector<data::CDataDoc> docs;
    if (!history.Reload()) {
        return docs;
    }
    for (const data::NodeHandle handle : history.List()) {
        data::CDataDoc doc;
        if (history.GetDoc(handle, doc)) {
            docs.push_back(doc);
        }
    }
    return docs;
}

std::vector<data::CDataUrl> ReadUrls(const std::wstring& folder) {
    data::CDataSetting setting;
    data::CDataUrls urls(setting);
    urls.SetFolder(folder);
    std::vector<data::CDataUrl> entries;
    if (!urls.Reload()) {
        return entries;
    }
    std::vector<data::UrlHandle> handles;
    urls.List(handles);
    for (const data::UrlHandle handle : handles) {
        data::CDataUrl url;
        if (urls.Get(handle, url)) {
            entries.push_back(url);
        }
    }
    return entries;
}

} // namespace e2e
