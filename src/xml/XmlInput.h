#pragma once
// The bytes a reader parses, held once and handed to the platform reader as a stream without another copy.

#include "win/Handles.h"

#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace xml {

// A read-only stream over bytes it owns: a view of a whole file, or a text. A view costs no copy and no fresh
// memory, which matters for the largest data files; a text is kept as it was given.
class CXmlInput final : public ISequentialStream {
public:
    // A view of the whole open file, or a null pointer when the file cannot be mapped (an empty file has no view
    // and gives an empty input).
    [[nodiscard]] static win::CComPtr<CXmlInput> MapFile(HANDLE file);
    [[nodiscard]] static win::CComPtr<CXmlInput> FromText(std::string text);

    CXmlInput(const CXmlInput&) = delete;
    CXmlInput& operator=(const CXmlInput&) = delete;

    // Every byte held, from the start of the file or text.
    [[nodiscard]] std::string_view GetBytes() const noexcept { return m_bytes; }
    // The stream begins `offset` bytes into the content (leading bytes a platform reader must not see).
    void Skip(size_t offset) noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* read) noexcept override;
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG size, ULONG* written) noexcept override;

private:
    CXmlInput() = default;
    ~CXmlInput();

    std::atomic<ULONG> m_references{1};
    const void* m_view = nullptr;
    std::string m_text;
    std::string_view m_bytes;
    size_t m_position = 0;
};

} // namespace xml
