#pragma once
// The watcher of the data folder: the five reloadable data files, each change posted as a reload request.

#include "transfer/WatchDir.h"

#include <array>

namespace transfer {

// A data file whose change asks its store to reload, and the store's bit in the reload request's wParam.
struct WatchedDataFile {
    const wchar_t* name;
    DWORD reloadBit;
};

// In the order the registrations are made. The layout and document information files are not watched.
extern const std::array<WatchedDataFile, 5> kWatchedDataFiles;

// File-name and last-write changes: enough to see every save, rename and removal.
constexpr DWORD kDataWatchFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

// Watches the data folder for the main frame.
class CWatchData : public CWatchDir {
public:
    // Every change of a watched file posts reloadMessage to window with the file's bit as wParam and the
    // change kind as lParam (a batch the system lost posts it once for every file, as modified); a failed watch,
    // even one whose first read is refused, posts errorMessage once and still counts as started. False, for a
    // folder that does not open, leaves nothing registered.
    [[nodiscard]] bool Start(const std::wstring& dataFolder, HWND window, UINT reloadMessage, UINT errorMessage);
};

} // namespace transfer
