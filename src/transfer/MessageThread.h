#pragma once
// A worker thread with its own message queue, run by the same message loop class as the window thread.

#include "win/Handles.h"
#include "win/MessageLoop.h"

#include <windows.h>
#include <objbase.h>

#include <type_traits>
#include <utility>

namespace transfer {

// Thread messages of the three workers; wParam of the two job messages owns the job.
constexpr UINT WM_APP_FILE_JOB = WM_APP + 0x101;
constexpr UINT WM_APP_COMM_JOB = WM_APP + 0x201;
constexpr UINT WM_APP_WATCH_START = WM_APP + 0x301;

// The thread, its queue and its loop; T is the worker, t_coInit the COM model its thread runs in.
template <class T, int t_coInit> class CMessageThreadT : public win::CMessageLoop {
public:
    CMessageThreadT() = default;
    // A worker must be stopped by its own class's destructor: by the time this one runs, the message map of
    // the derived class is gone, so this is only the last guard against a thread left on a dead object.
    ~CMessageThreadT() override { (void)CMessageThreadT::Stop(); }

    // Starts the thread and returns once its queue exists, so a post right after a successful start cannot
    // fail for want of a queue. False (and no thread) when the thread, its priority or COM cannot be set up.
    [[nodiscard]] bool Start(int priority) {
        static_assert(std::is_base_of_v<CMessageThreadT, T>, "T is the worker deriving from this template");
        if (m_thread) {
            return false;
        }
        if (!m_ready) {
            m_ready.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        }
        if (!m_ready || !::ResetEvent(m_ready.Get())) {
            return false;
        }
        DWORD id = 0;
        win::CHandle thread(::CreateThread(nullptr, 0, &CMessageThreadT::ThreadProc, this, 0, &id));
        if (!thread) {
            return false;
        }
        const HANDLE waits[] = {m_ready.Get(), thread.Get()};
        const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woken == WAIT_OBJECT_0 + 1) {
            // The thread ended before its loop ran: COM refused it.
            return false;
        }
        m_thread = std::move(thread);
        m_threadId = id;
        if (woken != WAIT_OBJECT_0) {
            (void)Stop();
            return false;
        }
        if (!::SetThreadPriority(m_thread.Get(), priority)) {
            (void)Stop();
            return false;
        }
        return true;
    }

    [[nodiscard]] bool IsRunning() const noexcept { return m_thread.IsValid(); }
    [[nodiscard]] DWORD GetThreadId() const noexcept { return m_threadId; }

    [[nodiscard]] bool Post(UINT message, WPARAM wParam, LPARAM lParam) const noexcept {
        return m_threadId != 0 && ::PostThreadMessageW(m_threadId, message, wParam, lParam) != FALSE;
    }

    // Queues the quit message behind any job already queued and waits for the thread to end. A thread that
    // has already died cannot be told to quit: it is released and reported as a failure.
    [[nodiscard]] bool Stop() noexcept {
        if (!m_thread || ::GetCurrentThreadId() == m_threadId) {
            return false;
        }
        if (!Post(WM_QUIT, 0, 0)) {
            if (::WaitForSingleObject(m_thread.Get(), 0) == WAIT_OBJECT_0) {
                (void)m_thread.Close();
                m_threadId = 0;
            }
            return false;
        }
        (void)::WaitForSingleObject(m_thread.Get(), INFINITE);
        (void)m_thread.Close();
        m_threadId = 0;
        return true;
    }

    // Filters first (workers register none); whatever they leave goes to the worker's message map. A worker
    // message is never translated or dispatched: thread messages have no window to go to.
    bool PreTranslateMessage(MSG& msg) override {
        if (win::CMessageLoop::PreTranslateMessage(msg)) {
            return true;
        }
        LRESULT result = 0;
        try {
            (void)ProcessWindowMessage(msg.hwnd, msg.message, msg.wParam, msg.lParam, result);
        } catch (...) {
            // A handler that throws loses its message, not the thread: the next job still runs.
        }
        return true;
    }

    void OnIdle() override { win::CMessageLoop::OnIdle(); }

    // The worker's message map: true when the message was its own.
    virtual bool ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

private:
    static DWORD WINAPI ThreadProc(LPVOID param) {
        auto* self = static_cast<CMessageThreadT*>(param);
        MSG msg{};
        // Touching the queue creates it; only then may Start report the thread ready.
        (void)::PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        const HRESULT com = ::CoInitializeEx(nullptr, static_cast<DWORD>(t_coInit));
        if (FAILED(com)) {
            return 0;
        }
        ::SetEvent(self->m_ready.Get());
        int code = 0;
        try {
            code = self->Run();
        } catch (...) {
            code = 0;
        }
        ::CoUninitialize();
        return static_cast<DWORD>(code);
    }

    win::CHandle m_thread;
    DWORD m_threadId = 0;
    // Set by the thread once its queue exists and COM is up.
    win::CHandle m_ready;
};

} // namespace transfer
