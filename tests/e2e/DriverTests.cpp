// The driver's own promises, where a mistake would make every end-to-end test lie.

#include "driver/CommandLine.h"
#include "driver/FolivexProcess.h"
#include "driver/Restore.h"

#include <gtest/gtest.h>
#include <shellapi.h>

using namespace e2e;

namespace {

std::vector<std::wstring> SplitByPlatform(const std::wstring& line) {
    int count = 0;
    LPWSTR* parts = ::CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> result;
    if (parts) {
        result.assign(parts, parts + count);
        ::LocalFree(parts);
    }
    return result;
}

class CommandLineQuoting : public ::testing::TestWithParam<std::wstring> {};

TEST_P(CommandLineQuoting, PlatformSplitsBackTheSameArgument) {
    const std::wstring line = BuildCommandLine(L"C:\\Program Files\\x.exe", {GetParam(), L"next"});
    EXPECT_EQ(SplitByPlatform(line), (std::vector<std::wstring>{L"C:\\Program Files\\x.exe", GetParam(), L"next"}))
        << "command line: " << testing::PrintToString(line);
}

INSTANTIATE_TEST_SUITE_P(Edges, CommandLineQuoting,
                         ::testing::Values(L"plain", L"", L"with blank", L"tab\there", L"say \"hi\"", L"\"",
                                           L"C:\\folder\\", L"C:\\with blank\\", L"a\\\\\"b", L"\\\\server\\share",
                                           L"/topic:a b.htm", L"日本語 パス", L"\U0001F600 pair"));

TEST(FolivexProcessDriver, BuiltExecutableIsThere) {
    EXPECT_TRUE(PathExists(CFolivexProcess::BuiltExecutable()))
        << testing::PrintToString(CFolivexProcess::BuiltExecutable());
}

TEST(FolivexProcessDriver, DestructionEndsTheProcessAndRemovesItsFolder) {
    std::wstring folder;
    {
        CFolivexProcess app;
        ASSERT_TRUE(app.Start());
        ASSERT_NE(app.WaitForMainWindow(), nullptr);
        folder = app.DataFolder();
        ASSERT_EQ(ProcessesRunningFrom(folder), std::vector<DWORD>{app.Pid()});
    }
    EXPECT_TRUE(ProcessesRunningFrom(folder).empty());
    EXPECT_FALSE(PathExists(folder));
}

} // namespace
