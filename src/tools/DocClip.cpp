#include "tools/DocClip.h"

#include "win/Strings.h"

#include <cstring>

namespace tools {

namespace {

// Hands a copy of the bytes to the clipboard; the memory stays ours when the clipboard refuses it.
bool SetClipboardBytes(UINT format, const void* bytes, size_t size) {
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory) {
        return false;
    }
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return false;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory);
    if (!::SetClipboardData(format, memory)) {
        ::GlobalFree(memory);
        return false;
    }
    return true;
}

} // namespace

bool BuildDocExchangeText(const data::CDataDoc& doc, std::string& utf8) {
    data::CDataDoc copy = doc;
    return copy.SaveText(utf8) && !utf8.empty();
}

bool CopyDocToClipboard(HWND owner, const data::CDataDoc& doc) {
    std::string utf8;
    const UINT format = ::RegisterClipboardFormatW(kDataFolderFormat);
    if (format == 0 || !BuildDocExchangeText(doc, utf8)) {
        return false;
    }
    const std::wstring wide = win::Utf8ToWide(utf8);
    if (!::OpenClipboard(owner)) {
        return false;
    }
    const bool ok = ::EmptyClipboard() && SetClipboardBytes(format, utf8.c_str(), utf8.size() + 1) &&
                    SetClipboardBytes(CF_UNICODETEXT, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    ::CloseClipboard();
    return ok;
}

} // namespace tools
