// The reader: navigation, attributes, element text, error descriptions and the reference check.

#include "xml/XmlReader.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

using namespace std::string_view_literals;

namespace {

TEST(XmlReader, ReadToElementSkipsUnknownNestedContent) {
    xml::CXmlReader reader;
    ASSERT_TRUE(reader.OpenText("<?xml version=\"1.0\"?>\r\n<root>\r\n  <a><x><y/><z>t</z></x></a>\r\n  <b/>\r\n"
                                "  <c>text</c>\r\n</root>"));
    ASSERT_TRUE(reader.ReadToElement(0));
    EXPECT_EQ(reader.GetLocalName(), L"root");
    std::vector<std::wstring> children;
    while (reader.ReadToElement(1)) {
        children.push_back(reader.GetLocalName());
        EXPECT_EQ(reader.GetDepth(), 1);
    }
    EXPECT_EQ(children, (std::vector<std::wstring>{L"a", L"b", L"c"}));
    EXPECT_FALSE(reader.ReadToElement(0));
    EXPECT_TRUE(reader.IsEof());
    ASSERT_TRUE(reader.OpenText("\r\n\t <a><b><c/></b><d/></a>")); // leading blanks are passed over
    std::wstring names;
    while (reader.ReadToElement(-1)) {
        names += reader.GetLocalName();
    }
    EXPECT_EQ(names, L"abcd");
}

TEST(XmlReader, ElementTextCases) {
    const struct {
        const char* xml;
        bool ok;
        const wchar_t* text;
    } cases[] = {{"<a/>", true, L""},
                 {"<a>   </a>", true, L""},
                 {"<a><!-- note -->text</a>", true, L"text"},
                 {"<a>  x y </a>", true, L"  x y "},
                 {"<a>&lt;&amp;&gt;&quot;&apos;</a>", true, L"<&>\"'"},
                 {"<a><![CDATA[<&>]]></a>", true, L"<&>"},
                 {"<a>&#x65E5;&#26412;&#x3A;</a>", true, L"\x65E5\x672C:"},
                 {"<a>\xE6\x97\xA5\xF0\x9F\x98\x80</a>", true, L"\x65E5\xD83D\xDE00"}};
    for (const auto& c : cases) {
        xml::CXmlReader reader;
        ASSERT_TRUE(reader.OpenText(c.xml));
        ASSERT_TRUE(reader.ReadToElement(0)) << c.xml;
        std::wstring text = L"stale";
        EXPECT_EQ(reader.ReadElementText(text), c.ok) << c.xml;
        EXPECT_EQ(text, c.text) << c.xml;
    }
}

TEST(XmlReader, AnInvalidReaderAndAnInputWithoutARootDescribeThemselvesSo) {
    xml::CXmlReader reader;
    EXPECT_FALSE(reader.IsValid());
    EXPECT_FALSE(reader.ReadToElement(-1));
    EXPECT_EQ(reader.GetDepth(), -1);
    EXPECT_EQ(reader.GetErrorDescription(), L"XmlReader: Invalid.");
    EXPECT_FALSE(reader.OpenFile(L"C:\\folivex-no-such-folder\\none.xml"));
    EXPECT_EQ(reader.GetErrorDescription(), L"XmlReader: Invalid.");
    // A declaration cut short or without a root element is an end of input, not a parse error.
    for (const char* text : {"<?x", "<?xm", "<?xml", "\xEF\xBB\xBF<?xm", "<?xml version=\"1.0\"",
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<?xml version=\"1.0\"?>\r\n \t"}) {
        ASSERT_TRUE(reader.OpenText(text));
        EXPECT_FALSE(reader.ReadToElement(-1)) << text;
        EXPECT_FALSE(reader.IsEof()) << text;
        EXPECT_EQ(reader.GetErrorDescription(), L"XmlReader: EOF.") << text;
    }
}

TEST(XmlReader, AFailureInsideAnElementGivesItsPosition) {
    xml::CXmlReader reader;
    ASSERT_TRUE(reader.OpenText("<?xml version=\"1.0\"?>\r\n<notes>\r\n  <note>x</nope>\r\n</notes>"));
    while (reader.ReadToElement(-1)) {
    }
    const std::wstring description = reader.GetErrorDescription();
    EXPECT_EQ(description.rfind(L"XmlReader: Line=3 Column=", 0), 0u) << description;
    EXPECT_NE(description.find(L" Depth="), std::wstring::npos) << description;
    EXPECT_FALSE(reader.IsEof());
}

TEST(XmlReader, RawTextIsCheckedForReferencesZeroBytesAndUtf8) {
    const struct {
        std::string_view xml;
        bool ok;
        size_t line, column;
    } cases[] = {
        {"<a t=\"&amp;&lt;&gt;&quot;&apos;&#38;&#x26;\">&#x1F600;</a>"sv, true, 0, 0},
        {"<a><!-- Q&A --><![CDATA[Q&A]]><?pi Q&A?></a>"sv, true, 0, 0},
        {"<a>Q&A</a>"sv, false, 1, 5},
        {"<a>\r\n  Q & A</a>"sv, false, 2, 5},
        {"<a>&e;</a>"sv, false, 1, 4},
        {"<a>&#;</a>"sv, false, 1, 4},
        {"<a>&#12a;</a>"sv, false, 1, 4},
        {"<a t=\"\xE6\x97\xA5&\"/>"sv, false, 1, 8},
        // References must name characters XML allows.
        {"<a t=\"&#9;&#xA;&#13;\">&#xFFFD;&#x10FFFF;</a>"sv, true, 0, 0},
        {"<a>&#1;</a>"sv, false, 1, 4},
        {"<a t=\"&#xFFFF;\"/>"sv, false, 1, 7},
        {"<a>&#xD800;</a>"sv, false, 1, 4},
        {"<a>&#x110000;</a>"sv, false, 1, 4},
        // Bytes that are no well-formed UTF-8: cut short, overlong, an encoded surrogate, beyond U+10FFFF, a stray
        // continuation byte, also inside a comment; a document declaring another encoding is not judged.
        {"<a>\xC3</a>"sv, false, 1, 4},
        {"<a t=\"\xC0\xAF\"/>"sv, false, 1, 7},
        {"<a>\xED\xA0\x80</a>"sv, false, 1, 4},
        {"<a>\xF4\x90\x80\x80</a>"sv, false, 1, 4},
        {"<a>\xE6\x97\xA5\x80</a>"sv, false, 1, 5},
        {"<!-- \xFF --><a/>"sv, false, 1, 6},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE9</a>"sv, true, 0, 0},
        {"<?xml version=\"1.0\"?>\0<a/>"sv, false, 1, 22},
        {"<a>\r\n<!-- \0 --></a>"sv, false, 2, 6},
        {"\0<\0a\0/\0>"sv, true, 0, 0}, // UTF-16 is the platform reader's
        // Positions count from the text as given, before leading blanks and a byte order mark are passed over.
        {"\xEF\xBB\xBF\r\n\r\n<a>Q&A</a>"sv, false, 3, 5},
        {"  <a>Q&A</a>"sv, false, 1, 7},
    };
    for (const auto& c : cases) {
        xml::CXmlTextPosition at;
        EXPECT_EQ(xml::CheckRawText(c.xml, at), c.ok) << c.xml;
        if (!c.ok) {
            EXPECT_EQ(at.line, c.line) << c.xml;
            EXPECT_EQ(at.column, c.column) << c.xml;
            xml::CXmlReader reader;
            ASSERT_TRUE(reader.OpenText(c.xml));
            EXPECT_FALSE(reader.ReadToElement(-1)) << c.xml;
            EXPECT_EQ(reader.GetErrorDescription(),
                      L"XmlReader: Line=" + std::to_wstring(c.line) + L" Column=" + std::to_wstring(c.column));
        }
    }
}

} // namespace
