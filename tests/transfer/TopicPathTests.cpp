// Topic paths taken apart and put together: prefixes, separators, trimming and texts beyond ASCII.

#include "transfer/TopicPath.h"

#include <gtest/gtest.h>

#include <string>

using namespace transfer;

namespace {
const std::wstring kLongPath = L"C:\\" + std::wstring(1000, L'd') + L"\\a.chm";
}

TEST(TopicPath, ExtractDocPathAndTopic) {
    const struct {
        std::wstring text, doc, topic;
    } cases[] = {
        {L"", L"", L""},
        {L"MK:@msitstore:C:\\a.chm::/b.htm", L"C:\\a.chm", L"/b.htm"},
        {L"ms-its:a.chm::/x.htm>main", L"a.chm", L"/x.htm"},
        {L"C:\\a.chm>main", L"C:\\a.chm", L""},
        {L"C:\\a.chm:/b.htm", L"C:\\a.chm:/b.htm", L""},
        {L"C:\\a>w.chm::/b.htm", L"C:\\a>w.chm", L"/b.htm"}, // the topic separator outranks the window one
        {L"C:\\a.chm>main::/b.htm>w", L"C:\\a.chm>main", L"/b.htm"},
        {L"C:\\a.chm::/b.htm > main", L"C:\\a.chm", L"/b.htm"},
        {L"C:\\a.chm::  >main", L"C:\\a.chm", L""},
        {L"\t C:\\a.chm \r\n::/b.htm", L"C:\\a.chm", L"/b.htm"},
        {L"::/b.htm", L"", L"/b.htm"},
        {L"a.chm::/b.htm::/c.htm", L"a.chm", L"/b.htm::/c.htm"},
        {L"a.chm:::/b.htm", L"a.chm", L":/b.htm"},
        // The prefix exactly, one short of it, and a separator overlapping it.
        {L"mk:@MSITStore:", L"", L""},
        {L"mk:@MSITStore", L"mk:@MSITStore", L""},
        {L"ms-its::/b.htm", L"", L"/b.htm"},
        // Only one prefix comes off, and letter case is ignored for ASCII letters only.
        {L"mk:@MSITStore:ms-its:a.chm", L"ms-its:a.chm", L""},
        {L"ms-\u0130ts:a.chm", L"ms-\u0130ts:a.chm", L""},
        {L"ms-its:" + kLongPath + L"::/b.htm", kLongPath, L"/b.htm"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtractDocPath(c.text, false), c.doc) << c.text;
        EXPECT_EQ(ExtractTopic(c.text), c.topic) << c.text;
    }
    EXPECT_EQ(ExtractDocPath(L"mk:@MSITStore:C:\\a.chm::/b.htm", true), L"mk:@MSITStore:C:\\a.chm");
}

TEST(TopicPath, MakeTopicPathAndTakeItApartAgain) {
    const struct {
        const wchar_t* doc;
        const wchar_t* topic;
        const wchar_t* window;
        bool withTopic, withWindow;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\a.chm", L"/b.htm", L"main", true, true, L"C:\\a.chm::/b.htm > main"},
        {L"C:\\a.chm", L"/b.htm", L"main", true, false, L"C:\\a.chm::/b.htm"},
        {L"C:\\a.chm", L"/b.htm", L"main", false, true, L"C:\\a.chm > main"},
        {L"C:\\a.chm", L"", L"main", true, true, L"C:\\a.chm > main"},
        {L"C:\\a.chm", L"/b.htm", L"", true, true, L"C:\\a.chm::/b.htm"},
        {L"", L"/b.htm", L"main", true, true, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeTopicPath(c.doc, c.topic, c.window, c.withTopic, c.withWindow), c.expected) << c.expected;
    }
    const std::wstring parts[][3] = {
        {L"\\\\server\\share\\\u6587\u66F8.chm", L"/\u76EE\u6B21/\xD840\xDC0B.htm#top", L"\u7A93"},
        {kLongPath, L"/" + std::wstring(3000, L'x') + L".htm", L""},
    };
    for (const auto& c : parts) {
        const std::wstring path = MakeTopicPath(c[0], c[1], c[2], true, true);
        EXPECT_EQ(ExtractDocPath(path, false), c[0]) << path;
        EXPECT_EQ(ExtractTopic(path), c[1]) << path;
        EXPECT_EQ(CTopicStr(path, true).Text(), c[1]) << path;
    }
}

TEST(TopicPath, TopicStrTakesTheTopicOnlyWhenAskedAndPresent) {
    const struct {
        const wchar_t* text;
        bool parse;
        const wchar_t* expected;
    } cases[] = {
        {nullptr, true, L""},
        {L"mk:@MSITStore:C:\\a.chm::/b.htm", true, L"/b.htm"},
        {L"mk:@MSITStore:C:\\a.chm::/b.htm", false, L"mk:@MSITStore:C:\\a.chm::/b.htm"},
        {L"C:\\a.chm::>main", true, L"C:\\a.chm::>main"}, // no topic behind the separator: the whole text stands
    };
    for (const auto& c : cases) {
        CTopicStr topic(c.text, c.parse);
        EXPECT_EQ(topic.Text(), c.expected) << c.expected;
        EXPECT_EQ(topic.IsEmpty(), c.expected[0] == L'\0') << c.expected;
    }
}
