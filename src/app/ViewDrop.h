#pragma once
// What the document view accepts when something is dropped on it: one file, or an HTTP, HTTPS or FTP link
// given as narrow text. The drop is handed to the main frame as an open request; nothing is opened inside
// the drop itself, where the source program waits for it.

#include "app/DocRef.h"
#include "win/DropTarget.h"

#include <optional>

// The document a drop would open; false when the data holds none this view accepts.
[[nodiscard]] bool ReadDroppedDocument(IDataObject* data, DocRef& ref);

class CViewDropTarget : public win::CDgDpTarget {
public:
    // The window that receives the open requests, and whose disabled state refuses drops.
    void SetFrame(HWND frame) noexcept { m_frame = frame; }

    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    [[nodiscard]] DWORD Effect(DWORD keyState, DWORD allowed) const noexcept;

    HWND m_frame = nullptr;
    std::optional<DocRef> m_pending;
};
