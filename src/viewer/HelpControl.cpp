#include "viewer/HelpControl.h"

#include "viewer/HHWindows.h"
#include "win/Strings.h"

namespace viewer {
namespace {

constexpr UINT kHhInitialize = 28;
constexpr UINT kHhUninitialize = 29;
constexpr UINT kHhCloseAll = 18;

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

struct Binding {
    HMODULE module = nullptr;
    HtmlHelpFn entry = nullptr;
    DWORD cookie = 0;
    // The control may leave the cookie at 0 although it initialised (it does on some platforms): what
    // matters for the matching uninitialise is that the call was made.
    bool initialised = false;
    HHOOK hook = nullptr;
    HWND caller = nullptr;
};

Binding& State() {
    static Binding binding;
    return binding;
}

void RemoveHook() {
    Binding& binding = State();
    if (binding.hook) {
        ::UnhookWindowsHookEx(binding.hook);
        binding.hook = nullptr;
    }
}

// Wraps the viewer frame the moment it exists, before its creation messages, so the control never sees it as
// a top-level window it could show on its own.
LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        // Nothing may escape into the system's code that calls the hook.
        try {
            const HWND window = reinterpret_cast<HWND>(wp);
            if (win::EqualsNoCaseAscii(win::CWindow(window).GetClassName(), L"HH Parent")) {
                AttachWrapper<CHHParent>(window, State().caller);
            }
        } catch (...) {
        }
    }
    return ::CallNextHookEx(State().hook, code, wp, lp);
}

} // namespace

bool CHHFile::SetCommand(UINT command) noexcept {
    if (command > kDisplaySearch) {
        return false;
    }
    m_command = command;
    return true;
}

std::wstring CHHFile::BuildArgument() const {
    if (m_file.empty()) {
        return {};
    }
    std::wstring argument = m_file;
    if (!m_topic.empty()) {
        argument += L"::";
        argument += m_topic;
    }
    if (!m_window.empty()) {
        argument += L" > ";
        argument += m_window;
    }
    return argument;
}

bool LoadViewer() {
    Binding& binding = State();
    if (binding.module) {
        UnloadViewer();
        return false;
    }
    binding.module = ::LoadLibraryW(L"hhctrl.ocx");
    if (binding.module) {
        binding.entry =
            reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(::GetProcAddress(binding.module, "HtmlHelpW")));
    }
    if (!binding.entry) {
        UnloadViewer();
        return false;
    }
    binding.cookie = 0;
    binding.entry(nullptr, nullptr, kHhInitialize, reinterpret_cast<DWORD_PTR>(&binding.cookie));
    binding.initialised = true;
    return true;
}

bool UnloadViewer() {
    Binding& binding = State();
    if (binding.initialised && binding.entry) {
        binding.entry(nullptr, nullptr, kHhUninitialize, binding.cookie);
    }
    binding.initialised = false;
    binding.cookie = 0;
    binding.entry = nullptr;
    if (binding.module) {
        // Every reference the process holds, so the next open starts from a fresh control.
        while (::FreeLibrary(binding.module)) {
        }
        binding.module = nullptr;
    }
    RemoveHook();
    return true;
}

bool IsViewerLoaded() noexcept {
    return State().entry != nullptr;
}

HWND OpenInViewer(HWND caller, const CHHFile& request) {
    Binding& binding = State();
    const std::wstring argument = request.BuildArgument();
    if (!binding.entry || argument.empty()) {
        return nullptr;
    }
    RemoveHook();
    binding.hook = ::SetWindowsHookExW(WH_CBT, CreationHook, nullptr, ::GetCurrentThreadId());
    if (!binding.hook) {
        return nullptr;
    }
    binding.caller = caller;
    const HWND frame = binding.entry(caller, argument.c_str(), request.GetCommand(), 0);
    binding.caller = nullptr;
    RemoveHook();
    return frame;
}

bool IsOpeningViewer() noexcept {
    return State().caller != nullptr;
}

void CloseAllViewers() {
    if (State().entry) {
        State().entry(nullptr, nullptr, kHhCloseAll, 0);
    }
}

} // namespace viewer
