#pragma once
// The file thread and the communication thread: one job at a time, cancelled through a named break event.

#include "transfer/Jobs.h"
#include "transfer/MessageThread.h"

#include "win/Handles.h"

#include <memory>

namespace transfer {

// Named so that every instance opens the same two events: a cancel anywhere reaches a job anywhere.
inline constexpr wchar_t kFileBreakEventName[] = L"folivex file operation break event";
inline constexpr wchar_t kCommBreakEventName[] = L"folivex communication break event";

// How long a finished job waits before it is handed back, so the progress dialog is seen even for quick work.
constexpr DWORD kJobCompletionPauseMs = 400;

// Runs file jobs (copies, saves) one at a time off the window thread.
class CFileThread : public CMessageThreadT<CFileThread, COINIT_APARTMENTTHREADED> {
public:
    CFileThread();
    ~CFileThread() override;

    // True when the worker took the job (the pointer is then empty); false leaves it with the caller.
    [[nodiscard]] bool Submit(std::unique_ptr<CFileOpe>& job);
    // Sets the shared break event; a job that starts later clears it again.
    [[nodiscard]] bool Cancel();

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnFileJob(WPARAM wParam) noexcept;

    win::CHandle m_breakEvent;
};

// Runs download jobs one at a time off the window thread.
class CCommThread : public CMessageThreadT<CCommThread, COINIT_APARTMENTTHREADED> {
public:
    CCommThread();
    ~CCommThread() override;

    [[nodiscard]] bool Submit(std::unique_ptr<CComm>& job);
    [[nodiscard]] bool Cancel();
    // Ends a running download at once, as cancelled (without the break event, which the other instances
    // share), then stops the thread as every worker stops.
    [[nodiscard]] bool Stop();

    bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnCommJob(WPARAM wParam) noexcept;

    win::CHandle m_breakEvent;
    // Set only while Stop runs.
    win::CHandle m_stopEvent;
};

} // namespace transfer
