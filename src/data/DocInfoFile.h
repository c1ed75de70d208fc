#pragma once
// The document information file: one piece of the library (a folder with everything below it, or a single
// document) as XML text in a file of the user's choice, to carry it to another library or keep it as a backup.
// Also the time-stamped default name that store exports share.

#include "data/DataLibrary.h"
#include "xml/XmlReader.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace data {

// The base of a document information file's default name.
inline constexpr wchar_t kDocInfoBaseName[] = L"docinfo.xml";
// Files of this size or larger are not read: the cap of the data files.
inline constexpr uint64_t kDocInfoSizeLimit = xml::kMaxInputBytes + 1;

// The base name with "-" and the local time as 14 digits before its extension: "docinfo-20240131235959.xml".
[[nodiscard]] std::wstring MakeDefaultFileName(std::wstring_view baseName, const SYSTEMTIME& localTime);
// As above at the current local time.
[[nodiscard]] std::wstring MakeDefaultFileName(std::wstring_view baseName);

// Creates or truncates the file with exclusive access and writes the whole text in one write. Empty text is
// refused before the file is touched; a failed or short write removes the incomplete file.
[[nodiscard]] bool WriteDocInfoText(const std::wstring& path, std::string_view utf8);
// Reads the whole file, opened with exclusive access; a file of kDocInfoSizeLimit bytes or more, or one that
// cannot be read whole, fails.
[[nodiscard]] bool ReadDocInfoText(const std::wstring& path, std::string& utf8);

// Saves the library's folder or document, with its subtree, to the file.
[[nodiscard]] bool SaveDocInfo(CDataLibrary& library, NodeHandle node, const std::wstring& path);
// Inserts the file's folder or document into the library relative to the selected node: as the last child of
// a selected folder (or the root), or next to a selected document in that document's folder. Returns the new
// node's handle, or kNoNode with the library unchanged.
[[nodiscard]] NodeHandle LoadDocInfo(CDataLibrary& library, NodeHandle selected, const std::wstring& path);

} // namespace data
