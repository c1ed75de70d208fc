#include "ToolsTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {
CModalScript* g_script = nullptr;
} // namespace

CModalScript::CModalScript(std::function<bool()> step, std::function<void()> bail, DWORD timeoutMs)
    : m_step(std::move(step)), m_bail(std::move(bail)), m_deadline(::GetTickCount64() + timeoutMs),
      m_timer(::SetTimer(nullptr, 0, 20, &TimerProc)) {
    g_script = this;
}

CModalScript::~CModalScript() {
    ::KillTimer(nullptr, m_timer);
    g_script = nullptr;
}

void CALLBACK CModalScript::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    CModalScript* self = g_script;
    // A step may open a message box, whose loop fires the timer again: one step at a time.
    if (!self || self->m_running || self->m_finished) {
        return;
    }
    self->m_running = true;
    if (self->m_timedOut || ::GetTickCount64() >= self->m_deadline) {
        self->m_timedOut = true;
        self->m_bail();
    } else {
        self->m_finished = self->m_step();
    }
    self->m_running = false;
}

namespace {
// Enumeration callbacks need the platform's calling convention, which a lambda does not have on x86.
BOOL CALLBACK FindOwned(HWND hwnd, LPARAM lp) {
    auto* search = reinterpret_cast<std::pair<HWND, HWND>*>(lp);
    wchar_t name[16] = {};
    ::GetClassNameW(hwnd, name, 16);
    if (std::wstring(name) == L"#32770" && ::GetWindow(hwnd, GW_OWNER) == search->first && ::IsWindowVisible(hwnd)) {
        search->second = hwnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND FindOwnedDialog(HWND owner) {
    std::pair<HWND, HWND> search{owner, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindOwned, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::wstring WindowText(HWND hwnd) {
    const int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

bool HasVisibleStyle(HWND hwnd) {
    return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

LONG CentreDistance(HWND a, HWND b) {
    RECT ra{}, rb{};
    ::GetWindowRect(a, &ra);
    ::GetWindowRect(b, &rb);
    return std::max(std::labs((ra.left + ra.right) / 2 - (rb.left + rb.right) / 2),
                    std::labs((ra.top + ra.bottom) / 2 - (rb.top + rb.bottom) / 2));
}
