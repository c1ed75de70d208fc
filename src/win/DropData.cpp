#include "win/DropData.h"

#include <shlobj.h>

#include <cstring>
#include <new>

namespace win {

namespace {

// Locks a block for the scope; the size is what the platform reports, never what the data claims.
class CGlobalLock {
public:
    explicit CGlobalLock(HGLOBAL memory) noexcept
        : m_memory(memory), m_size(memory ? ::GlobalSize(memory) : 0), m_data(m_size ? ::GlobalLock(memory) : nullptr) {
    }
    CGlobalLock(const CGlobalLock&) = delete;
    CGlobalLock& operator=(const CGlobalLock&) = delete;
    ~CGlobalLock() {
        if (m_data) {
            ::GlobalUnlock(m_memory);
        }
    }
    [[nodiscard]] const char* Data() const noexcept { return static_cast<const char*>(m_data); }
    [[nodiscard]] size_t Size() const noexcept { return m_data ? m_size : 0; }

private:
    HGLOBAL m_memory;
    size_t m_size;
    void* m_data;
};

// The medium of one GetData, released when the scope ends whatever it holds.
class CMedium {
public:
    CMedium() noexcept = default;
    CMedium(const CMedium&) = delete;
    CMedium& operator=(const CMedium&) = delete;
    ~CMedium() {
        if (m_fetched) {
            ::ReleaseStgMedium(&m_medium);
        }
    }
    [[nodiscard]] bool Fetch(IDataObject* data, CLIPFORMAT format) noexcept {
        if (!data) {
            return false;
        }
        FORMATETC request{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        m_fetched = SUCCEEDED(data->GetData(&request, &m_medium));
        return m_fetched && m_medium.tymed == TYMED_HGLOBAL && m_medium.hGlobal;
    }
    [[nodiscard]] HGLOBAL Global() const noexcept { return m_medium.hGlobal; }

private:
    STGMEDIUM m_medium{};
    bool m_fetched = false;
};

bool SameRequest(const FORMATETC& held, const FORMATETC& asked) noexcept {
    return held.cfFormat == asked.cfFormat && (asked.tymed & held.tymed) != 0;
}

} // namespace

// ---- CDropData

CComPtr<CDropData> CDropData::Create() {
    return CComPtr<CDropData>::Attach(new (std::nothrow) CDropData());
}

CDropData::~CDropData() {
    if (m_held) {
        ::ReleaseStgMedium(&m_medium);
    }
}

HRESULT CDropData::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
        *object = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CDropData::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG CDropData::Release() {
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}

HRESULT CDropData::QueryGetData(FORMATETC* format) {
    if (!format) {
        return E_INVALIDARG;
    }
    if (format->dwAspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (!m_held || !SameRequest(m_format, *format)) {
        return DV_E_FORMATETC;
    }
    return S_OK;
}

HRESULT CDropData::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!medium) {
        return E_INVALIDARG;
    }
    const HRESULT query = QueryGetData(format);
    if (FAILED(query)) {
        return query;
    }
    // The receiver owns what it gets and frees it: it gets its own copy of the block.
    const CGlobalLock held(m_medium.hGlobal);
    HGLOBAL copy = CopyToGlobal(held.Data(), held.Size());
    if (!copy) {
        return E_OUTOFMEMORY;
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT CDropData::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

HRESULT CDropData::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out) {
        out->ptd = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CDropData::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    if (!format || !medium || !release || medium->tymed != format->tymed) {
        return E_INVALIDARG;
    }
    // Only one block is held, and only global memory with something in it can be copied for each caller.
    if (medium->tymed != TYMED_HGLOBAL || !medium->hGlobal || ::GlobalSize(medium->hGlobal) == 0) {
        return E_INVALIDARG;
    }
    if (m_held) {
        return E_OUTOFMEMORY;
    }
    m_format = *format;
    m_format.ptd = nullptr;
    m_medium = *medium;
    m_held = true;
    return S_OK;
}

HRESULT CDropData::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
    if (formats) {
        *formats = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT CDropData::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT CDropData::DUnadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT CDropData::EnumDAdvise(IEnumSTATDATA**) {
    return OLE_E_ADVISENOTSUPPORTED;
}

// ---- CDropSource

CComPtr<CDropSource> CDropSource::Create() {
    return CComPtr<CDropSource>::Attach(new (std::nothrow) CDropSource());
}

HRESULT CDropSource::QueryInterface(REFIID iid, void** object) {
    if (!object) {
        return E_POINTER;
    }
    if (iid == IID_IUnknown || iid == IID_IDropSource) {
        *object = static_cast<IDropSource*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CDropSource::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG CDropSource::Release() {
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0) {
        delete this;
    }
    return static_cast<ULONG>(refs);
}

HRESULT CDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    const bool left = (keyState & MK_LBUTTON) != 0;
    const bool right = (keyState & MK_RBUTTON) != 0;
    if (escapePressed || (left && right)) {
        return DRAGDROP_S_CANCEL;
    }
    if (!left && !right) {
        return DRAGDROP_S_DROP;
    }
    return S_OK;
}

HRESULT CDropSource::GiveFeedback(DWORD) {
    return DRAGDROP_S_USEDEFAULTCURSORS;
}

// ---- Dragging

bool StartDrag(CLIPFORMAT format, DWORD allowedEffects, const void* bytes, size_t size, DWORD& effect) {
    effect = DROPEFFECT_NONE;
    CComPtr<CDropData> data = CDropData::Create();
    CComPtr<CDropSource> source = CDropSource::Create();
    HGLOBAL memory = CopyToGlobal(bytes, size);
    if (!data || !source || !memory) {
        if (memory) {
            ::GlobalFree(memory);
        }
        return false;
    }
    FORMATETC description{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = memory;
    if (FAILED(data->SetData(&description, &medium, TRUE))) {
        ::GlobalFree(memory);
        return false;
    }
    DWORD chosen = DROPEFFECT_NONE;
    const HRESULT result = ::DoDragDrop(data.Get(), source.Get(), allowedEffects, &chosen);
    if (result == DRAGDROP_S_DROP) {
        effect = chosen & allowedEffects;
    }
    return SUCCEEDED(result);
}

// ---- Reading

HGLOBAL CopyToGlobal(const void* bytes, size_t size) noexcept {
    if (!bytes || size == 0) {
        return nullptr;
    }
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!memory) {
        return nullptr;
    }
    void* target = ::GlobalLock(memory);
    if (!target) {
        ::GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    ::GlobalUnlock(memory);
    return memory;
}

bool ReadGlobalBytes(HGLOBAL memory, std::string& bytes) {
    bytes.clear();
    const CGlobalLock lock(memory);
    if (lock.Size() == 0) {
        return false;
    }
    bytes.assign(lock.Data(), lock.Size());
    return true;
}

bool ReadGlobalText(HGLOBAL memory, std::string& text) {
    if (!ReadGlobalBytes(memory, text)) {
        return false;
    }
    const size_t end = text.find('\0');
    if (end != std::string::npos) {
        text.resize(end);
    }
    return true;
}

bool ReadGlobalText(HGLOBAL memory, std::wstring& text) {
    text.clear();
    const CGlobalLock lock(memory);
    const size_t units = lock.Size() / sizeof(wchar_t);
    if (units == 0) {
        return false;
    }
    text.resize(units);
    std::memcpy(text.data(), lock.Data(), units * sizeof(wchar_t));
    const size_t end = text.find(L'\0');
    if (end != std::wstring::npos) {
        text.resize(end);
    }
    return true;
}

bool ReadDroppedFiles(HGLOBAL memory, std::vector<std::wstring>& names) {
    names.clear();
    const CGlobalLock lock(memory);
    const size_t size = lock.Size();
    DROPFILES header{};
    if (size < sizeof(header)) {
        return false;
    }
    std::memcpy(&header, lock.Data(), sizeof(header));
    if (header.pFiles < sizeof(header) || header.pFiles >= size) {
        return false;
    }
    // A name longer than this would be refused by every file function: it is refused here, whole.
    constexpr size_t kMaxName = MAX_PATH - 1;
    const char* const start = lock.Data() + header.pFiles;
    const size_t length = size - header.pFiles;
    if (header.fWide) {
        const size_t units = length / sizeof(wchar_t);
        size_t at = 0;
        std::wstring name;
        for (;;) {
            if (at >= units) {
                return false; // the list must end with an empty name inside the block
            }
            wchar_t unit = 0;
            std::memcpy(&unit, start + at * sizeof(wchar_t), sizeof(unit));
            ++at;
            if (unit != L'\0') {
                if (name.size() == kMaxName) {
                    return false;
                }
                name.push_back(unit);
            } else if (name.empty()) {
                return true;
            } else {
                names.push_back(std::move(name));
                name.clear();
            }
        }
    }
    size_t at = 0;
    std::string name;
    for (;;) {
        if (at >= length) {
            return false;
        }
        const char byte = start[at++];
        if (byte != '\0') {
            if (name.size() == kMaxName) {
                return false;
            }
            name.push_back(byte);
            continue;
        }
        if (name.empty()) {
            return true;
        }
        const int count = ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
        if (count <= 0 || static_cast<size_t>(count) > kMaxName) {
            return false;
        }
        std::wstring wide(static_cast<size_t>(count), L'\0');
        ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), count);
        names.push_back(std::move(wide));
        name.clear();
    }
}

bool GetDataBytes(IDataObject* data, CLIPFORMAT format, std::string& bytes) {
    bytes.clear();
    CMedium medium;
    return medium.Fetch(data, format) && ReadGlobalBytes(medium.Global(), bytes);
}

bool GetDroppedFiles(IDataObject* data, std::vector<std::wstring>& names) {
    names.clear();
    CMedium medium;
    return medium.Fetch(data, CF_HDROP) && ReadDroppedFiles(medium.Global(), names);
}

} // namespace win
