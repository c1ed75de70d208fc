// Text in and out of data files: the writer's escaping and refusals, the reader's error positions and reference
// check, the value conversions.

#include "xml/XmlReader.h"
#include "xml/XmlStream.h"
#include "xml/XmlTextCheck.h"
#include "xml/XmlValues.h"
#include "xml/XmlWriter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

using namespace std::string_view_literals;

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

// A file nested deeper than the readers accept would be one no instance could read back.
TEST(XmlWriter, RefusesNestingDeeperThanReadersAccept) {
    EXPECT_EQ(WriteToText(kNest(xml::kMaxElementDepth + 1)), "<failed>");
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

TEST(XmlValues, UnsignedNumbersReadWholeAndClamp) {
    constexpr uint32_t kUntouched = 77;
    const struct {
        const wchar_t* text;
        uint32_t low, high;
        bool ok;
        uint32_t expected;
    } cases[] = {
        {L"5", 1, 100, true, 5},
        {L"0", 1, 100, true, 1},
        {L"500", 1, 100, true, 100},
        {L"", 1, 100, true, 1},   // empty reads as 0, then clamps
        {L"-1", 5, 20, true, 20}, // taken as unsigned: the largest value
        {L"+7", 0, 100, true, 7},
        {L"99999999999", 0, 4000000000u, true, 2147483647u}, // saturates like the standard conversion
        {L"4294967295", 0, 4294967295u, true, 2147483647u},
        {L"12abc", 0, 100, false, kUntouched},
        {L" 12", 0, 100, false, kUntouched},
        {L"12 ", 0, 100, false, kUntouched},
        {L"0x10", 0, 100, false, kUntouched},
        {L"1.5", 0, 100, false, kUntouched},
    };
    for (const auto& c : cases) {
        uint32_t value = kUntouched;
        EXPECT_EQ(xml::TextToUInt(c.text, c.low, c.high, value), c.ok) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(value, c.expected) << testing::PrintToString(std::wstring(c.text));
    }
}

// Signed 32-bit numbers and 64-bit times share their rules; a refused text leaves the value alone.
TEST(XmlValues, SignedNumbersAndTimesReadWhole) {
    const struct {
        const wchar_t* text;
        bool ok;
        int64_t expected;
        bool is32;
    } cases[] = {
        {L"-1200", true, -1200, true},
        {L"", true, 0, true},
        {L"2147483647", true, INT32_MAX, true},
        {L"-2147483648", true, INT32_MIN, true},
        {L"7px", false, 3, true},
        {L" 7", false, 3, true},
        {L"--7", false, 3, true},
        {L"4102444800", true, 4102444800LL, false}, // beyond 32 bits: year 2100
        {L"9223372036854775807", true, INT64_MAX, false},
        {L"-5", true, -5, false},
        {L"", true, 0, false},
        {L"17e9", false, 3, false},
        {L" 1", false, 3, false},
    };
    for (const auto& c : cases) {
        int32_t number = 3;
        int64_t time = 3;
        const bool ok = c.is32 ? xml::TextToLong(c.text, number) : xml::TextToTime(c.text, time);
        EXPECT_EQ(ok, c.ok) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(c.is32 ? number : time, c.expected) << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_EQ(xml::LongToText(-1200), L"-1200");
    EXPECT_EQ(xml::UIntToText(4294967295u), L"4294967295");
    EXPECT_EQ(xml::TimeToText(INT64_MIN), L"-9223372036854775808");
}

} // namespace
