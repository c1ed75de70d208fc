#include "win/Subclass.h"

namespace win {

namespace {
// One subclass id for all our wrappers: the object pointer in the reference data tells them apart.
constexpr UINT_PTR kSubclassId = 0x464C5658; // "FLVX"
// Marks a window that one of our objects subclasses (the lookup of a subclass by id is not exported by name).
constexpr wchar_t kMarker[] = L"folivex.subclassed";
} // namespace

CSubclassWindow::~CSubclassWindow() {
    Unsubclass();
}

bool CSubclassWindow::Subclass(HWND hwnd) {
    if (m_hWnd || !hwnd || !::IsWindow(hwnd)) {
        return false;
    }
    // One of our objects per window: a second one would silently take the window over from the first.
    if (::GetPropW(hwnd, kMarker) || !::SetPropW(hwnd, kMarker, reinterpret_cast<HANDLE>(this))) {
        return false;
    }
    if (!::SetWindowSubclass(hwnd, &SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        ::RemovePropW(hwnd, kMarker);
        return false;
    }
    m_hWnd = hwnd;
    return true;
}

bool CSubclassWindow::Unsubclass() {
    if (!m_hWnd) {
        return false;
    }
    const bool ok = ::RemoveWindowSubclass(m_hWnd, &SubclassProc, kSubclassId) != FALSE;
    ::RemovePropW(m_hWnd, kMarker);
    m_hWnd = nullptr;
    return ok;
}

LRESULT CALLBACK CSubclassWindow::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<CSubclassWindow*>(ref);
    if (!self || self->m_hWnd != hwnd) {
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    ++self->m_dispatchDepth;
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->ProcessWindowMessage(hwnd, msg, wp, lp, result);
    } catch (...) {
        handled = false;
    }
    if (!handled) {
        result = ::DefSubclassProc(hwnd, msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        self->m_release = true;
    }
    if (--self->m_dispatchDepth == 0 && self->m_release) {
        self->m_release = false;
        if (self->m_hWnd == hwnd) {
            self->Unsubclass();
        }
        self->OnFinalMessage(hwnd);
    }
    return result;
}

} // namespace win
