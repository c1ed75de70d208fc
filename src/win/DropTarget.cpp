#include "win/DropTarget.h"

#include <new>

namespace win {

DWORD ChooseDropEffect(DWORD keyState, DWORD allowed, DWORD accepted, const DWORD* order, size_t count) noexcept {
    const DWORD permitted = allowed & accepted;
    DWORD asked = DROPEFFECT_NONE;
    if ((keyState & MK_CONTROL) && (keyState & MK_SHIFT)) {
        asked = DROPEFFECT_LINK;
    } else if (keyState & MK_CONTROL) {
        asked = DROPEFFECT_COPY;
    } else if (keyState & MK_SHIFT) {
        asked = DROPEFFECT_MOVE;
    }
    if (asked != DROPEFFECT_NONE && (permitted & asked)) {
        return asked;
    }
    for (size_t i = 0; i < count; ++i) {
        if (permitted & order[i]) {
            return order[i];
        }
    }
    return DROPEFFECT_NONE;
}

CDgDpTarget::~CDgDpTarget() {
    (void)Revoke();
}

HRESULT CDgDpTarget::DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT CDgDpTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

HRESULT CDgDpTarget::DragLeave() {
    return S_OK;
}

HRESULT CDgDpTarget::Drop(IDataObject*, DWORD, POINTL, DWORD* effect) {
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

bool CDgDpTarget::Register(HWND window) {
    if (m_window) {
        return true;
    }
    CComPtr<CDropTarget> target = CDropTarget::Create(this);
    if (!target || FAILED(::RegisterDragDrop(window, target.Get()))) {
        if (target) {
            target->Detach();
        }
        return false;
    }
    m_target = std::move(target);
    m_window = window;
    return true;
}

bool CDgDpTarget::Revoke() {
    if (!m_window) {
        return true;
    }
    const bool ok = SUCCEEDED(::RevokeDragDrop(m_window));
    m_target->Detach();
    m_target.Close();
    m_window = nullptr;
    return ok;
}

CComPtr<CDropTarget> CDropTarget::Create(CDgDpTarget* handler) {
    return CComPtr<CDropTarget>::Attach(new (std::nothrow) CDropTarget(handler));
}

HRESULT CDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IDropTarget) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CDropTarget::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG CDropTarget::Release() {
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}

// No exception may leave a COM method: a handler that throws refuses the drop.
HRESULT CDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!m_handler || !effect) {
        return E_POINTER;
    }
    try {
        return m_handler->DragEnter(data, keyState, point, effect);
    } catch (...) {
        *effect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
}

HRESULT CDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (!m_handler || !effect) {
        return E_POINTER;
    }
    try {
        return m_handler->DragOver(keyState, point, effect);
    } catch (...) {
        *effect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
}

HRESULT CDropTarget::DragLeave() {
    if (!m_handler) {
        return E_POINTER;
    }
    try {
        return m_handler->DragLeave();
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!m_handler || !effect) {
        return E_POINTER;
    }
    try {
        return m_handler->Drop(data, keyState, point, effect);
    } catch (...) {
        *effect = DROPEFFECT_NONE;
        return E_UNEXPECTED;
    }
}

} // namespace win
