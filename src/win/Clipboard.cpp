#include "win/Clipboard.h"

#include "win/DropData.h"

namespace win {

UINT DataFolderFormat() noexcept {
    static const UINT format = ::RegisterClipboardFormatW(L"folivex data folder");
    return format;
}

namespace {

// Another program (a clipboard viewer or manager, say) may hold the clipboard for a moment: try a little while
// before giving up, as a user copying would not expect a failure for that.
bool OpenWithRetries(HWND window) noexcept {
    constexpr int kAttempts = 20;
    constexpr DWORD kPauseMs = 10;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (::OpenClipboard(window)) {
            return true;
        }
        ::Sleep(kPauseMs);
    }
    return false;
}

} // namespace

CClipboard::CClipboard(HWND window) noexcept : m_open(OpenWithRetries(window)) {}

CClipboard::~CClipboard() {
    if (m_open) {
        ::CloseClipboard();
    }
}

bool CClipboard::IsAvailable(UINT format) noexcept {
    return ::IsClipboardFormatAvailable(format) != FALSE;
}

bool CClipboard::GetBytes(UINT format, std::string& bytes) const {
    bytes.clear();
    return m_open && ReadGlobalBytes(::GetClipboardData(format), bytes);
}

bool CClipboard::GetText(UINT format, std::string& text) const {
    text.clear();
    return m_open && ReadGlobalText(::GetClipboardData(format), text);
}

bool CClipboard::GetText(std::wstring& text) const {
    text.clear();
    return m_open && ReadGlobalText(::GetClipboardData(CF_UNICODETEXT), text);
}

bool CClipboard::SetBytes(UINT format, const void* bytes, size_t size) {
    if (!m_open) {
        return false;
    }
    HGLOBAL memory = CopyToGlobal(bytes, size);
    if (!memory) {
        return false;
    }
    // The first format set replaces what the clipboard held; later ones join it. Once set, the memory
    // belongs to the system.
    if ((!m_emptied && !::EmptyClipboard()) || !::SetClipboardData(format, memory)) {
        ::GlobalFree(memory);
        return false;
    }
    m_emptied = true;
    return true;
}

bool CClipboard::SetText(UINT format, std::string_view text) {
    std::string terminated(text);
    return SetBytes(format, terminated.c_str(), terminated.size() + 1);
}

bool CClipboard::SetText(std::wstring_view text) {
    std::wstring terminated(text);
    return SetBytes(CF_UNICODETEXT, terminated.c_str(), (terminated.size() + 1) * sizeof(wchar_t));
}

} // namespace win
