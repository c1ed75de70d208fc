#include "xml/XmlStore.h"

#include "win/Path.h"

#include <windows.h>

namespace xml {

CXmlStore::CXmlStore(std::wstring fileName, DWORD resetCode, DWORD importCode)
    : m_fileName(std::move(fileName)), m_resetCode(resetCode), m_importCode(importCode) {}

void CXmlStore::SetFolder(std::wstring_view folder) {
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') {
        path += L'\\';
    }
    path += m_fileName;
    SetPath(std::move(path));
}

bool CXmlStore::ResetForMissingFile() {
    return Reset();
}

bool CXmlStore::Reload() {
    bool loaded = false;
    if (win::FileExists(GetPath())) {
        if (!IsChanged()) {
            return true;
        }
        loaded = LoadLocked();
    } else {
        loaded = ResetForMissingFile();
    }
    // The views show what the store now holds, also after a failed load.
    const bool viewsReached = Notify(kReloaded);
    return loaded && viewsReached;
}

bool CXmlStore::CommitEdit(DWORD code, bool changed) {
    const bool saved = changed && SaveLocked();
    const bool viewsReached = Notify(code);
    return saved && viewsReached;
}

bool CXmlStore::ResetAll() {
    const bool reset = Reset();
    return CommitEdit(m_resetCode, reset);
}

bool CXmlStore::Export(const std::wstring& path) {
    ClearError();
    if (path.empty() || win::SamePath(path, GetPath())) {
        return false;
    }
    return SaveFile(path);
}

bool CXmlStore::Import(const std::wstring& path) {
    ClearError();
    const std::unique_ptr<CXmlStore> scratch = CreateScratch();
    if (!scratch) {
        return false;
    }
    if (!scratch->LoadFile(path)) {
        SetError(scratch->GetError(), true);
        return false;
    }
    std::string text;
    if (!scratch->SaveText(text)) {
        return false;
    }
    return CommitEdit(m_importCode, LoadText(text));
}

} // namespace xml
