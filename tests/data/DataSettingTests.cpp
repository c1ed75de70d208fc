#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DataSetting.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using data::CDataSetting;
using data::PageOverMethod;
using data::StartDoc;


// The whole file with every section at its default; `docview` is the docview element with its line end.
std::string DefaultFile(const std::string& docview = "  <docview startdoc=\"none\">\r\n"
                                                     "    <file />\r\n"
                                                     "    <url />\r\n"
                                                     "    <topic />\r\n"
                                                     "  </docview>\r\n") {
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
    // Writes the file and reloads the store from it. Two writes can share one file time, so the store first
    // forgets the time it remembers.
    bool LoadBody(const std::string& body) {
        return WriteBytes(File(), kXmlHeader + body) && m_settings.Reset() && m_settings.Reload();
    }

    CTempFolder m_folder;
    CDataSetting m_settings;
};

TEST_F(SettingStore, WorkedExampleIsWrittenExactlyAndStableAcrossAReload) {
    ASSERT_TRUE(m_settings.Reload());
    data::CDataSetDocView docView = m_settings.GetDocView();
    docView.startDoc = StartDoc::File;
    docView.file.path = L"C:\\Docs\\Q&A <1>\\guide.chm";
    ASSERT_TRUE(m_settings.SetDocView(docView));

    const std::string expected = DefaultFile("  <docview startdoc=\"file\">\r\n"
                                             "    <file>C:\\Docs\\Q&amp;A &lt;1&gt;\\guide.chm</file>\r\n"
                                             "    <url />\r\n"
                                             "    <topic />\r\n"
                                             "  </docview>\r\n");
    ASSERT_EQ(ReadBytes(File()), expected);

    CDataSetting reread;
    reread.SetFolder(m_folder.Path());
    ASSERT_TRUE(reread.Reload()) << reread.GetError();
    EXPECT_EQ(reread.GetDocView().startDoc, StartDoc::File);
    EXPECT_EQ(reread.GetDocView().file.path, docView.file.path);
    // Saving what was read writes the same bytes.
    ASSERT_TRUE(WriteBytes(File(), DefaultFile()));
    ASSERT_TRUE(reread.SetToolBar(reread.GetToolBar()));
    EXPECT_EQ(ReadBytes(File()), expected);
}

TEST_F(SettingStore, EveryFieldSurvivesASaveAndAReload) {
    data::CDataSetDocView docView;
    docView.startDoc = StartDoc::Url;
    docView.url.address = L"https://example.com/help/guide.chm";
    docView.url.user = L"anna";
    docView.url.pasv = true;
    docView.topic.path = L"/html/start.htm";
    data::CDataSetToolBar toolBar;
    toolBar.fullHide = false;
    data::CDataSetHtmlView1 view;
    view.noPageOverOffContents = true;
    view.Rule(PageOverMethod::CursorKey) = {false, 0};
    view.Rule(PageOverMethod::PageKey) = {true, 20};
    data::CDataSetDocHist docHist;
    docHist.openHide = true;
    data::CDataSetDocLib docLib;
    docLib.openHide = true;
    data::CDataSetFileDlg fileDlg;
    fileDlg.doc = {true, L"D:\\ヘルプ\\𠀋"};
    fileDlg.data = {false, L"E:\\data"};
    data::CDataSetHist hist;
    hist.doc = false;
    hist.docNum = 7;
    hist.url = false;
    hist.urlNum = 3;
    data::CDataSetComm comm;
    comm.timeout = 17;
    ASSERT_TRUE(m_settings.SetDocView(docView));
    ASSERT_TRUE(m_settings.SetToolBar(toolBar));
    ASSERT_TRUE(m_settings.SetHtmlView1(view));
    ASSERT_TRUE(m_settings.SetDocHist(docHist));
    ASSERT_TRUE(m_settings.SetDocLib(docLib));
    ASSERT_TRUE(m_settings.SetFileDlg(fileDlg));
    ASSERT_TRUE(m_settings.SetHist(hist));
    ASSERT_TRUE(m_settings.SetComm(comm));
    const std::string written = ReadBytes(File());
    for (const char* value :
         {"startdoc=\"url\"", "user=\"anna\" pasv=\"true\"", "fullhide=\"false\"", "nopgov1=\"true\"",
          "\"curkey\" enable=\"false\" repeat=\"0\"", "\"pgkey\" enable=\"true\" repeat=\"20\"",
          "<dochist openhide=\"true\" />", "<doclib openhide=\"true\" />", "E:\\data",
          "doc=\"false\" docnum=\"7\" url=\"false\" urlnum=\"3\"", "timeout=\"17\""}) {
        EXPECT_NE(written.find(value), std::string::npos) << value;
    }

    // What another store reads back it writes again unchanged.
    CDataSetting reread;
    reread.SetFolder(m_folder.Path());
    ASSERT_TRUE(reread.Reload()) << reread.GetError();
    EXPECT_EQ(reread.GetFileDlg().doc, fileDlg.doc);
    EXPECT_EQ(reread.GetHtmlView1().rules, view.rules);
    ASSERT_TRUE(WriteBytes(File(), DefaultFile()));
    ASSERT_TRUE(reread.SetComm(reread.GetComm()));
    EXPECT_EQ(ReadBytes(File()), written);
}

