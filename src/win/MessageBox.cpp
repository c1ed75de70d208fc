#include "win/MessageBox.h"

#include "win/Handles.h"
#include "win/Strings.h"
#include "win/Subclass.h"

#include "resource.h"

#include <atomic>
#include <string>

namespace win {

namespace {

std::atomic<HWND> g_defaultOwner{nullptr};

// Centres the box on its owner when the box initialises, then lets go of it.
class CMsgBox : public CSubclassWindow {
public:
    explicit CMsgBox(HWND owner) noexcept : m_owner(owner) {}

    bool ProcessWindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg != WM_INITDIALOG) {
            return false;
        }
        result = DefSubclassProcedure(msg, wp, lp);
        CenterOn(m_owner);
        Unsubclass();
        return true;
    }

private:
    HWND m_owner;
};

struct BoxState {
    HHOOK hook = nullptr;
    CMsgBox* box = nullptr;
    bool subclassed = false;
};
thread_local BoxState t_box;

LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && !t_box.subclassed && t_box.box) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lp);
        const LONG style = create->lpcs->style;
        if ((style & WS_CAPTION) == WS_CAPTION && !(style & WS_CHILD)) {
            t_box.subclassed = true;
            (void)t_box.box->Subclass(reinterpret_cast<HWND>(wp));
        }
    }
    return ::CallNextHookEx(t_box.hook, code, wp, lp);
}

} // namespace

void SetDefaultMessageBoxOwner(HWND owner) noexcept { g_defaultOwner = owner; }
HWND GetDefaultMessageBoxOwner() noexcept { return g_defaultOwner; }
bool IsMessageBoxOpen() noexcept { return t_box.hook != nullptr; }

int MessageBoxFor(HWND owner, std::wstring_view text, UINT flags) {
    if (t_box.hook) {
        return IDABORT;
    }
    if (!owner || !::IsWindow(owner)) {
        owner = g_defaultOwner;
        if (owner && !::IsWindow(owner)) {
            owner = nullptr;
        }
    }
    const std::wstring caption = LoadStr(IDS_PRODUCT_NAME);
    const std::wstring body(text);

    const HWND previousFocus = ::GetFocus();
    if (owner) {
        ::SetFocus(owner);
    }
    CMsgBox box(owner);
    t_box.box = &box;
    t_box.subclassed = false;
    t_box.hook = ::SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, ::GetCurrentThreadId());
    const int result = ::MessageBoxW(owner, body.c_str(), caption.c_str(), flags);
    if (t_box.hook) {
        ::UnhookWindowsHookEx(t_box.hook);
    }
    t_box = {};
    if (previousFocus && ::IsWindow(previousFocus)) {
        ::SetFocus(previousFocus);
    }
    return result;
}

} // namespace win
