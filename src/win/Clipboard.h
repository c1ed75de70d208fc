#pragma once
// The system clipboard, open for the lifetime of a CClipboard, and the formats the program exchanges.

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// The registered format of history and library entries: narrow XML text with its terminating zero.
[[nodiscard]] UINT DataFolderFormat() noexcept;

class CClipboard {
public:
    // Opens the clipboard for the window; see IsOpen.
    explicit CClipboard(HWND window) noexcept;
    CClipboard(const CClipboard&) = delete;
    CClipboard& operator=(const CClipboard&) = delete;
    ~CClipboard();

    [[nodiscard]] bool IsOpen() const noexcept { return m_open; }
    [[nodiscard]] static bool IsAvailable(UINT format) noexcept;

    // The whole block of the format, as many bytes as it holds; false when absent, empty or not memory.
    [[nodiscard]] bool GetBytes(UINT format, std::string& bytes) const;
    // Text up to its terminating zero or the block's end.
    [[nodiscard]] bool GetText(UINT format, std::string& text) const;
    [[nodiscard]] bool GetText(std::wstring& text) const;

    // The first call while open replaces the clipboard's content, later ones add their format; nothing is
    // left allocated when a step fails.
    [[nodiscard]] bool SetBytes(UINT format, const void* bytes, size_t size);
    // Narrow text with its terminating zero in the given format.
    [[nodiscard]] bool SetText(UINT format, std::string_view text);
    // UTF-16 text with its terminating zero as CF_UNICODETEXT.
    [[nodiscard]] bool SetText(std::wstring_view text);

private:
    bool m_open = false;
    bool m_emptied = false;
};

} // namespace win
