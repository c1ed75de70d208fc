#pragma once
// Watches one folder on a worker thread and posts a registered message for each change of a registered file.

#include "transfer/MessageThread.h"

#include "win/Handles.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace transfer {

// What happened to a file; the values are those the watcher's registrations are keyed by.
enum class ChangeKind : int {
    Added = 1,
    Removed = 2,
    Modified = 3,
    Renamed = 4,
};

// One change record of the system's notification buffer.
struct DirectoryChange {
    std::wstring name;
    DWORD action;
};

// The records of a notification buffer of `bytes` bytes, in order. A buffer the system reported as
// overflowed (0 bytes) holds nothing, and a record that would run past the end ends the walk.
std::vector<DirectoryChange> ParseDirectoryChanges(const void* buffer, DWORD bytes);

// Both halves of a rename count as a rename; actions the watcher does not know give nothing.
std::optional<ChangeKind> ChangeKindOfAction(DWORD action) noexcept;

// Names are matched without regard to case, as the file system treats them.
std::wstring FoldFileName(std::wstring_view name);

// The folder watcher: registrations first, then Start; Stop ends the watch and forgets the registrations.
class CWatchDir : public CMessageThreadT<CWatchDir, COINIT_APARTMENTTHREADED> {
public:
    // A message to post.
    struct Registration {
        HWND window = nullptr;
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };

    CWatchDir() = default;
    ~CWatchDir() override;

    // Only while stopped, and only for a live window; a second registration of a name and kind replaces it.
    [[nodiscard]] bool Register(std::wstring_view fileName, ChangeKind kind, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam);
    // Where to post once when the watch fails; same conditions as Register.
    [[nodiscard]] bool SetErrorTarget(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The registration a change of this name and kind posts. The whole reported name must match, so a name
    // inside a subfolder ("sub\chmhist.xml") never finds the registration of the file itself.
    [[nodiscard]] std::optional<Registration> FindRegistration(std::wstring_view fileName, ChangeKind kind) const;

    // Returns once the first directory read is issued, so a change made right after a successful start is
    // reported. A folder that opens but whose changes cannot be read still starts: the error target hears of it
    // once, and the thread idles until stopped. Fails for a folder that does not open; calling it while a watch
    // runs stops that watch and fails.
    [[nodiscard]] bool Start(const std::wstring& folder, DWORD filter);
    // Always forgets the registrations; false when the thread could not be told to end.
    [[nodiscard]] bool Stop();

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    // Issues one overlapped read of the folder's changes into the buffer: the system's directory read, replaced
    // only by tests that need a refused read or a lost batch. A class replacing it stops the watch in its own
    // destructor.
    [[nodiscard]] virtual bool ReadChanges(void* buffer, DWORD bytes, OVERLAPPED& overlapped);

private:
    enum class LoopEnd { Stopped, Failed };

    [[nodiscard]] bool IsWatching() const noexcept;
    void OnWatchStart() noexcept;
    LoopEnd WatchLoop();
    // Posts every registered change of one batch; false when a post to a live window failed.
    [[nodiscard]] bool Deliver(const void* buffer, DWORD bytes) const;
    // Posts one registration of every file, for a batch the system lost; false as for Deliver.
    [[nodiscard]] bool DeliverAll() const;
    void ForgetAll() noexcept;

    win::CFileHandleRaii m_directory;
    win::CHandle m_changeEvent;
    win::CHandle m_stopEvent;
    DWORD m_filter = 0;
    std::map<std::wstring, std::map<ChangeKind, Registration>> m_registrations;
    Registration m_errorTarget;
    // Set by the worker once its first read is pending, or once the watch ended before it could be.
    win::CHandle m_armedEvent;
};

} // namespace transfer
