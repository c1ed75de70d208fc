#pragma once
// Recognising a compiled help document by its first four bytes, and the program's two file-name extensions.

#include <string_view>

namespace transfer {

// The first four bytes of every compiled help document (8-bit characters, compared ignoring letter case).
inline constexpr std::string_view kChmSignature = "ITSF";

// True when the document named by a topic path (or a plain path) is a readable file that begins with the
// signature. The extension is never looked at.
[[nodiscard]] bool IsChmFile(std::wstring_view text);

// "chm": document file dialogs and downloaded copies.
[[nodiscard]] const wchar_t* DocumentExtension() noexcept;
// "xml": data file dialogs.
[[nodiscard]] const wchar_t* DataFileExtension() noexcept;

} // namespace transfer
