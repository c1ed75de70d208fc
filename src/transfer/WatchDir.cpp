#include "transfer/WatchDir.h"

#include <cstddef>
#include <cstring>

namespace transfer {

namespace {

constexpr DWORD kBufferBytes = 10240;
// The fixed part of a FILE_NOTIFY_INFORMATION record: next offset, action, name length.
constexpr DWORD kRecordHeaderBytes = static_cast<DWORD>(offsetof(FILE_NOTIFY_INFORMATION, FileName));

bool IsKnownKind(ChangeKind kind) noexcept {
    const int value = static_cast<int>(kind);
    return value >= static_cast<int>(ChangeKind::Added) && value <= static_cast<int>(ChangeKind::Renamed);
}

// Waits until a read that will not be collected is over, so the system no longer writes into its buffer.
void AbandonRead(HANDLE directory, OVERLAPPED& overlapped) noexcept {
    (void)::CancelIoEx(directory, &overlapped);
    DWORD bytes = 0;
    (void)::GetOverlappedResult(directory, &overlapped, &bytes, TRUE);
}

} // namespace

std::vector<DirectoryChange> ParseDirectoryChanges(const void* buffer, DWORD bytes) {
    std::vector<DirectoryChange> changes;
    const auto* base = static_cast<const unsigned char*>(buffer);
    DWORD offset = 0;
    while (base && bytes >= kRecordHeaderBytes && offset <= bytes - kRecordHeaderBytes) {
        DWORD header[3] = {};
        std::memcpy(header, base + offset, sizeof(header));
        const DWORD next = header[0];
        const DWORD nameBytes = header[2];
        if (nameBytes > bytes - offset - kRecordHeaderBytes) {
            break;
        }
        std::wstring name(nameBytes / sizeof(wchar_t), L'\0');
        std::memcpy(name.data(), base + offset + kRecordHeaderBytes, name.size() * sizeof(wchar_t));
        changes.push_back({std::move(name), header[1]});
        if (next == 0 || next > bytes - offset) {
            break;
        }
        offset += next;
    }
    return changes;
}

std::optional<ChangeKind> ChangeKindOfAction(DWORD action) noexcept {
    switch (action) {
    case FILE_ACTION_ADDED:
        return ChangeKind::Added;
    case FILE_ACTION_REMOVED:
        return ChangeKind::Removed;
    case FILE_ACTION_MODIFIED:
        return ChangeKind::Modified;
    case FILE_ACTION_RENAMED_OLD_NAME:
    case FILE_ACTION_RENAMED_NEW_NAME:
        return ChangeKind::Renamed;
    default:
        return std::nullopt;
    }
}

std::wstring FoldFileName(std::wstring_view name) {
    std::wstring folded(name);
    if (!folded.empty()) {
        (void)::CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    }
    return folded;
}

CWatchDir::~CWatchDir() {
    (void)Stop();
}

bool CWatchDir::IsWatching() const noexcept {
    return m_directory.IsValid() || IsRunning();
}

bool CWatchDir::Register(std::wstring_view fileName, ChangeKind kind, HWND window, UINT message, WPARAM wParam,
                         LPARAM lParam) {
    if (IsWatching() || !::IsWindow(window) || !IsKnownKind(kind)) {
        return false;
    }
    m_registrations[FoldFileName(fileName)][kind] = {window, message, wParam, lParam};
    return true;
}

std::optional<CWatchDir::Registration> CWatchDir::FindRegistration(std::wstring_view fileName, ChangeKind kind) const {
    const auto file = m_registrations.find(FoldFileName(fileName));
    if (file == m_registrations.end()) {
        return std::nullopt;
    }
    const auto target = file->second.find(kind);
    if (target == file->second.end()) {
        return std::nullopt;
    }
    return target->second;
}

bool CWatchDir::SetErrorTarget(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsWatching() || !::IsWindow(window)) {
        return false;
    }
    m_errorTarget = {window, message, wParam, lParam};
    return true;
}

