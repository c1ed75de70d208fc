#pragma once
// Starting drags (a one-format data object and a drop source) and reading what a drop or the clipboard
// brings. Data from other programs is untrusted: only global memory is read, never past its size.

#include <ole2.h>
#include <windows.h>

#include "win/Handles.h"

#include <string>
#include <vector>

namespace win {

// A data object holding at most one format in global memory. Every GetData hands out a copy, so a receiver
// that frees its medium (as it must) leaves the held block to the next one.
class CDropData final : public IDataObject {
public:
    static CComPtr<CDropData> Create();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    // Takes the medium only with ownership, as global memory of at least one byte, once.
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** advises) override;

private:
    CDropData() = default;
    ~CDropData();

    LONG m_refs = 1;
    bool m_held = false;
    FORMATETC m_format{};
    STGMEDIUM m_medium{};
};

// Escape or both buttons cancel, releasing the buttons drops; default cursors.
class CDropSource final : public IDropSource {
public:
    static CComPtr<CDropSource> Create();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

private:
    CDropSource() = default;
    ~CDropSource() = default;

    LONG m_refs = 1;
};

// Drags `size` bytes in `format` until the user drops or cancels; the effect the target chose (none when
// cancelled) in `effect`. False when the drag could not start (nothing to drag, no memory, OLE refused).
[[nodiscard]] bool StartDrag(CLIPFORMAT format, DWORD allowedEffects, const void* bytes, size_t size, DWORD& effect);

// Global memory with a copy of the bytes (movable, zeroed); null for no bytes or no memory.
[[nodiscard]] HGLOBAL CopyToGlobal(const void* bytes, size_t size) noexcept;
// The whole block, bounded by its size; false for no block, an empty one or one that cannot be locked.
[[nodiscard]] bool ReadGlobalBytes(HGLOBAL memory, std::string& bytes);
// Text up to its terminating zero or the block's end, whichever comes first.
[[nodiscard]] bool ReadGlobalText(HGLOBAL memory, std::string& text);
[[nodiscard]] bool ReadGlobalText(HGLOBAL memory, std::wstring& text);
// The names of a dropped file list (CF_HDROP). False for a malformed list and for a name longer than a path
// may be: such a name is refused, never cut short.
[[nodiscard]] bool ReadDroppedFiles(HGLOBAL memory, std::vector<std::wstring>& names);

// One format of a data object as bytes. Only global memory is accepted; the medium is released always.
[[nodiscard]] bool GetDataBytes(IDataObject* data, CLIPFORMAT format, std::string& bytes);
// The same for a dropped file list.
[[nodiscard]] bool GetDroppedFiles(IDataObject* data, std::vector<std::wstring>& names);

} // namespace win
