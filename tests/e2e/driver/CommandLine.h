#pragma once
// Building a command line that the platform's parser (CommandLineToArgvW and the C runtime) splits back into
// exactly the arguments it was built from.

#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// One argument as it must appear on a command line: unchanged when it needs no quotes, else quoted with its
// quotes and the backslashes before them escaped.
std::wstring QuoteArgument(std::wstring_view argument);

// The program path (always quoted: it may hold blanks) followed by the quoted arguments.
std::wstring BuildCommandLine(std::wstring_view program, const std::vector<std::wstring>& arguments);

} // namespace e2e