TEST_F(SettingStore, WithoutAFileTheDefaultsHoldAndNothingIsWrittenUntilTheFirstChange) {
    ASSERT_TRUE(m_settings.Reload());
    EXPECT_EQ(::GetFileAttributesW(File().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(m_settings.GetToolBar().fullHide);
    EXPECT_EQ(m_settings.GetHist().docNum, 100u);
    EXPECT_EQ(m_settings.GetComm().timeout, 5u);

    ASSERT_TRUE(m_settings.SetDocHist(m_settings.GetDocHist()));
    EXPECT_EQ(ReadBytes(File()), DefaultFile());
}

TEST_F(SettingStore, ValuesAreReadAndClampedByTheirRules) {
    struct Case {
        const char* section;
        std::function<bool(const CDataSetting&)> holds;
        const char* what;
    };
    const Case cases[] = {
        {"<history docnum=\"0\" />", [](const CDataSetting& s) { return s.GetHist().docNum == 1; }, "docnum 0"},
        {"<history docnum=\"500\" />", [](const CDataSetting& s) { return s.GetHist().docNum == 100; }, "docnum 500"},
        {"<history urlnum=\"0\" />", [](const CDataSetting& s) { return s.GetHist().urlNum == 1; }, "urlnum 0"},
        {"<history urlnum=\"21\" />", [](const CDataSetting& s) { return s.GetHist().urlNum == 20; }, "urlnum 21"},
        {"<communicate timeout=\"1\" />", [](const CDataSetting& s) { return s.GetComm().timeout == 5; }, "timeout 1"},
        {"<communicate timeout=\"-1\" />", [](const CDataSetting& s) { return s.GetComm().timeout == 20; },
         "timeout -1 is a huge unsigned value"},
        {"<communicate timeout=\"12\" />", [](const CDataSetting& s) { return s.GetComm().timeout == 12; }, "in range"},
        {"<communicate timeout=\"\" />", [](const CDataSetting& s) { return s.GetComm().timeout == 5; },
         "an empty number is 0"},
        {"<topicview1><pgovscr method=\"curkey\" enable=\"false\" repeat=\"99\" /></topicview1>",
         [](const CDataSetting& s) {
             return s.GetHtmlView1().Rule(PageOverMethod::CursorKey) == data::PageOverRule{false, 20} &&
                    s.GetHtmlView1().Rule(PageOverMethod::MouseWheel) == data::PageOverRule{true, 5};
         },
         "repeat 99, other rules at their defaults"},
        {"<topicview1><pgovscr method=\"pgkey\" enable=\"true\" repeat=\"1\" />"
         "<pgovscr method=\"pgkey\" enable=\"off\" repeat=\"2\" /></topicview1>",
         [](const CDataSetting& s) {
             return s.GetHtmlView1().Rule(PageOverMethod::PageKey) == data::PageOverRule{false, 2};
         },
         "a rule given twice takes the later values"},
        {"<toolbar fullhide=\"false\" /><toolbar fullhide=\"on\" />",
         [](const CDataSetting& s) { return s.GetToolBar().fullHide; }, "\"on\" is true; a later section wins"},
        {"<toolbar fullhide=\"TRUE\" />", [](const CDataSetting& s) { return !s.GetToolBar().fullHide; },
         "capitals are not true"},
        {"<dochist openhide=\"on\" />",
         [](const CDataSetting& s) { return s.GetDocHist().openHide && !s.GetDocLib().openHide; }, "dochist only"},
        {"<docview startdoc=\"FILE\"><file>C:\\a.chm</file></docview>",
         [](const CDataSetting& s) {
             return s.GetDocView().startDoc == StartDoc::None && s.GetDocView().file.path == L"C:\\a.chm";
         },
         "startdoc in capitals keeps none"},
        {"<docview startdoc=\"url\"><topic>/t.htm</topic><url cache=\"true\">http://h/x.chm</url></docview>",
         [](const CDataSetting& s) {
             const auto view = s.GetDocView();
             return view.startDoc == StartDoc::Url && view.url.cache && view.url.address == L"http://h/x.chm" &&
                    view.topic.path == L"/t.htm";
         },
         "children in any order"},
        {"<filedlg><dir kind=\"data\">C:\\data</dir><dir kind=\"doc\" enable=\"true\">C:\\docs</dir></filedlg>",
         [](const CDataSetting& s) {
             const auto dialog = s.GetFileDlg();
             return dialog.data == data::DefaultFolder{false, L"C:\\data"} &&
                    dialog.doc == data::DefaultFolder{true, L"C:\\docs"};
         },
         "a dir without enable is disabled but keeps its folder"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(LoadBody(std::string("<setting>") + c.section + "</setting>")) << c.what << m_settings.GetError();
        EXPECT_TRUE(c.holds(m_settings)) << c.what;
    }
}

TEST_F(SettingStore, OnIsWrittenBackAsTrue) {
    ASSERT_TRUE(LoadBody("<setting><toolbar fullhide=\"on\" /><doclib openhide=\"on\" /></setting>"));
    ASSERT_TRUE(m_settings.SetComm(m_settings.GetComm()));
    const std::string written = ReadBytes(File());
    EXPECT_NE(written.find("<toolbar fullhide=\"true\" />"), std::string::npos) << written;
    EXPECT_NE(written.find("<doclib openhide=\"true\" />"), std::string::npos) << written;
    EXPECT_EQ(written.find("\"on\""), std::string::npos) << written;
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
        CTempFolder folder;
        ASSERT_TRUE(WriteBytes(folder.File(L"folivex.xml"), kXmlHeader + body));
        CDataSetting settings;
        settings.SetFolder(folder.Path());
        EXPECT_FALSE(settings.Reload()) << body;
        EXPECT_FALSE(settings.GetError().empty()) << body;
        EXPECT_FALSE(settings.IsValid()) << body;
    }
}

TEST_F(SettingStore, SettersBringNumbersIntoRange) {
    data::CDataSetHist hist;
    hist.docNum = 0;
    hist.urlNum = 1000;
    ASSERT_TRUE(m_settings.SetHist(hist));
    EXPECT_EQ(m_settings.GetHist().docNum, 1u);
    EXPECT_EQ(m_settings.GetHist().urlNum, 20u);
    data::CDataSetComm comm;
    comm.timeout = 0;
    ASSERT_TRUE(m_settings.SetComm(comm));
    EXPECT_EQ(m_settings.GetComm().timeout, 5u);
    data::CDataSetHtmlView1 view;
    view.Rule(PageOverMethod::MouseWheel).repeat = 21;
    ASSERT_TRUE(m_settings.SetHtmlView1(view));
    EXPECT_EQ(m_settings.GetHtmlView1().Rule(PageOverMethod::MouseWheel).repeat, 20u);
    const std::string written = ReadBytes(File());
    EXPECT_NE(written.find("docnum=\"1\" url=\"true\" urlnum=\"20\""), std::string::npos) << written;
}

} // namespace
