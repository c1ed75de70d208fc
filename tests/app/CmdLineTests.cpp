#include "app/CmdLine.h"

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

} // namespace
