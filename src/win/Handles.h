#pragma once
// Move-only owners of Win32 handles, GDI objects, menus, registry keys, modules and COM pointers.
// Each has an explicit Close() whose result can be checked, and closes silently in its destructor.

#include <windows.h>
#include <unknwn.h>

#include <utility>

namespace win {

// Traits describe the invalid value and how to close; CUniqueHandle does the ownership.
template <class Traits>
class CUniqueHandle {
public:
    using handle_type = typename Traits::handle_type;

    CUniqueHandle() noexcept = default;
    explicit CUniqueHandle(handle_type h) noexcept : m_h(h) {}
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Detach()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) {
            (void)Close();
            m_h = other.Detach();
        }
        return *this;
    }
    ~CUniqueHandle() { (void)Close(); }

    [[nodiscard]] handle_type Get() const noexcept { return m_h; }
    [[nodiscard]] bool IsValid() const noexcept { return m_h != Traits::Invalid(); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Returns false when the platform refused to close the handle; the handle is forgotten either way.
    [[nodiscard]] bool Close() noexcept {
        if (!IsValid()) {
            return true;
        }
        const bool ok = Traits::Close(m_h);
        m_h = Traits::Invalid();
        return ok;
    }
    void Reset(handle_type h = Traits::Invalid()) noexcept {
        (void)Close();
        m_h = h;
    }
    [[nodiscard]] handle_type Detach() noexcept { return std::exchange(m_h, Traits::Invalid()); }
    // For out-parameters of creating functions; the old handle is closed first.
    handle_type* Receive() noexcept {
        (void)Close();
        return &m_h;
    }

private:
    handle_type m_h = Traits::Invalid();
};

struct KernelHandleTraits {
    using handle_type = HANDLE;
    static HANDLE Invalid() noexcept { return nullptr; }
    static bool Close(HANDLE h) noexcept { return ::CloseHandle(h) != FALSE; }
};
// File handles use INVALID_HANDLE_VALUE for "none".
struct FileHandleTraits {
    using handle_type = HANDLE;
    static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE h) noexcept { return ::CloseHandle(h) != FALSE; }
};
struct RegKeyTraits {
    using handle_type = HKEY;
    static HKEY Invalid() noexcept { return nullptr; }
    static bool Close(HKEY h) noexcept { return ::RegCloseKey(h) == ERROR_SUCCESS; }
};
struct MenuTraits {
    using handle_type = HMENU;
    static HMENU Invalid() noexcept { return nullptr; }
    static bool Close(HMENU h) noexcept { return ::DestroyMenu(h) != FALSE; }
};
struct ModuleTraits {
    using handle_type = HMODULE;
    static HMODULE Invalid() noexcept { return nullptr; }
    static bool Close(HMODULE h) noexcept { return ::FreeLibrary(h) != FALSE; }
};
struct HookTraits {
    using handle_type = HHOOK;
    static HHOOK Invalid() noexcept { return nullptr; }
    static bool Close(HHOOK h) noexcept { return ::UnhookWindowsHookEx(h) != FALSE; }
};
struct IconTraits {
    using handle_type = HICON;
    static HICON Invalid() noexcept { return nullptr; }
    static bool Close(HICON h) noexcept { return ::DestroyIcon(h) != FALSE; }
};
template <class T>
struct GdiTraits {
    using handle_type = T;
    static T Invalid() noexcept { return nullptr; }
    static bool Close(T h) noexcept { return ::DeleteObject(h) != FALSE; }
};
struct DcTraits {
    using handle_type = HDC;
    static HDC Invalid() noexcept { return nullptr; }
    static bool Close(HDC h) noexcept { return ::DeleteDC(h) != FALSE; }
};

using CHandle = CUniqueHandle<KernelHandleTraits>;
using CFileHandleRaii = CUniqueHandle<FileHandleTraits>;
using CRegKey = CUniqueHandle<RegKeyTraits>;
using CMenu = CUniqueHandle<MenuTraits>;
using CLibrary = CUniqueHandle<ModuleTraits>;
using CHook = CUniqueHandle<HookTraits>;
using CIcon = CUniqueHandle<IconTraits>;
using CBitmap = CUniqueHandle<GdiTraits<HBITMAP>>;
using CFont = CUniqueHandle<GdiTraits<HFONT>>;
using CBrush = CUniqueHandle<GdiTraits<HBRUSH>>;
using CPen = CUniqueHandle<GdiTraits<HPEN>>;
using CDC = CUniqueHandle<DcTraits>;

// Owning COM pointer: AddRef on copy-in, Release on close.
template <class T>
class CComPtr {
public:
    CComPtr() noexcept = default;
    CComPtr(std::nullptr_t) noexcept {}
    CComPtr(const CComPtr& other) noexcept : m_p(other.m_p) {
        if (m_p) {
            m_p->AddRef();
        }
    }
    CComPtr(CComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    CComPtr& operator=(CComPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~CComPtr() { Close(); }

    // Takes over a reference the caller already owns.
    static CComPtr Attach(T* p) noexcept {
        CComPtr c;
        c.m_p = p;
        return c;
    }
    void Close() noexcept {
        if (T* p = std::exchange(m_p, nullptr)) {
            p->Release();
        }
    }
    T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    T** Receive() noexcept {
        Close();
        return &m_p;
    }
    void** ReceiveVoid() noexcept { return reinterpret_cast<void**>(Receive()); }
    [[nodiscard]] T* Detach() noexcept { return std::exchange(m_p, nullptr); }

private:
    T* m_p = nullptr;
};

// Restores a DC's selected object when the scope ends.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ obj) noexcept : m_dc(dc), m_old(::SelectObject(dc, obj)) {}
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    ~CSelectObject() {
        if (m_old) {
            ::SelectObject(m_dc, m_old);
        }
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace win
