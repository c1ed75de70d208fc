#include "tools/DocClip.h"

#include "win/Clipboard.h"
#include "win/Strings.h"

namespace tools {

bool BuildDocExchangeText(const data::CDataDoc& doc, std::string& utf8) {
    data::CDataDoc copy = doc;
    return copy.SaveText(utf8) && !utf8.empty();
}

bool CopyDocToClipboard(HWND owner, const data::CDataDoc& doc) {
    std::string utf8;
    if (!BuildDocExchangeText(doc, utf8)) {
        return false;
    }
    win::CClipboard clipboard(owner);
    return clipboard.IsOpen() && clipboard.SetText(win::DataFolderFormat(), utf8) &&
           clipboard.SetText(win::Utf8ToWide(utf8));
}

} // namespace tools
