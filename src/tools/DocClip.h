#pragma once
// Copying a document record to the clipboard in the form the library pastes: the record's XML text in the
// registered format, and the same text as Unicode text for other programs.

#include "data/DataRecords.h"

#include <windows.h>

#include <string>

namespace tools {

// The document element alone (not wrapped in a folder), so a paste into the library adds a document.
[[nodiscard]] bool BuildDocExchangeText(const data::CDataDoc& doc, std::string& utf8);
// Puts the record on the clipboard for `owner`; false when the clipboard could not take it.
[[nodiscard]] bool CopyDocToClipboard(HWND owner, const data::CDataDoc& doc);

} // namespace tools
