#include "transfer/WatchData.h"

#include "data/DataHistory.h"
#include "data/DataLibrary.h"
#include "data/DataSetting.h"
#include "data/DataShortkey.h"
#include "data/DataUrls.h"

namespace transfer {

const std::array<WatchedDataFile, 5> kWatchedDataFiles = {{
    {data::CDataSetting::kFileName, 0x01},
    {data::CDataHistory::kFileName, 0x02},
    {data::CDataLibrary::kFileName, 0x04},
    {data::CDataShortkey::kFileName, 0x08},
    {data::CDataUrls::kFileName, 0x10},
}};

bool CWatchData::Start(const std::wstring& dataFolder, HWND window, UINT reloadMessage, UINT errorMessage) {
    constexpr ChangeKind kKinds[] = {ChangeKind::Added, ChangeKind::Removed, ChangeKind::Modified, ChangeKind::Renamed};
    bool ok = true;
    for (const WatchedDataFile& file : kWatchedDataFiles) {
        for (const ChangeKind kind : kKinds) {
            ok = ok && Register(file.name, kind, window, reloadMessage, file.reloadBit, static_cast<LPARAM>(kind));
        }
    }
    ok = ok && SetErrorTarget(window, errorMessage, 0, 0);
    if (!ok) {
        // Registering fails only while a watch runs or for a dead window; either way nothing may stay half set.
        (void)CWatchDir::Stop();
        return false;
    }
    return CWatchDir::Start(dataFolder, kDataWatchFilter);
}

} // namespace transfer
