#pragma once
// The decisions of the file and folder dialogs, kept apart from the windows so they can be checked alone:
// the filter text, the initial folder from the settings and what a save dialog may write to.

#include "data/DataSetting.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace tools {

// The common dialog's filter: "<kind> (*.<ext>)", "*.<ext>", "<all> (*.*)", "*.*", each ended by a NUL and
// the whole by a second NUL.
std::wstring BuildFilter(std::wstring_view kindName, std::wstring_view allName, std::wstring_view extension);
// The same with the names from the string table.
std::wstring BuildFilter(UINT kindNameId, std::wstring_view extension);

// The folder a file dialog starts in: empty (the system chooses) when the default is switched off, empty,
// longer than the platform allows or not an existing folder. A relative folder is taken relative to the
// execution directory; the process's current directory is neither used nor changed.
std::wstring ResolveDefaultFolder(const data::DefaultFolder& entry, std::wstring_view execDir);

enum class SaveVerdict {
    Accept,
    AskOverwrite,
    RefuseOpenDocument,
    RefuseDataFolder,
};

// A copy of a document may not replace the document it was made from; an existing file needs consent.
SaveVerdict CheckDocSaveTarget(std::wstring_view path, std::wstring_view openDocument);
// An exported data file may not replace an existing file in the data folder, whose files belong to the
// running instances; anywhere else an existing file needs consent.
SaveVerdict CheckDataSaveTarget(std::wstring_view path, std::wstring_view dataFolder);

} // namespace tools
