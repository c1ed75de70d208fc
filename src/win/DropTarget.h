#pragma once
// Accepting OLE drops: a window embeds a CDgDpTarget handler and registers it for its window; OLE talks to the
// CDropTarget object, which forwards every call to the handler for as long as the handler is registered.

#include <ole2.h>
#include <windows.h>

#include "win/Handles.h"

namespace win {

class CDropTarget;

// The effect a drop is to have. Keys ask for one (Ctrl+Shift link, Ctrl copy, Shift move); it is granted when
// both the target accepts it and the source allows it; otherwise the first effect of `order` that both permit.
// None when no effect is permitted by both.
[[nodiscard]] DWORD ChooseDropEffect(DWORD keyState, DWORD allowed, DWORD accepted, const DWORD* order,
                                     size_t count) noexcept;

// The handler base of a window that accepts drops. The base versions refuse every drop.
class CDgDpTarget {
public:
    CDgDpTarget() = default;
    CDgDpTarget(const CDgDpTarget&) = delete;
    CDgDpTarget& operator=(const CDgDpTarget&) = delete;
    // A handler still registered is revoked here; windows revoke it themselves while they still exist.
    virtual ~CDgDpTarget();

    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect);
    virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect);
    virtual HRESULT DragLeave();
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect);

    // Registers this handler for the window with OLE; true when registered (also when it already was).
    [[nodiscard]] bool Register(HWND window);
    // Removes the registration; false when OLE refused. The handler is cut off from OLE either way.
    bool Revoke();
    [[nodiscard]] HWND RegisteredWindow() const noexcept { return m_window; }

private:
    HWND m_window = nullptr;
    CComPtr<CDropTarget> m_target;
};

// The COM object OLE holds. OLE (or another process) may keep it after the revoke: once cut off from its
// handler it answers E_POINTER.
class CDropTarget final : public IDropTarget {
public:
    static CComPtr<CDropTarget> Create(CDgDpTarget* handler);
    void Detach() noexcept { m_handler = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    explicit CDropTarget(CDgDpTarget* handler) noexcept : m_handler(handler) {}
    ~CDropTarget() = default;

    LONG m_refs = 1;
    CDgDpTarget* m_handler;
};

} // namespace win
