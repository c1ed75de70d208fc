// The writer: exact envelope bytes, escaping, refused input.

#include "xml/XmlStream.h"
#include "xml/XmlValues.h"
#include "xml/XmlWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

std::string WriteToText(const std::function<bool(xml::CXmlWriter&)>& write) {
    xml::CXmlStream stream;
    xml::CXmlWriter writer;
    std::string text;
    if (!stream.CreateEmpty() || !writer.OpenStream(stream) || !write(writer) || !writer.Flush() ||
        !stream.GetText(text)) {
        return "<failed>";
    }
    return text;
}

TEST(XmlWriter, WritesTheExactEnvelope) {
    const std::string text = WriteToText([](xml::CXmlWriter& w) {
        return w.ApplyProperties({{xml::kXmlWriterPropertyIndent, 1}}) && w.StartDocument() &&
               w.StartElement(L"setting") && w.StartElement(L"docview") && w.WriteAttribute(L"startdoc", L"file") &&
               w.WriteTextElement(L"file", L"C:\\doc\\a.chm") && w.WriteTextElement(L"url", L"") && w.EndElement() &&
               w.StartElement(L"toolbar") && w.WriteAttribute(L"fullhide", L"true") && w.EndElement() &&
               w.EndDocument();
    });
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                    "<setting>\r\n"
                    "  <docview startdoc=\"file\">\r\n"
                    "    <file>C:\\doc\\a.chm</file>\r\n"
                    "    <url />\r\n"
                    "  </docview>\r\n"
                    "  <toolbar fullhide=\"true\" />\r\n"
                    "</setting>");
}

TEST(XmlWriter, EscapesMarkupInAttributesAndText) {
    const std::string text = WriteToText([](xml::CXmlWriter& w) {
        return w.StartElement(L"doc") && w.WriteAttribute(L"title", L"Q&A <\"x\"> it's") &&
               w.WriteText(L"a&b <c> \"d\" 'e'") && w.EndDocument();
    });
    EXPECT_EQ(text, "<doc title=\"Q&amp;A &lt;&quot;x&quot;&gt; it's\">a&amp;b &lt;c&gt; \"d\" 'e'</doc>");
}

TEST(XmlWriter, LineBreaksInAttributesBecomeReferences) {
    const std::string text = WriteToText([](xml::CXmlWriter& w) {
        return w.StartElement(L"doc") && w.WriteAttribute(L"note", L"a\r\nb\tc") && w.WriteText(L"x\r\ny") &&
               w.EndDocument();
    });
    EXPECT_EQ(text, "<doc note=\"a&#xD;&#xA;b&#x9;c\">x&#xD;\ny</doc>");
}

TEST(XmlWriter, RefusesWhatXmlCannotCarry) {
    const std::wstring bad[] = {
        std::wstring(L"\x001F"),  std::wstring(1, L'\0'),   std::wstring(L"\xFFFE"),
        std::wstring(L"x\xD83D"), std::wstring(L"\xDE00y"), std::wstring(L"\xD83D\xD83D\xDE00"),
    };
    for (const std::wstring& value : bad) {
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

TEST(XmlWriter, RefusesMalformedStructure) {
    using Write = std::function<bool(xml::CXmlWriter&)>;
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
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(WriteToText(cases[i]), "<failed>") << "case " << i;
    }
}

TEST(XmlWriter, NestingDeeperThanReadersAcceptIsRefused) {
    const auto nest = [](int levels) {
        return WriteToText([levels](xml::CXmlWriter& w) {
            for (int i = 0; i < levels; ++i) {
                if (!w.StartElement(L"f")) {
                    return false;
                }
            }
            return w.EndDocument();
        });
    };
    EXPECT_NE(nest(xml::kMaxElementDepth), "<failed>");
    EXPECT_EQ(nest(xml::kMaxElementDepth + 1), "<failed>");
}

TEST(XmlWriter, ByteOrderMarkAndDeclarationFollowTheProperties) {
    const std::string text = WriteToText([](xml::CXmlWriter& w) {
        return w.ApplyProperties({{2, 1}, {3, 1}}) && w.StartDocument() && w.StartElement(L"a") && w.EndDocument();
    });
    EXPECT_EQ(text, "\xEF\xBB\xBF<a />");
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
