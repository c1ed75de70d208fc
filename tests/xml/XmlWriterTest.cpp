// The writer: exact envelope bytes, escaping, refused input.

#include "xml/XmlStream.h"
#include "xml/XmlTextCheck.h"
#include "xml/XmlValues.h"
#include "xml/XmlWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using Write = std::function<bool(xml::CXmlWriter&)>;

std::string WriteToText(const Write& write) {
    xml::CXmlStream stream;
    xml::CXmlWriter writer;
    std::string text;
    if (!stream.CreateEmpty() || !writer.OpenStream(stream) || !write(writer) || !writer.Flush() ||
        !stream.GetText(text)) {
        return "<failed>";
    }
    return text;
}

// Escaping is ours: the platform writer leaves "&", "<", ">" and quotes in attributes as they are. (The
// declaration and indentation are pinned by the data stores' worked examples.)
TEST(XmlWriter, EscapesMarkupAndLineBreaksAndFollowsTheProperties) {
    const std::pair<Write, std::string> cases[] = {
        {[](xml::CXmlWriter& w) {
             return w.StartElement(L"doc") && w.WriteAttribute(L"title", L"Q&A <\"x\"> it's") &&
                    w.WriteText(L"a&b <c> \"d\" 'e'") && w.EndDocument();
         },
         "<doc title=\"Q&amp;A &lt;&quot;x&quot;&gt; it's\">a&amp;b &lt;c&gt; \"d\" 'e'</doc>"},
        {[](xml::CXmlWriter& w) {
             return w.StartElement(L"doc") && w.WriteAttribute(L"note", L"a\r\nb\tc") && w.WriteText(L"x\r\ny") &&
                    w.EndDocument();
         },
         "<doc note=\"a&#xD;&#xA;b&#x9;c\">x&#xD;\ny</doc>"},
        {[](xml::CXmlWriter& w) {
             return w.ApplyProperties({{2, 1}, {3, 1}}) && w.StartDocument() && w.StartElement(L"a") && w.EndDocument();
         },
         "\xEF\xBB\xBF<a />"}, // byte order mark on, declaration off
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(WriteToText(cases[i].first), cases[i].second) << "case " << i;
    }
}

const auto kNest = [](int levels) {
    return [levels](xml::CXmlWriter& w) {
        for (int i = 0; i < levels; ++i) {
            if (!w.StartElement(L"f")) {
                return false;
            }
        }
        return w.EndDocument();
    };
};

TEST(XmlWriter, RefusesMalformedStructureAndNestingDeeperThanReadersAccept) {
    const Write cases[] = {
        [](xml::CXmlWriter& w) { return w.EndElement(); },
        [](xml::CXmlWriter& w) { return w.WriteText(L"top-level text"); },
        [](xml::CXmlWriter& w) { return w.StartElement(L"a") && w.EndElement() && w.StartElement(L"b"); },
        [](xml::CXmlWriter& w) { return w.StartElement(L"a") && w.WriteText(L"t") && w.WriteAttribute(L"x", L""); },
        [](xml::CXmlWriter& w) {
            return w.StartElement(L"a") && w.WriteAttribute(L"x", L"1") && w.WriteAttribute(L"x", L"2");
        },
        [](xml::CXmlWriter& w) { return w.StartElement(L"a b"); },
        [](xml::CXmlWriter& w) { return w.StartElement(L"p:a"); },
        [](xml::CXmlWriter& w) { return w.StartElement(L""); },
        [](xml::CXmlWriter& w) { return w.StartElement(L"a") && w.StartDocument(); },
        [](xml::CXmlWriter& w) {
            return w.ApplyProperties({{4, 1}});
        },
        kNest(xml::kMaxElementDepth + 1),
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(WriteToText(cases[i]), "<failed>") << "case " << i;
    }
    EXPECT_NE(WriteToText(kNest(xml::kMaxElementDepth)), "<failed>");
}

TEST(XmlWriter, RefusesWhatXmlCannotCarry) {
    for (const std::wstring& value :
         {std::wstring(L"\x001F"), std::wstring(1, L'\0'), std::wstring(L"\xFFFE"), std::wstring(L"\xFFFF"),
          std::wstring(L"x\xD83D"), std::wstring(L"\xDE00y"), std::wstring(L"\xD83D\xD83D\xDE00")}) {
        EXPECT_FALSE(xml::IsXmlText(value));
        EXPECT_EQ(WriteToText([&](xml::CXmlWriter& w) {
                      return w.StartElement(L"a") && w.WriteAttribute(L"v", value) && w.EndDocument();
                  }),
                  "<failed>");
        EXPECT_EQ(WriteToText([&](xml::CXmlWriter& w) {
                      return w.StartElement(L"a") && w.WriteText(value) && w.EndDocument();
                  }),
                  "<failed>");
    }
}

// What a store may take, and how display text is made so. Tab, LF and CR are XML but come back from an
// attribute as blanks, so they are not storable.
TEST(XmlText, StorableTextAndItsRepair) {
    const struct {
        std::wstring text;
        bool xml;
        bool storable;
        std::wstring repaired;
    } cases[] = {
        {L"", true, true, L""},
        {L"Q&A <\"\x65E5\x672C\"> \xD83D\xDE00 \xFFFD \xE000", true, true,
         L"Q&A <\"\x65E5\x672C\"> \xD83D\xDE00 \xFFFD \xE000"},
        {L"a\tb\nc\rd", true, false, L"a b c d"},
        {L"x\x0001y\x001F", false, false, L"x\xFFFDy\xFFFD"},
        {L"\xFFFF\xFFFE", false, false, L"\xFFFD\xFFFD"},
        {L"a\xD800", false, false, L"a\xFFFD"},
        {L"\xDC00"
         L"b",
         false, false,
         L"\xFFFD"
         L"b"},
        {L"\xD83D\xD83D\xDE00", false, false, L"\xFFFD\xD83D\xDE00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xml::IsXmlText(c.text), c.xml) << testing::PrintToString(c.text);
        EXPECT_EQ(xml::IsStorableText(c.text), c.storable) << testing::PrintToString(c.text);
        EXPECT_EQ(xml::MakeStorableText(c.text), c.repaired) << testing::PrintToString(c.text);
        EXPECT_TRUE(xml::IsStorableText(xml::MakeStorableText(c.text)));
    }
}

TEST(XmlStream, SetTextRefusesEmptyTextAndStopsAtTheTerminator) {
    xml::CXmlStream stream;
    EXPECT_FALSE(stream.SetText(""));
    EXPECT_FALSE(stream.SetText(std::string_view("\0abc", 4)));
    ASSERT_TRUE(stream.SetText(std::string_view("<a/>\0junk", 9)));
    std::string text;
    ASSERT_TRUE(stream.GetText(text));
    EXPECT_EQ(text, "<a/>");
    EXPECT_TRUE(stream.Free());
    EXPECT_FALSE(stream.GetText(text));
}

} // namespace
