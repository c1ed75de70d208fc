// The writer: exact envelope bytes, agreement with the platform writer, escaping, refused input.

#include "TestRecords.h"

#include "xml/XmlStream.h"
#include "xml/XmlWriter.h"

#include "win/Handles.h"

#include <gtest/gtest.h>
#include <objidl.h>
#include <xmllite.h>

#include <functional>
#include <string>
#include <vector>

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

TEST(XmlWriter, WithoutIndentationEverythingIsOnOneLine) {
    const std::string text = WriteToText([](xml::CXmlWriter& w) {
        return w.StartDocument() && w.StartElement(L"a") && w.StartElement(L"b") && w.EndElement() && w.EndDocument();
    });
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><a><b /></a>");
}

// One writing step, applied to our writer and to the platform writer alike.
struct Step {
    enum Kind { Start, Attribute, Text, End } kind;
    const wchar_t* name;
    const wchar_t* value;
};

std::string WriteWithPlatform(const std::vector<Step>& steps) {
    win::CComPtr<IStream> stream;
    win::CComPtr<IXmlWriter> writer;
    if (FAILED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive())) ||
        FAILED(::CreateXmlWriter(__uuidof(IXmlWriter), writer.ReceiveVoid(), nullptr)) ||
        FAILED(writer->SetOutput(stream.Get())) || FAILED(writer->SetProperty(XmlWriterProperty_Indent, TRUE)) ||
        FAILED(writer->WriteStartDocument(XmlStandalone_Omit))) {
        return "<platform failed>";
    }
    for (const Step& step : steps) {
        HRESULT hr = S_OK;
        switch (step.kind) {
        case Step::Start:
            hr = writer->WriteStartElement(nullptr, step.name, nullptr);
            break;
        case Step::Attribute:
            hr = writer->WriteAttributeString(nullptr, step.name, nullptr, step.value);
            break;
        case Step::Text:
            hr = writer->WriteString(step.value);
            break;
        case Step::End:
            hr = writer->WriteEndElement();
            break;
        }
        if (FAILED(hr)) {
            return "<platform failed>";
        }
    }
    STATSTG stat{};
    const LARGE_INTEGER start{};
    if (FAILED(writer->WriteEndDocument()) || FAILED(writer->Flush()) || FAILED(stream->Stat(&stat, STATFLAG_NONAME)) ||
        FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) {
        return "<platform failed>";
    }
    std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG got = 0;
    if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got))) {
        return "<platform failed>";
    }
    bytes.resize(got);
    return bytes;
}

std::string WriteWithOurs(const std::vector<Step>& steps) {
    return WriteToText([&steps](xml::CXmlWriter& w) {
        bool ok = w.ApplyProperties({{xml::kXmlWriterPropertyIndent, 1}}) && w.StartDocument();
        for (const Step& step : steps) {
            switch (step.kind) {
            case Step::Start:
                ok = ok && w.StartElement(step.name);
                break;
            case Step::Attribute:
                ok = ok && w.WriteAttribute(step.name, step.value);
                break;
            case Step::Text:
                ok = ok && w.WriteText(step.value);
                break;
            case Step::End:
                ok = ok && w.EndElement();
                break;
            }
        }
        return ok && w.EndDocument();
    });
}

TEST(XmlWriter, MatchesThePlatformWriterWhereNothingNeedsEscaping) {
    using S = Step;
    const std::vector<std::vector<Step>> documents = {
        {{S::Start, L"history"}, {S::End}},
        {{S::Start, L"history"},
         {S::Start, L"folder"},
         {S::Start, L"doc"},
         {S::Attribute, L"title", L"日本語 Guide"},
         {S::Attribute, L"time", L"1700000000"},
         {S::Start, L"file"},
         {S::Text, nullptr, L"C:\\docs\\guide.chm"},
         {S::End},
         {S::Start, L"topic"},
         {S::Text, nullptr, L"/html/intro.htm#top"},
         {S::End},
         {S::End},
         {S::Start, L"doc"},
         {S::End},
         {S::End},
         {S::End}},
        {{S::Start, L"layout"},
         {S::Start, L"window"},
         {S::Attribute, L"name", L"main"},
         {S::Attribute, L"x", L"-1200"},
         {S::End},
         {S::Start, L"window"},
         {S::Attribute, L"name", L"dochist"},
         {S::End},
         {S::End}},
        // Trailing end elements left to the end of the document.
        {{S::Start, L"a"}, {S::Start, L"b"}, {S::Start, L"c"}, {S::Text, nullptr, L"x"}},
    };
    for (size_t i = 0; i < documents.size(); ++i) {
        EXPECT_EQ(WriteWithOurs(documents[i]), WriteWithPlatform(documents[i])) << "document " << i;
    }
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
        std::wstring(L"a\x0001"
                     L"b"),
        std::wstring(L"\x001F"),
        std::wstring(1, L'\0'),
        std::wstring(L"\xFFFE"),
        std::wstring(L"x\xD83D"),
        std::wstring(L"\xDE00y"),
        std::wstring(L"\xD83D\xD83D\xDE00"),
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
        [](xml::CXmlWriter& w) { return w.StartElement(L"1a"); },
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

TEST(XmlStream, AnEmptyStreamGrowsAsTheWriterWrites) {
    xml::CXmlStream stream;
    ASSERT_TRUE(stream.CreateEmpty());
    std::string text = "stale";
    ASSERT_TRUE(stream.GetText(text));
    EXPECT_EQ(text, "");
    const std::string big(100000, 'x');
    ASSERT_TRUE(stream.Append("<a>"));
    ASSERT_TRUE(stream.Append(big));
    ASSERT_TRUE(stream.GetText(text));
    EXPECT_EQ(text, "<a>" + big);
    xml::CXmlStream none;
    EXPECT_FALSE(none.Append("x"));
}

} // namespace
