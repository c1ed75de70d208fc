#include "win/MessageLoop.h"

#include "win/Module.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace win {

namespace {

template <class T>
bool AddUnique(std::vector<T*>& list, T* item) {
    if (!item || std::find(list.begin(), list.end(), item) != list.end()) {
        return false;
    }
    list.push_back(item);
    return true;
}

template <class T>
bool RemoveItem(std::vector<T*>& list, T* item) {
    const auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end()) {
        return false;
    }
    list.erase(it);
    return true;
}

struct ModuleState {
    std::mutex lock;
    HINSTANCE instance = nullptr;
    std::map<DWORD, CMessageLoop*> loops;
};

ModuleState& State() {
    static ModuleState state;
    return state;
}

} // namespace

bool CMessageLoop::AddMessageFilter(CMessageFilter* filter) { return AddUnique(m_filters, filter); }
bool CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) { return RemoveItem(m_filters, filter); }
bool CMessageLoop::AddIdleHandler(CIdleHandler* handler) { return AddUnique(m_idleHandlers, handler); }
bool CMessageLoop::RemoveIdleHandler(CIdleHandler* handler) { return RemoveItem(m_idleHandlers, handler); }

bool CMessageLoop::PreTranslateMessage(MSG& msg) {
    // A filter may remove itself (or another) while it runs: walk a snapshot and skip the removed ones.
    const std::vector<CMessageFilter*> filters = m_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if (std::find(m_filters.begin(), m_filters.end(), *it) == m_filters.end()) {
            continue;
        }
        if ((*it)->PreTranslateMessage(msg)) {
            return true;
        }
    }
    return false;
}

void CMessageLoop::OnIdle() {
    const std::vector<CIdleHandler*> handlers = m_idleHandlers;
    for (CIdleHandler* handler : handlers) {
        if (std::find(m_idleHandlers.begin(), m_idleHandlers.end(), handler) != m_idleHandlers.end()) {
            handler->OnIdle();
        }
    }
}

bool CMessageLoop::IsIdleMessage(const MSG& msg) noexcept {
    switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case WM_TIMER:
    case 0x0118: // WM_SYSTIMER: the caret blink
        return false;
    default:
        return true;
    }
}

int CMessageLoop::Run() {
    bool doIdle = true;
    MSG msg{};
    for (;;) {
        if (doIdle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            OnIdle();
            doIdle = false;
        }
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) {
            continue;
        }
        if (!got) {
            break;
        }
        if (!PreTranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        if (IsIdleMessage(msg)) {
            doIdle = true;
        }
    }
    return static_cast<int>(msg.wParam);
}

bool CAppModule::Init(HINSTANCE instance) noexcept {
    ModuleState& state = State();
    std::lock_guard guard(state.lock);
    state.instance = instance ? instance : ::GetModuleHandleW(nullptr);
    return state.instance != nullptr;
}

void CAppModule::Term() noexcept {
    ModuleState& state = State();
    std::lock_guard guard(state.lock);
    state.loops.clear();
}

HINSTANCE CAppModule::Instance() noexcept {
    ModuleState& state = State();
    std::lock_guard guard(state.lock);
    return state.instance ? state.instance : ::GetModuleHandleW(nullptr);
}

HINSTANCE CAppModule::ResourceInstance() noexcept { return Instance(); }

bool CAppModule::AddMessageLoop(CMessageLoop* loop) {
    ModuleState& state = State();
    std::lock_guard guard(state.lock);
    return loop && state.loops.emplace(::GetCurrentThreadId(), loop).second;
}

bool CAppModule::RemoveMessageLoop() {
    ModuleState& state = State();
    std::lock_guard guard(state.lock);
    return state.loops.erase(::GetCurrentThreadId()) != 0;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) {
    ModuleState& state = State();
    std::lock_guard guard(state.lock);
    const auto it = state.loops.find(threadId);
    return it == state.loops.end() ? nullptr : it->second;
}

} // namespace win
