#include "xml/XmlStream.h"

#include <cstring>

namespace xml {

namespace {

// Room for a terminator of any code unit width after the text, as readers of the raw block expect.
constexpr size_t kTerminatorBytes = 4;

} // namespace

bool CXmlStream::CreateEmpty() {
    if (!Free()) {
        return false;
    }
    m_block.Reset(::GlobalAlloc(GMEM_MOVEABLE, 0));
    m_length = 0;
    return m_block.IsValid();
}

bool CXmlStream::SetText(std::string_view text) {
    if (!Free()) {
        return false;
    }
    const size_t end = text.find('\0');
    if (end != std::string_view::npos) {
        text = text.substr(0, end);
    }
    if (text.empty()) {
        return false;
    }
    CGlobalMemory block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + kTerminatorBytes));
    if (!block) {
        return false;
    }
    void* data = ::GlobalLock(block.Get());
    if (!data) {
        return false;
    }
    std::memcpy(data, text.data(), text.size());
    ::GlobalUnlock(block.Get());
    m_block = std::move(block);
    m_length = text.size();
    return true;
}

bool CXmlStream::GetText(std::string& text) const {
    text.clear();
    if (!m_block) {
        return false;
    }
    if (m_length == 0) {
        return true;
    }
    const void* data = ::GlobalLock(m_block.Get());
    if (!data) {
        return false;
    }
    text.assign(static_cast<const char*>(data), m_length);
    ::GlobalUnlock(m_block.Get());
    return true;
}

bool CXmlStream::Append(std::string_view bytes) {
    if (!m_block) {
        return false;
    }
    if (bytes.empty()) {
        return true;
    }
    const size_t newLength = m_length + bytes.size();
    HGLOBAL grown = ::GlobalReAlloc(m_block.Get(), newLength + kTerminatorBytes, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (!grown) {
        return false;
    }
    // A movable block may come back under a new handle; the old one is then already gone.
    (void)m_block.Detach();
    m_block.Reset(grown);
    char* data = static_cast<char*>(::GlobalLock(m_block.Get()));
    if (!data) {
        return false;
    }
    std::memcpy(data + m_length, bytes.data(), bytes.size());
    std::memset(data + newLength, 0, kTerminatorBytes);
    ::GlobalUnlock(m_block.Get());
    m_length = newLength;
    return true;
}

bool CXmlStream::Free() {
    m_length = 0;
    return m_block.Close();
}

} // namespace xml
