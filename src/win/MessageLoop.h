#pragma once
// The thread's message loop with message filters (keyboard translation before dispatch) and idle handlers.

#include <windows.h>

#include <vector>

namespace win {

class CMessageFilter {
public:
    // True when the message was handled and must not be translated or dispatched.
    virtual bool PreTranslateMessage(MSG& msg) = 0;

protected:
    ~CMessageFilter() = default;
};

class CIdleHandler {
public:
    virtual void OnIdle() = 0;

protected:
    ~CIdleHandler() = default;
};

class CMessageLoop {
public:
    CMessageLoop() = default;
    CMessageLoop(const CMessageLoop&) = delete;
    CMessageLoop& operator=(const CMessageLoop&) = delete;
    virtual ~CMessageLoop() = default;

    // Adding the same object twice is refused; removing an object that is not there reports false.
    bool AddMessageFilter(CMessageFilter* filter);
    bool RemoveMessageFilter(CMessageFilter* filter);
    bool AddIdleHandler(CIdleHandler* handler);
    bool RemoveIdleHandler(CIdleHandler* handler);

    // Runs until WM_QUIT and returns its exit code.
    int Run();

    // The newest filter is asked first, so a modeless window added later sees its keys before the frame.
    virtual bool PreTranslateMessage(MSG& msg);
    virtual void OnIdle();

    // Messages after which the idle handlers run again (mouse moves and timers alone do not count).
    static bool IsIdleMessage(const MSG& msg) noexcept;

private:
    std::vector<CMessageFilter*> m_filters;
    std::vector<CIdleHandler*> m_idleHandlers;
};

} // namespace win
