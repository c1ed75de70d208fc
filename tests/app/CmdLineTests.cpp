#include "app/CmdLine.h"
#include "common/HelperMode.h"
#include "common/TempFolder.h"
#include "win/Handles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every field in one line: kind, path or URL, topic, user, password, the flags as L, C, P, and the error.
std::wstring Describe(const CCmdLine& cmd) {
    const transfer::CUrlConn& url = cmd.GetUrl();
    return std::to_wstring(cmd.GetKind()) + L"|" +
           (cmd.GetKind() == CCmdLine::kUrl ? url.Address().Url() : cmd.GetPath()) + L"|" + cmd.GetTopic().Text() +
           L"|" + url.user + L"|" + url.password + L"|" + (url.login ? L"L" : L"") + (url.cache ? L"C" : L"") +
           (url.pasv ? L"P" : L"") + cmd.GetError() + (cmd.IsBadUrl() ? L" (bad address)" : L"");
}

TEST(CmdLine, ParseCases) {
    const std::wstring u = L"http://example.com/doc.chm";
    const std::vector<std::pair<std::vector<std::wstring>, std::wstring>> cases = {
        {{}, L"1|||||"},
        {{L"a.chm", L"b.chm"}, L"2|a.chm||||"},
        // Connection options mean nothing to a file, repeated or not.
        {{L"C:\\d\\a.chm", L"/user:x", L"/user:y", L"/topic:/t.htm"}, L"2|C:\\d\\a.chm|/t.htm|||"},
        {{u, L"/cache", L"/cache"}, L"0|||||error: \"/cache\""},
        {{u, L"/user:", L"/user:bob"}, L"0|||||error: \"/user:bob\""},
        {{u, L"/topic:/a.htm", L"/topic:/b.htm"}, L"3|" + u + L"|/a.htm|||"},
        // Prefix matching: trailing words are ignored, other words skipped, empty values allowed.
        {{u, L"/loginnow", L"/cachex", L"/pasv", L"/user:u", L"/pass:", L"/other", L"/topic:"},
         L"3|" + u + L"||u||LCP"},
        {{L"ftp://h/x.chm", L"/pass:p w", L"/CACHE"}, L"3|ftp://h/x.chm|||p w|"},
        // A malformed address is refused as one, not taken for a file name nor connected to.
        {{L"http://host\\path\\a.chm"}, L"0|||||error: \"http://host\\path\\a.chm\" (bad address)"},
    };
    for (const auto& [args, expected] : cases) {
        std::vector<std::wstring> argv{L"folivex.exe"};
        argv.insert(argv.end(), args.begin(), args.end());
        CCmdLine cmd;
        const bool ok = cmd.Parse(argv);
        EXPECT_EQ(ok, cmd.GetError().empty());
        EXPECT_EQ(Describe(cmd), expected);
    }
}

TEST(CmdLine, BuildKeepsTheOrderAndRefusesNothingToOpen) {
    CCmdLine cmd;
    transfer::CUrlConn url;
    ASSERT_TRUE(url.SetAddress(L"http://h/d.chm"));
    url.login = 1;
    url.cache = 1;
    cmd.SetKind(CCmdLine::kUrl);
    cmd.SetUrl(url);
    cmd.SetTopic(transfer::CTopicStr(L"/t.htm", false));
    std::wstring out;
    ASSERT_TRUE(cmd.Build(out));
    EXPECT_EQ(out, L"\"http://h/d.chm\" \"/login\" \"/cache\" \"/topic:/t.htm\"");
    cmd.SetUrl({});
    EXPECT_FALSE(cmd.Build(out));
    cmd.SetKind(CCmdLine::kPath);
    EXPECT_FALSE(cmd.Build(out));
}

