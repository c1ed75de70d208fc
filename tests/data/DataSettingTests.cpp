// The settings file and the layout file: worked examples, reading rules and clamping.

#include "DataTestSupport.h"
#include "data/DataSetting.h"
#include "data/DataLayout.h"

namespace {

using data::CDataSetting;

// The whole file with every section at its default except for the given docview element.
std::string DefaultFile(const std::string& docview = "  <docview startdoc=\"none\">\r\n    <file />\r\n    <url />\r\n"
                                                     "    <topic />\r\n  </docview>\r\n") {
    return kXmlHeader + "<setting>\r\n" + docview +
           "  <toolbar fullhide=\"true\" />\r\n"
           "  <topicview1 nopgov1=\"false\">\r\n"
           "    <pgovscr method=\"mwheel\" enable=\"true\" repeat=\"5\" />\r\n"
           "    <pgovscr method=\"curkey\" enable=\"true\" repeat=\"5\" />\r\n"
           "    <pgovscr method=\"pgkey\" enable=\"true\" repeat=\"5\" />\r\n"
           "  </topicview1>\r\n"
           "  <dochist openhide=\"false\" />\r\n"
           "  <doclib openhide=\"false\" />\r\n"
           "  <filedlg>\r\n"
           "    <dir kind=\"doc\" enable=\"false\" />\r\n"
           "    <dir kind=\"data\" enable=\"false\" />\r\n"
           "  </filedlg>\r\n"
           "  <history doc=\"true\" docnum=\"100\" url=\"true\" urlnum=\"20\" />\r\n"
           "  <communicate timeout=\"5\" />\r\n"
           "</setting>";
}

class SettingStore : public ::testing::Test {
protected:
    void SetUp() override { m_settings.SetFolder(m_folder.Path()); }
    std::wstring File() const { return m_folder.File(L"folivex.xml"); }
    // Loads the file, then has the store write it again through a section that clamps nothing, so the file shows
    // what was read. Two writes can share one file time, so the store first forgets the file it remembers; the
    // file goes before the write so that nothing is read again.
    std::string Rewritten(const std::string& body) {
        if (!WriteBytes(File(), kXmlHeader + body) || !m_settings.Reset() || !m_settings.Reload() ||
            !::DeleteFileW(File().c_str()) || !m_settings.SetDocLib(m_settings.GetDocLib())) {
            return "<failed>";
        }
        return ReadBytes(File());
    }

