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

bool CXmlStore::ReadLocked(const CFileStamp& stamp) {
    const std::unique_ptr<CXmlStore> scratch = CreateScratch();
    if (!scratch) {
        return false;
    }
    if (!scratch->LoadFile(GetPath())) {
        SetError(scratch->GetError(), true);
        return false;
    }
    TakeOver(*scratch);
    SetValid(true);
    ClearError();
    RememberStamp(stamp);
    return true;
}

CXmlStore::Refresh CXmlStore::RefreshLocked() {
    CFileStamp stamp;
    if (!GetFileStamp(GetPath(), stamp)) {
        if (IsValid()) {
            return Refresh::Current;
        }
        // The content is what a failed read left behind and its file is gone: start from a missing file.
        return ResetForMissingFile() ? Refresh::Refreshed : Refresh::Unreadable;
    }
    if (stamp == GetRememberedStamp() && IsValid()) {
        return Refresh::Current;
    }
    // The stamp is taken before the read; a change while reading shows as a difference next time.
    return ReadLocked(stamp) ? Refresh::Refreshed : Refresh::Unreadable;
}

bool CXmlStore::Reload() {
    bool loaded = false;
    {
        const CXmlFileLock lock = Lock();
        ClearError();
        CFileStamp stamp;
        if (!lock.IsHeld()) {
            loaded = false;
        } else if (GetFileStamp(GetPath(), stamp)) {
            if (stamp == GetRememberedStamp() && IsValid()) {
                return true;
            }
            loaded = ReadLocked(stamp);
        } else {
            loaded = ResetForMissingFile();
        }
    }
    // The views show what the store now holds, also after a failed read.
    const bool viewsReached = Notify(kReloaded);
    return loaded && viewsReached;
}

bool CXmlStore::ApplyEdit(DWORD code, const std::function<EditResult()>& apply) {
    ClearError();
    Refresh refresh = Refresh::Unreadable;
    EditResult result = EditResult::Failed;
    bool saved = false;
    {
        const CXmlFileLock lock = Lock();
        if (lock.IsHeld()) {
            refresh = RefreshLocked();
        }
        // Applied also when the file could not be read: the views show the edit, the file stays as it is.
        result = apply();
        if (result == EditResult::Changed && refresh != Refresh::Unreadable) {
            saved = SaveLocked();
        }
    }
    bool viewsReached = refresh != Refresh::Refreshed || Notify(kReloaded);
    viewsReached = Notify(code) && viewsReached;
    const bool done =
        refresh != Refresh::Unreadable && (result == EditResult::Unchanged || (result == EditResult::Changed && saved));
    return done && viewsReached;
}

bool CXmlStore::ReplaceContent(DWORD code, const std::function<bool()>& replace) {
    ClearError();
    bool replaced = false;
    bool saved = false;
    {
        const CXmlFileLock lock = Lock();
        replaced = replace();
        saved = replaced && lock.IsHeld() && SaveLocked();
    }
    const bool viewsReached = Notify(code);
    return replaced && saved && viewsReached;
}

bool CXmlStore::CheckStorable(bool storable) {
    if (!storable) {
        SetError(kErrorUnsavableText, true);
    }
    return storable;
}

CXmlStore::EditResult CXmlStore::RecordGone() {
    // A reader's error text, when the file could not be read, says more and stays.
    SetError(kErrorRecordGone, false);
    return EditResult::Failed;
}

bool CXmlStore::ResetAll() {
    return ReplaceContent(m_resetCode, [this] { return Reset(); });
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
    const std::unique_ptr<CXmlStore> copy = CreateScratch();
    if (!scratch || !copy) {
        return false;
    }
    if (!scratch->LoadFile(path)) {
        SetError(scratch->GetError(), true);
        return false;
    }
    // The store takes what it will write, read back: an import never leaves a file no instance can read.
    std::string text;
    if (!scratch->SaveText(text) || !copy->LoadText(text)) {
        SetError(copy->GetError(), true);
        return false;
    }
    return ReplaceContent(m_importCode, [&] {
        TakeOver(*copy);
        SetValid(true);
        return true;
    });
}

} // namespace xml
