#pragma once
// What the drop tests hand around: a dropped file list and a stand-in for another program's data object.

#include "win/DropData.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A dropped file list as the shell builds it: the header, then the names (wide or narrow), then an empty name.
inline std::string FileList(const std::vector<std::wstring>& names, bool wide = true) {
    DROPFILES header{};
    header.pFiles = sizeof(header);
    header.fWide = wide;
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof(header));
    for (const std::wstring& name : names) {
        if (wide) {
            bytes.append(reinterpret_cast<const char*>(name.c_str()), (name.size() + 1) * sizeof(wchar_t));
        } else {
            bytes.append(std::string(name.begin(), name.end()) + '\0');
        }
    }
    bytes.append(wide ? sizeof(wchar_t) : 1, '\0');
    return bytes;
}

// A stack-held data object of another program; each test overrides what it answers. It answers nothing else.
class CStubDataObject : public IDataObject {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC*, STGMEDIUM*) override { return DV_E_FORMATETC; }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

protected:
    ~CStubDataObject() = default;
};

// No button is held in a test: the drag goes on for a few tracking steps, so the target is entered and passed
// over, then drops.
class CTestDropSource final : public IDropSource {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL, DWORD) override { return ++m_steps < 6 ? S_OK : DRAGDROP_S_DROP; }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int m_steps = 0;
};

// A data object of our own holding the bytes in one format.
inline win::CComPtr<win::CDropData> DataWith(CLIPFORMAT format, const std::string& bytes) {
    win::CComPtr<win::CDropData> data = win::CDropData::Create();
    FORMATETC description{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = win::CopyToGlobal(bytes.data(), bytes.size());
    EXPECT_EQ(data->SetData(&description, &medium, TRUE), S_OK);
    return data;
}

// Drags the bytes from this process and drops them at a screen point, as another program would; the effect the
// target chose.
inline DWORD DragFromHere(POINT at, CLIPFORMAT format, const std::string& bytes, DWORD allowed) {
    ::SetCursorPos(at.x, at.y);
    const win::CComPtr<win::CDropData> data = DataWith(format, bytes);
    CTestDropSource source;
    DWORD effect = DROPEFFECT_NONE;
    EXPECT_TRUE(SUCCEEDED(::DoDragDrop(data.Get(), &source, allowed, &effect)));
    return effect;
}