    CTempFolder m_folder;
    CDataSetting m_settings;
};

TEST_F(SettingStore, WithoutAFileNothingIsWrittenUntilTheFirstChangeWritesEverySection) {
    ASSERT_TRUE(m_settings.Reload());
    EXPECT_EQ(ReadBytes(File()), "<missing>");
    data::CDataSetDocView docView = m_settings.GetDocView();
    docView.startDoc = data::StartDoc::File;
    docView.file.path = L"C:\\Docs\\Q&A <1>\\guide.chm";
    ASSERT_TRUE(m_settings.SetDocView(docView));
    EXPECT_EQ(ReadBytes(File()), DefaultFile("  <docview startdoc=\"file\">\r\n"
                                             "    <file>C:\\Docs\\Q&amp;A &lt;1&gt;\\guide.chm</file>\r\n"
                                             "    <url />\r\n    <topic />\r\n  </docview>\r\n"));
}

TEST_F(SettingStore, EveryFieldAwayFromItsDefaultIsReadAndWrittenBackExactly) {
    const std::string body = "<setting>\r\n"
                             "  <docview startdoc=\"url\">\r\n"
                             "    <file>C:\\a&amp;b.chm</file>\r\n"
                             "    <url user=\"anna\" pasv=\"true\">https://example.com/help/guide.chm</url>\r\n"
                             "    <topic>/html/start.htm</topic>\r\n"
                             "  </docview>\r\n"
                             "  <toolbar fullhide=\"false\" />\r\n"
                             "  <topicview1 nopgov1=\"true\">\r\n"
                             "    <pgovscr method=\"mwheel\" enable=\"true\" repeat=\"5\" />\r\n"
                             "    <pgovscr method=\"curkey\" enable=\"false\" repeat=\"0\" />\r\n"
                             "    <pgovscr method=\"pgkey\" enable=\"true\" repeat=\"20\" />\r\n"
                             "  </topicview1>\r\n"
                             "  <dochist openhide=\"true\" />\r\n"
                             "  <doclib openhide=\"true\" />\r\n"
                             "  <filedlg>\r\n"
                             "    <dir kind=\"doc\" enable=\"true\">D:\\\xE3\x83\x98\xE3\x83\xAB\xE3\x83\x97\\"
                             "\xF0\xA0\x80\x8B</dir>\r\n"
                             "    <dir kind=\"data\" enable=\"false\">E:\\data</dir>\r\n"
                             "  </filedlg>\r\n"
                             "  <history doc=\"false\" docnum=\"7\" url=\"false\" urlnum=\"3\" />\r\n"
                             "  <communicate timeout=\"17\" />\r\n"
                             "</setting>";
    EXPECT_EQ(Rewritten(body), kXmlHeader + body);
    EXPECT_EQ(m_settings.GetDocView().file.path, L"C:\\a&b.chm");
    EXPECT_EQ(m_settings.GetFileDlg().doc, (data::DefaultFolder{true, L"D:\\ヘルプ\\𠀋"}));
    EXPECT_EQ(m_settings.GetHist().docNum, 7u);
}

TEST_F(SettingStore, ValuesAreReadAndClampedByTheirRules) {
    const struct {
        const char* section;
        const char* written; // a piece of the file written after the read
    } cases[] = {
        {"<history docnum=\"0\" />", "docnum=\"1\""},
        {"<history docnum=\"500\" />", "docnum=\"100\""},
        {"<history urlnum=\"0\" />", "urlnum=\"1\""},
        {"<history urlnum=\"21\" />", "urlnum=\"20\""},
        {"<communicate timeout=\"1\" />", "timeout=\"5\""},
        {"<communicate timeout=\"-1\" />", "timeout=\"20\""}, // a huge unsigned value
        {"<communicate timeout=\"12\" />", "timeout=\"12\""},
        {"<communicate timeout=\"\" />", "timeout=\"5\""}, // an empty number is 0
        // Repeat 99 clamps; the other rules keep their defaults.
        {"<topicview1><pgovscr method=\"curkey\" enable=\"false\" repeat=\"99\" /></topicview1>",
         "\"mwheel\" enable=\"true\" repeat=\"5\" />\r\n    <pgovscr method=\"curkey\" enable=\"false\" repeat=\"20\""},
        {"<topicview1><pgovscr method=\"pgkey\" enable=\"true\" repeat=\"1\" />"
         "<pgovscr method=\"pgkey\" enable=\"off\" repeat=\"2\" /></topicview1>",
         "\"pgkey\" enable=\"false\" repeat=\"2\""}, // a rule given twice takes the later values
        // "on" is true and is written back as such; a later section wins.
        {"<toolbar fullhide=\"false\" /><toolbar fullhide=\"on\" />", "<toolbar fullhide=\"true\" />"},
        {"<toolbar fullhide=\"TRUE\" />", "<toolbar fullhide=\"false\" />"},
        {"<dochist openhide=\"on\" />", "<dochist openhide=\"true\" />\r\n  <doclib openhide=\"false\" />"},
        {"<docview startdoc=\"FILE\"><file>C:\\a.chm</file></docview>",
         "<docview startdoc=\"none\">\r\n    <file>C:\\a.chm</file>"},
        {"<docview startdoc=\"url\"><topic>/t.htm</topic><url cache=\"true\">http://h/x.chm</url></docview>",
         "<docview startdoc=\"url\">\r\n    <file />\r\n    <url cache=\"true\">http://h/x.chm</url>\r\n"
         "    <topic>/t.htm</topic>"}, // children in any order
        // A dir without enable is disabled but keeps its folder.
        {"<filedlg><dir kind=\"data\">C:\\data</dir><dir kind=\"doc\" enable=\"true\">C:\\docs</dir></filedlg>",
         "<dir kind=\"doc\" enable=\"true\">C:\\docs</dir>\r\n    <dir kind=\"data\" enable=\"false\">C:\\data</dir>"},
    };
    for (const auto& c : cases) {
        const std::string written = Rewritten(std::string("<setting>") + c.section + "</setting>");
        EXPECT_NE(written.find(c.written), std::string::npos) << c.section << "\n" << written;
        EXPECT_EQ(written.find("\"on\""), std::string::npos) << written;
    }
}

TEST_F(SettingStore, MalformedFilesFailToLoad) {
    const char* const bodies[] = {
        "<setting><topicview1><pgovscr method=\"wheel\" enable=\"true\" repeat=\"5\" /></topicview1></setting>",
        "<setting><topicview1><pgovscr method=\"mwheel\" repeat=\"5\" /></topicview1></setting>",
        "<setting><topicview1><pgovscr method=\"mwheel\" enable=\"true\" repeat=\"many\" /></topicview1></setting>",
        "<setting><history docnum=\"ten\" /></setting>",
        "<setting><filedlg><dir enable=\"true\">C:\\x</dir></filedlg></setting>",
        "<setting><filedlg><dir kind=\"chm\" /></filedlg></setting>",
        "<setting><docview><file>a</file><file>b</file></docview></setting>",
        "<setting><colors /></setting>",
        "<settings />",
        "<setting /><setting />",
    };
    for (const char* body : bodies) {
        CDataSetting settings;
        EXPECT_FALSE(LoadsFromText(settings, body)) << body;
    }
}

using data::CDataLayout;
using data::CDataWindow;
using data::WindowShow;

class LayoutStore : public ::testing::Test {
protected:
    void SetUp() override { m_layout.SetFolder(m_folder.Path()); }
    bool LoadText(const std::string& body) {
        return WriteBytes(m_layout.GetPath(), kXmlHeader + body) && m_layout.Load();
    }

