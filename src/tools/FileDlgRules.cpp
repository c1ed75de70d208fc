#include "tools/FileDlgRules.h"

#include "win/Path.h"
#include "win/Strings.h"

#include "resource.h"

namespace tools {

std::wstring BuildFilter(std::wstring_view kindName, std::wstring_view allName, std::wstring_view extension) {
    std::wstring filter;
    filter.append(kindName).append(L" (*.").append(extension).append(L")").push_back(L'\0');
    filter.append(L"*.").append(extension).push_back(L'\0');
    filter.append(allName).append(L" (*.*)").push_back(L'\0');
    filter.append(L"*.*").push_back(L'\0');
    filter.push_back(L'\0');
    return filter;
}

std::wstring BuildFilter(UINT kindNameId, std::wstring_view extension) {
    return BuildFilter(win::LoadStr(kindNameId), win::LoadStr(IDS_FILTER_ALL), extension);
}

std::wstring ResolveDefaultFolder(const data::DefaultFolder& entry, std::wstring_view execDir) {
    if (!entry.enable) {
        return {};
    }
    const std::wstring folder = win::TrimPath(entry.folder);
    std::wstring joined;
    switch (win::GetPathKind(folder)) {
    case win::PathKind::Empty:
        return {};
    case win::PathKind::Relative:
        joined = std::wstring(execDir);
        if (!joined.empty() && joined.back() != L'\\') {
            joined += L'\\';
        }
        joined += folder;
        break;
    case win::PathKind::Absolute:
        // "\folder" names the root of the drive the execution directory is on, not that of the current one;
        // "C:folder" is relative to the execution directory when that lies on drive C.
        if (folder[0] == L'\\' && execDir.size() >= 2 && execDir[1] == L':') {
            joined = std::wstring(execDir.substr(0, 2)) + folder;
        } else if (folder.size() >= 2 && folder[1] == L':' && (folder.size() == 2 || folder[2] != L'\\') &&
                   execDir.size() >= 2 && win::EqualsNoCase(folder.substr(0, 2), execDir.substr(0, 2))) {
            joined = std::wstring(execDir);
            if (!joined.empty() && joined.back() != L'\\') {
                joined += L'\\';
            }
            joined += folder.substr(2);
        } else {
            joined = folder;
        }
        break;
    case win::PathKind::Unc:
        joined = folder;
        break;
    }
    const std::wstring full = win::FullPath(joined);
    if (full.empty() || full.size() >= MAX_PATH || !win::DirectoryExists(full)) {
        return {};
    }
    return full;
}

SaveVerdict CheckDocSaveTarget(std::wstring_view path, std::wstring_view openDocument) {
    if (!openDocument.empty() && win::SamePath(path, openDocument)) {
        return SaveVerdict::RefuseOpenDocument;
    }
    return win::FileExists(path) ? SaveVerdict::AskOverwrite : SaveVerdict::Accept;
}

SaveVerdict CheckDataSaveTarget(std::wstring_view path, std::wstring_view dataFolder) {
    if (!win::FileExists(path)) {
        return SaveVerdict::Accept;
    }
    if (!dataFolder.empty() && win::SamePath(win::ParentFolder(path), dataFolder)) {
        return SaveVerdict::RefuseDataFolder;
    }
    return SaveVerdict::AskOverwrite;
}

} // namespace tools
