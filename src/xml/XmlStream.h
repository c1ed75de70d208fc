#pragma once
// In-memory XML text in one movable global memory block: the source of a reader or the sink of a writer.

#include "win/Handles.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace xml {

struct GlobalMemoryTraits {
    using handle_type = HGLOBAL;
    static HGLOBAL Invalid() noexcept { return nullptr; }
    static bool Close(HGLOBAL h) noexcept { return ::GlobalFree(h) == nullptr; }
};
using CGlobalMemory = win::CUniqueHandle<GlobalMemoryTraits>;

// Holds UTF-8 XML text; the length is what was put in, not the block size, which the platform may round up.
class CXmlStream {
public:
    CXmlStream() = default;
    CXmlStream(const CXmlStream&) = delete;
    CXmlStream& operator=(const CXmlStream&) = delete;
    CXmlStream(CXmlStream&&) noexcept = default;
    CXmlStream& operator=(CXmlStream&&) noexcept = default;

    // Frees any previous block and allocates an empty one for a writer to fill.
    [[nodiscard]] bool CreateEmpty();
    // Frees any previous block and copies the text up to its first zero byte; an empty text is refused.
    [[nodiscard]] bool SetText(std::string_view text);
    // The bytes put into the block; false when there is no block or it cannot be locked.
    [[nodiscard]] bool GetText(std::string& text) const;
    // Adds bytes at the end, growing the block (the writer's output).
    [[nodiscard]] bool Append(std::string_view bytes);
    // Releases the block; false only when the platform refused to free it.
    [[nodiscard]] bool Free();

    [[nodiscard]] bool HasBlock() const noexcept { return m_block.IsValid(); }
    [[nodiscard]] size_t GetLength() const noexcept { return m_length; }

private:
    CGlobalMemory m_block;
    size_t m_length = 0;
};

} // namespace xml
