#include "driver/Documents.h"

#include "data/DataHistory.h"
#include "data/DataSetting.h"
#include "data/DataUrls.h"
#include "driver/Windows.h"

namespace e2e {
namespace {

// The file name field of the common file dialog: a combo box in the explorer style, an edit in the old one.
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

// The first visible dialog of the process for which `match` holds; nullptr on time-out.
HWND WaitForDialogWhere(const CFolivexProcess& app, const std::function<bool(HWND)>& match, Timeout timeout) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (const HWND dialog : TopLevelWindows(app.Pid(), kDialogClass)) {
                if (match(dialog)) {
                    found = dialog;
                    return true;
                }
            }
            return false;
        },
        timeout);
    return found;
}

} // namespace

bool PostCommand(const CFolivexProcess& app, UINT id) {
    return app.MainWindow() && ::PostMessageW(app.MainWindow(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

HWND WaitForDialog(const CFolivexProcess& app, std::wstring_view caption, Timeout timeout) {
    return WaitForDialogWhere(
        app, [&](HWND dialog) { return WindowText(dialog) == caption; }, timeout);
}

std::optional<MessageBoxInfo> WaitForMessageBoxOf(const CFolivexProcess& app, Timeout timeout) {
    const HWND found = WaitForDialogWhere(app, IsMessageBox, timeout);
    return found ? std::optional<MessageBoxInfo>(ReadMessageBox(found)) : std::nullopt;
}

bool WaitForNoDialog(const CFolivexProcess& app, Timeout timeout) {
    return WaitUntil([&] { return TopLevelWindows(app.Pid(), kDialogClass).empty(); }, timeout);
}

bool ClickButton(HWND dialog, int id) {
    const HWND button = ::GetDlgItem(dialog, id);
    return button && ::IsWindowEnabled(button) && ::PostMessageW(button, BM_CLICK, 0, 0);
}

bool SetControlText(HWND dialog, int id, const std::wstring& text) {
    const HWND control = ::GetDlgItem(dialog, id);
    LRESULT result = 0;
    return control && SendWithTimeout(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), result) && result;
}

std::wstring ControlText(HWND dialog, int id) {
    const HWND control = ::GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::wstring();
}

bool ChooseFile(HWND dialog, const std::wstring& path) {
    return (SetControlText(dialog, kFileNameCombo, path) || SetControlText(dialog, kFileNameEdit, path)) &&
           ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                          reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDOK))) != FALSE;
}

std::vector<data::CDataDoc> ReadHistory(const std::wstring& folder) {
    data::CDataSetting setting;
    data::CDataHistory history(setting);
    history.SetFolder(folder);
    std::vector<data::CDataDoc> docs;
    for (const data::NodeHandle handle : history.Reload() ? history.List() : std::vector<data::NodeHandle>{}) {
        if (data::CDataDoc doc; history.GetDoc(handle, doc)) {
            docs.push_back(doc);
        }
    }
    return docs;
}

std::vector<data::CDataUrl> ReadUrls(const std::wstring& folder) {
    data::CDataSetting setting;
    data::CDataUrls urls(setting);
    urls.SetFolder(folder);
    std::vector<data::UrlHandle> handles;
    if (urls.Reload()) {
        urls.List(handles);
    }
    std::vector<data::CDataUrl> entries;
    for (const data::UrlHandle handle : handles) {
        if (data::CDataUrl url; urls.Get(handle, url)) {
            entries.push_back(url);
        }
    }
    return entries;
}

} // namespace e2e
