#pragma once
// String-table loading and the one UTF-8/UTF-16 conversion pair of the program.

#include <windows.h>

#include <string>
#include <string_view>

namespace win {

// The whole string of resource id `id` (no fixed buffer, no truncation); empty when there is none.
std::wstring LoadStr(UINT id, HINSTANCE module = nullptr);

// A message text: the string `id`, then a line break and `detail` when detail is not empty.
std::wstring TextWithDetail(UINT id, std::wstring_view detail);

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// ASCII-only case-insensitive comparison, as the platform's path comparisons need.
bool EqualsNoCaseAscii(std::wstring_view a, std::wstring_view b) noexcept;
// Case-insensitive comparison over all of Unicode, as the file system compares names.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b) noexcept;

} // namespace win
