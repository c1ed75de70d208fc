#pragma once
// CWindow: a non-owning handle with convenience calls. CWindowImpl: an owning window of a class we register,
// whose messages go to the virtual ProcessWindowMessage of the object.

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

class CWindow {
public:
    CWindow(HWND hwnd = nullptr) noexcept : m_hWnd(hwnd) {}

    HWND m_hWnd;

    operator HWND() const noexcept { return m_hWnd; }
    [[nodiscard]] bool IsWindow() const noexcept { return m_hWnd && ::IsWindow(m_hWnd); }

    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const noexcept { return ::SendMessageW(m_hWnd, msg, wp, lp); }
    bool Post(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const noexcept {
        return ::PostMessageW(m_hWnd, msg, wp, lp) != FALSE;
    }

    [[nodiscard]] std::wstring GetText() const;
    bool SetText(std::wstring_view text) const;
    [[nodiscard]] std::wstring GetClassName() const;

    HWND GetParent() const noexcept { return ::GetParent(m_hWnd); }
    HWND GetDlgItem(int id) const noexcept { return ::GetDlgItem(m_hWnd, id); }
    LONG_PTR GetStyle() const noexcept { return ::GetWindowLongPtrW(m_hWnd, GWL_STYLE); }
    LONG_PTR GetExStyle() const noexcept { return ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE); }
    RECT GetClientRect() const noexcept;
    RECT GetWindowRect() const noexcept;

    bool Show(int cmd) const noexcept { return ::ShowWindow(m_hWnd, cmd) != FALSE; }
    bool Enable(bool enable) const noexcept { return ::EnableWindow(m_hWnd, enable) != FALSE; }
    bool IsVisible() const noexcept { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool IsEnabled() const noexcept { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    bool Move(const RECT& rc, bool repaint = true) const noexcept;
    bool SetPos(HWND after, const RECT& rc, UINT flags) const noexcept;
    bool Invalidate(bool erase = true) const noexcept { return ::InvalidateRect(m_hWnd, nullptr, erase) != FALSE; }
    bool Update() const noexcept { return ::UpdateWindow(m_hWnd) != FALSE; }
    HWND Focus() const noexcept { return ::SetFocus(m_hWnd); }
    bool Destroy() noexcept;

    // Centres the window on `owner` (or its owner, or the work area), kept inside the owner's monitor.
    bool CenterOn(HWND owner = nullptr) const noexcept;
};

// The message map of a window object: true when the message was handled, with its result in `result`.
class CMessageMap {
public:
    virtual bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;

protected:
    ~CMessageMap() = default;
};

struct WindowClassInfo {
    const wchar_t* name = nullptr;
    UINT style = CS_DBLCLKS;
    HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    UINT iconId = 0; // a resource of the module, or none
    LPCWSTR cursor = IDC_ARROW;
};

class CWindowImpl : public CWindow, public CMessageMap {
public:
    CWindowImpl() noexcept = default;
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;
    virtual ~CWindowImpl();

    // Registers the class on first use and creates the window; nullptr when creation failed.
    HWND Create(HWND parent, const RECT* rect, std::wstring_view title, DWORD style, DWORD exStyle = 0,
                HMENU menuOrId = nullptr, void* createParam = nullptr);

    // The object behind one of our windows, or nullptr.
    static CWindowImpl* FromHandle(HWND hwnd) noexcept;

protected:
    virtual WindowClassInfo GetWindowClassInfo() const = 0;
    virtual LRESULT DefWindowProcedure(UINT msg, WPARAM wp, LPARAM lp);
    // Called once the window is gone and no message of it is being dispatched; may delete the object.
    virtual void OnFinalMessage(HWND) {}

private:
    static LRESULT CALLBACK StartWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    int m_dispatchDepth = 0;
    bool m_destroyed = false;
};

} // namespace win