bool CWatchDir::Start(const std::wstring& folder, DWORD filter) {
    if (m_directory) {
        (void)Stop();
        return false;
    }
    m_directory.Reset(::CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    if (!m_changeEvent) {
        m_changeEvent.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    }
    if (!m_stopEvent) {
        m_stopEvent.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    }
    if (!m_armedEvent) {
        m_armedEvent.Reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    }
    m_filter = filter;
    // A folder whose changes cannot be read (some network and virtual drives refuse the read) still starts: the
    // worker reports that through the error target, once, and the program runs on without the watch.
    if (!m_directory || !m_changeEvent || !m_stopEvent || !m_armedEvent || !CMessageThreadT::Start(0) ||
        !Post(WM_APP_WATCH_START, 0, 0) || ::WaitForSingleObject(m_armedEvent.Get(), INFINITE) != WAIT_OBJECT_0) {
        (void)Stop();
        return false;
    }
    return true;
}

bool CWatchDir::Stop() {
    bool ok = true;
    if (m_stopEvent && !::SetEvent(m_stopEvent.Get())) {
        ok = false;
    }
    if (!CMessageThreadT::Stop()) {
        ok = false;
    }
    if (IsRunning()) {
        // The worker still waits on these handles: closing them under it could hand their values to others.
        return false;
    }
    ForgetAll();
    return ok;
}

void CWatchDir::ForgetAll() noexcept {
    (void)m_directory.Close();
    (void)m_changeEvent.Close();
    (void)m_stopEvent.Close();
    (void)m_armedEvent.Close();
    m_filter = 0;
    m_registrations.clear();
    m_errorTarget = {};
}

bool CWatchDir::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != WM_APP_WATCH_START) {
        return false;
    }
    OnWatchStart();
    result = 0;
    return true;
}

void CWatchDir::OnWatchStart() noexcept {
    LoopEnd end = LoopEnd::Failed;
    try {
        end = WatchLoop();
    } catch (...) {
        end = LoopEnd::Failed;
    }
    // Start waits for the first read, which may never have been issued.
    (void)::SetEvent(m_armedEvent.Get());
    if (end == LoopEnd::Failed && ::IsWindow(m_errorTarget.window)) {
        (void)::PostMessageW(m_errorTarget.window, m_errorTarget.message, m_errorTarget.wParam, m_errorTarget.lParam);
    }
}

CWatchDir::LoopEnd CWatchDir::WatchLoop() {
    // DWORD elements keep the records aligned as the system writes them.
    std::vector<DWORD> buffer(kBufferBytes / sizeof(DWORD));
    const HANDLE waits[] = {m_changeEvent.Get(), m_stopEvent.Get()};
    bool armed = false;
    for (;;) {
        std::fill(buffer.begin(), buffer.end(), 0);
        OVERLAPPED overlapped{};
        overlapped.hEvent = m_changeEvent.Get();
        if (!ReadChanges(buffer.data(), kBufferBytes, overlapped)) {
            return LoopEnd::Failed;
        }
        if (!armed) {
            armed = true;
            (void)::SetEvent(m_armedEvent.Get());
        }
        const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0) {
            AbandonRead(m_directory.Get(), overlapped);
            return woken == WAIT_OBJECT_0 + 1 ? LoopEnd::Stopped : LoopEnd::Failed;
        }
        DWORD bytes = 0;
        if (!::GetOverlappedResult(m_directory.Get(), &overlapped, &bytes, TRUE)) {
            if (::GetLastError() != ERROR_NOTIFY_ENUM_DIR) {
                return LoopEnd::Failed;
            }
            bytes = 0;
        }
        // No bytes: the system lost the batch (it overflowed), in whichever way it reports that.
        if (!(bytes == 0 ? DeliverAll() : Deliver(buffer.data(), bytes))) {
            return LoopEnd::Failed;
        }
    }
}

bool CWatchDir::ReadChanges(void* buffer, DWORD bytes, OVERLAPPED& overlapped) {
    return ::ReadDirectoryChangesW(m_directory.Get(), buffer, bytes, FALSE, m_filter, nullptr, &overlapped, nullptr) !=
           FALSE;
}

bool CWatchDir::DeliverAll() const {
    // A lost batch may have held any change of any file. Each file is reported once, as modified where that kind
    // is registered; its store compares the file's time and size, so a file that did not change costs a look.
    for (const auto& [name, kinds] : m_registrations) {
        if (kinds.empty()) {
            continue;
        }
        const auto modified = kinds.find(ChangeKind::Modified);
        const Registration& r = modified != kinds.end() ? modified->second : kinds.begin()->second;
        if (::IsWindow(r.window) && !::PostMessageW(r.window, r.message, r.wParam, r.lParam)) {
            return false;
        }
    }
    return true;
}

bool CWatchDir::Deliver(const void* buffer, DWORD bytes) const {
    for (const DirectoryChange& change : ParseDirectoryChanges(buffer, bytes)) {
        const std::optional<ChangeKind> kind = ChangeKindOfAction(change.action);
        if (!kind) {
            continue;
        }
        const std::optional<Registration> target = FindRegistration(change.name, *kind);
        if (!target || !::IsWindow(target->window)) {
            continue;
        }
        const Registration& r = *target;
        if (!::PostMessageW(r.window, r.message, r.wParam, r.lParam)) {
            return false;
        }
    }
    return true;
}

} // namespace transfer
