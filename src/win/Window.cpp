#include "win/Window.h"

#include "win/Module.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <utility>

namespace win {

std::wstring CWindow::GetText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

bool CWindow::SetText(std::wstring_view text) const {
    const std::wstring copy(text);
    return ::SetWindowTextW(m_hWnd, copy.c_str()) != FALSE;
}

std::wstring CWindow::GetClassName() const {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(m_hWnd, name, 256);
    return std::wstring(name, static_cast<size_t>(std::max(length, 0)));
}

RECT CWindow::GetClientRect() const noexcept {
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

RECT CWindow::GetWindowRect() const noexcept {
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    return rc;
}

bool CWindow::Move(const RECT& rc, bool repaint) const noexcept {
    return ::MoveWindow(m_hWnd, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, repaint) != FALSE;
}

bool CWindow::SetPos(HWND after, const RECT& rc, UINT flags) const noexcept {
    return ::SetWindowPos(m_hWnd, after, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, flags) != FALSE;
}

bool CWindow::Destroy() noexcept {
    if (!m_hWnd) {
        return false;
    }
    return ::DestroyWindow(m_hWnd) != FALSE;
}

bool CWindow::CenterOn(HWND owner) const noexcept {
    if (!owner) {
        owner = ::GetWindow(m_hWnd, GW_OWNER);
    }
    const RECT self = GetWindowRect();
    RECT area{};
    HMONITOR monitor = ::MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) {
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    }
    area = info.rcWork;
    RECT center = area;
    if (owner && ::IsWindow(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &center);
    }
    const LONG width = self.right - self.left;
    const LONG height = self.bottom - self.top;
    LONG x = center.left + ((center.right - center.left) - width) / 2;
    LONG y = center.top + ((center.bottom - center.top) - height) / 2;
    // Keep the whole window on the work area so its caption can always be reached.
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    return ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

namespace {

// The object whose window is being created on this thread: it claims the first message of the new window.
thread_local CWindowImpl* t_creating = nullptr;

bool RegisterOnce(const WindowClassInfo& info, WNDPROC startProc) {
    static std::mutex lock;
    static std::set<std::wstring> registered;
    std::lock_guard guard(lock);
    if (registered.count(info.name)) {
        return true;
    }
    const HINSTANCE instance = CAppModule::Instance();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = info.style;
    // Each window starts in startProc, which hands it to the object being created on this thread.
    wc.lpfnWndProc = startProc;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = instance;
    wc.hCursor = info.cursor ? ::LoadCursorW(nullptr, info.cursor) : nullptr;
    wc.hbrBackground = info.background;
    wc.lpszClassName = info.name;
    if (info.iconId) {
        const HINSTANCE res = CAppModule::ResourceInstance();
        wc.hIcon = static_cast<HICON>(::LoadImageW(res, MAKEINTRESOURCEW(info.iconId), IMAGE_ICON,
                                                   ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0));
        wc.hIconSm = static_cast<HICON>(::LoadImageW(res, MAKEINTRESOURCEW(info.iconId), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0));
    }
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    registered.insert(info.name);
    return true;
}

} // namespace

CWindowImpl::~CWindowImpl() {
    // An owner that forgets to destroy its window must not leave a dangling object behind the handle.
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrW(m_hWnd, 0, 0);
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(::DefWindowProcW));
        ::DestroyWindow(m_hWnd);
    }
}

HWND CWindowImpl::Create(HWND parent, const RECT* rect, std::wstring_view title, DWORD style, DWORD exStyle,
                         HMENU menuOrId, void* createParam) {
    if (m_hWnd) {
        return nullptr;
    }
    const WindowClassInfo info = GetWindowClassInfo();
    if (!info.name || !RegisterOnce(info, &StartWindowProc)) {
        return nullptr;
    }
    m_destroyed = false;
    const std::wstring text(title);
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, cx = CW_USEDEFAULT, cy = CW_USEDEFAULT;
    if (rect) {
        x = rect->left;
        y = rect->top;
        cx = rect->right - rect->left;
        cy = rect->bottom - rect->top;
    } else if (style & WS_CHILD) {
        x = y = cx = cy = 0;
    }
    struct Restore {
        CWindowImpl* previous;
        ~Restore() { t_creating = previous; }
    } restore{std::exchange(t_creating, this)};
    // Nothing of this object is touched once the call returns: when WM_CREATE is refused the window is
    // destroyed inside it, its final-message hook has run (and may have deleted the object), and the dispatch
    // has already cleared m_hWnd.
    return ::CreateWindowExW(exStyle, info.name, text.c_str(), style, x, y, cx, cy, parent, menuOrId,
                             CAppModule::Instance(), createParam);
}

CWindowImpl* CWindowImpl::FromHandle(HWND hwnd) noexcept {
    if (!hwnd || ::GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&WindowProc)) {
        return nullptr;
    }
    return reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrW(hwnd, 0));
}

LRESULT CALLBACK CWindowImpl::StartWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    CWindowImpl* self = t_creating;
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    t_creating = nullptr;
    self->m_hWnd = hwnd;
    ::SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    return self->Dispatch(hwnd, msg, wp, lp);
}

LRESULT CALLBACK CWindowImpl::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<CWindowImpl*>(::GetWindowLongPtrW(hwnd, 0));
    if (!self) {
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->Dispatch(hwnd, msg, wp, lp);
}

LRESULT CWindowImpl::DefWindowProcedure(UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

LRESULT CWindowImpl::Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    ++m_dispatchDepth;
    LRESULT result = 0;
    bool handled = false;
    // No exception may cross the window procedure: a handler that throws counts as unhandled.
    try {
        handled = ProcessWindowMessage(hwnd, msg, wp, lp, result);
    } catch (...) {
        handled = false;
        result = 0;
    }
    if (!handled) {
        result = DefWindowProcedure(msg, wp, lp);
    }
    if (msg == WM_NCDESTROY) {
        m_destroyed = true;
    }
    if (--m_dispatchDepth == 0 && m_destroyed) {
        // Detach first: OnFinalMessage may delete this object.
        ::SetWindowLongPtrW(hwnd, 0, 0);
        m_hWnd = nullptr;
        m_destroyed = false;
        OnFinalMessage(hwnd);
    }
    return result;
}

} // namespace win
