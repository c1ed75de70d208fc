#include "xml/XmlStore.h"

#include <windows.h>

#include <climits>

namespace xml {

namespace {

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return path;
    }
    full.resize(length);
    return full;
}

// Whether two paths name the same file, ignoring letter case as the file system does.
bool SamePath(const std::wstring& a, const std::wstring& b) {
    const std::wstring fullA = FullPath(a);
    const std::wstring fullB = FullPath(b);
    if (fullA.size() > INT_MAX || fullB.size() > INT_MAX) {
        return false;
    }
    return ::CompareStringOrdinal(fullA.c_str(), static_cast<int>(fullA.size()), fullB.c_str(),
                                  static_cast<int>(fullB.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

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
    if (FileExists(GetPath())) {
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
    if (path.empty() || SamePath(path, GetPath())) {
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
