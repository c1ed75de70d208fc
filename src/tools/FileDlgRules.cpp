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
    // Resolved as the document paths of the command line are: from the execution directory, never from the
    // process's current directory.
    const std::wstring full = win::ResolveAgainst(win::TrimPath(entry.folder), execDir);
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