    CTempFolder m_folder;
    CDataLayout m_layout;
};

TEST_F(LayoutStore, WorkedExampleIsReadAndWrittenBackExactly) {
    ASSERT_TRUE(m_layout.Load()); // no file: empty layout
    EXPECT_TRUE(m_layout.Records().empty());

    const std::string body = "<layout>\r\n"
                             "  <window name=\"main\" show=\"max\" x=\"-1280\" y=\"12\" cx=\"800\" cy=\"600\" />\r\n"
                             "  <window name=\"dochist\" show=\"normal\" x=\"5\" y=\"6\" cx=\"300\" cy=\"400\" "
                             "sx=\"0\" sy=\"150\" />\r\n"
                             "  <window name=\"shortkey\" show=\"hide\" select=\"2\" />\r\n"
                             "</layout>";
    ASSERT_TRUE(LoadText(body)) << m_layout.GetError();
    CDataWindow main;
    ASSERT_TRUE(m_layout.Get(L"main", main));
    EXPECT_TRUE(main.show == WindowShow::Max && main.hasPosition && main.hasSize && !main.hasSplit &&
                !main.hasSelection && main.x == -1280 && main.cy == 600); // a monitor left of the primary one
    EXPECT_FALSE(m_layout.Get(L"doclib", main));
    ASSERT_TRUE(WriteBytes(m_layout.GetPath(), ""));
    ASSERT_TRUE(m_layout.Save());
    EXPECT_EQ(ReadBytes(m_layout.GetPath()), kXmlHeader + body);
}

// A file that fails to load is never overwritten; the close sequence starts from a reset layout, which may be
// saved again.
TEST_F(LayoutStore, ReadingRulesAndAFailedLoadNeverOverwritesTheFile) {
    const std::pair<const char*, bool> cases[] = {
        {"<layout />", true},
        {"<layout><window name=\"main\" show=\"min\" /></layout>", true},
        {"<layout><window name=\"main\" show=\"huge\" x=\"1\" /></layout>", true}, // unknown keyword: hide
        {"<layout><window show=\"normal\" /></layout>", false},                    // no name
        {"<layout><window name=\"\" /></layout>", false},                          // empty name
        {"<layout><window name=\"main\" x=\"1.5\" /></layout>", false},            // not a whole number
        {"<layout><pane name=\"main\" /></layout>", false},                        // only windows
        {"<layouts />", false},
        {"<layout /><layout />", false},
    };
    for (const auto& [body, loads] : cases) {
        EXPECT_EQ(LoadText(body), loads) << body;
        EXPECT_EQ(m_layout.GetError().empty(), loads) << body;
        if (!loads) {
            EXPECT_FALSE(m_layout.Save()) << body;
            EXPECT_EQ(ReadBytes(m_layout.GetPath()), kXmlHeader + body);
        }
    }
    CDataWindow main;
    main.name = L"main";
    ASSERT_TRUE(m_layout.Reset());
    ASSERT_TRUE(m_layout.Set(main));
    EXPECT_TRUE(m_layout.Save());
    EXPECT_EQ(ReadBytes(m_layout.GetPath()),
              kXmlHeader + "<layout>\r\n  <window name=\"main\" show=\"hide\" />\r\n</layout>");
}

} // namespace
