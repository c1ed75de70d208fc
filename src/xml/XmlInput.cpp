#include "xml/XmlInput.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace xml {

win::CComPtr<CXmlInput> CXmlInput::MapFile(HANDLE file) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0 ||
        static_cast<uint64_t>(size.QuadPart) > std::numeric_limits<size_t>::max()) {
        return {};
    }
    auto input = win::CComPtr<CXmlInput>::Attach(new CXmlInput());
    if (size.QuadPart == 0) {
        return input;
    }
    // The view keeps the mapping alive by itself.
    const win::CHandle mapping(::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) {
        return {};
    }
    input->m_view = ::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0);
    if (!input->m_view) {
        return {};
    }
    input->m_bytes = std::string_view(static_cast<const char*>(input->m_view), static_cast<size_t>(size.QuadPart));
    return input;
}

win::CComPtr<CXmlInput> CXmlInput::FromText(std::string text) {
    auto input = win::CComPtr<CXmlInput>::Attach(new CXmlInput());
    input->m_text = std::move(text);
    input->m_bytes = input->m_text;
    return input;
}

CXmlInput::~CXmlInput() {
    if (m_view) {
        ::UnmapViewOfFile(m_view);
    }
}

void CXmlInput::Skip(size_t offset) noexcept {
    m_position = std::min(offset, m_bytes.size());
}

HRESULT CXmlInput::QueryInterface(REFIID iid, void** object) noexcept {
    if (!object) {
        return E_POINTER;
    }
    if (iid == __uuidof(IUnknown) || iid == __uuidof(ISequentialStream)) {
        *object = static_cast<ISequentialStream*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CXmlInput::AddRef() noexcept {
    return ++m_references;
}

ULONG CXmlInput::Release() noexcept {
    const ULONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT CXmlInput::Read(void* buffer, ULONG size, ULONG* read) noexcept {
    if (!buffer && size != 0) {
        return STG_E_INVALIDPOINTER;
    }
    // Like a stream over global memory: a short read at the end still succeeds.
    const size_t count = std::min<size_t>(size, m_bytes.size() - m_position);
    if (count != 0) {
        std::memcpy(buffer, m_bytes.data() + m_position, count);
        m_position += count;
    }
    if (read) {
        *read = static_cast<ULONG>(count);
    }
    return S_OK;
}

HRESULT CXmlInput::Write(const void*, ULONG, ULONG* written) noexcept {
    if (written) {
        *written = 0;
    }
    return STG_E_ACCESSDENIED;
}

} // namespace xml