// Whatever the texts hold, the new process must read back what this one meant.
TEST(CmdLine, BuildThenParseRoundTrips) {
    for (const std::wstring text : {L"", L"a b", L"tab\there", L"say \"hi\"", L"trail\\", L"two\\\\", L"\\\"", L"\"\"",
                                    L" ", L"\\\\srv\\x y\\", L"a\\\\\"b\\", L"日本語 𠀋"}) {
        for (const int32_t kind : {CCmdLine::kPath, CCmdLine::kUrl}) {
            CCmdLine built;
            built.SetKind(kind);
            built.SetPath(L"C:\\docs\\" + text);
            transfer::CUrlConn url;
            // An address holds no backslash (it would not be well formed); the user and password carry them.
            const bool backslash = text.find(L'\\') != std::wstring::npos;
            ASSERT_TRUE(url.SetAddress(L"ftp://host/dir/" + (backslash ? std::wstring() : text) + L"x.chm"));
            url.user = url.password = text;
            url.pasv = 1;
            built.SetUrl(url);
            built.SetTopic(transfer::CTopicStr(text, false));
            std::wstring arguments;
            ASSERT_TRUE(built.Build(arguments));
            CCmdLine parsed;
            ASSERT_TRUE(parsed.Parse(L"\"C:\\Program Files\\folivex.exe\" " + arguments));
            if (kind == CCmdLine::kPath) {
                built.SetUrl({}); // a path carries no connection
            }
            EXPECT_EQ(Describe(parsed), Describe(built));
        }
    }
}

// The launched helper: a window titled with its argument, until it is closed (or, after a failed test, a minute).
int ShowTitledWindow(int argc, wchar_t** argv) {
    const HWND window = ::CreateWindowExW(0, L"STATIC", argc > 0 ? argv[0] : L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                          0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ::SetTimer(window, 1, 60000, nullptr);
    MSG msg;
    // The static control's default processing destroys it on WM_CLOSE.
    while (::IsWindow(window) && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) {
            ::DestroyWindow(window);
        }
        ::DispatchMessageW(&msg);
    }
    return 0;
}
FOLIVEX_TEST_HELPER(L"titled-window", ShowTitledWindow);

// A copy of this executable marked as a windowed program: only those have the idle state the launch waits for
// (a console program fails the wait at once), and the program itself is one.
std::wstring WindowedCopyOfSelf(const CTempFolder& folder) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring copy = folder.File(L"windowed.exe");
    win::CFileHandleRaii file(
        ::CopyFileW(self, copy.c_str(), TRUE)
            ? ::CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)
            : INVALID_HANDLE_VALUE);
    DWORD header = 0;
    DWORD done = 0;
    // The subsystem lies 68 bytes into the optional header, after the 4-byte signature and 20-byte file header.
    const WORD windowed = IMAGE_SUBSYSTEM_WINDOWS_GUI;
    const bool ok =
        file && ::SetFilePointer(file.Get(), 0x3C, nullptr, FILE_BEGIN) == 0x3C &&
        ::ReadFile(file.Get(), &header, sizeof(header), &done, nullptr) &&
        ::SetFilePointer(file.Get(), static_cast<LONG>(header + 24 + 68), nullptr, FILE_BEGIN) == header + 24 + 68 &&
        ::WriteFile(file.Get(), &windowed, sizeof(windowed), &done, nullptr) && done == sizeof(windowed);
    return ok && file.Close() ? copy : std::wstring();
}

TEST(CmdLine, LaunchRaisesTheNewProcessWindowWithItsArguments) {
    CTempFolder folder;
    const std::wstring program = WindowedCopyOfSelf(folder);
    ASSERT_FALSE(program.empty());
    // The caller is the foreground window, as the main frame is when the user asks for a new window.
    const HWND own = ::CreateWindowExW(0, L"STATIC", L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                       nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(own);
    const std::wstring title = L"launched \"window\" " + std::to_wstring(::GetCurrentProcessId()) + L" \\";
    const bool launched = LaunchProgramWindow(program, L"--helper titled-window " + QuoteArgument(title));

    const HWND found = ::FindWindowW(L"Static", title.c_str());
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(launched);
    EXPECT_EQ(::GetForegroundWindow(), found);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(found, &pid);
    const win::CHandle process(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    ::PostMessageW(found, WM_CLOSE, 0, 0);
    EXPECT_EQ(::WaitForSingleObject(process.Get(), 30000), WAIT_OBJECT_0);
    ::DestroyWindow(own);
}

} // namespace
