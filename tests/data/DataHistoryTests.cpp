#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DataHistory.h"
#include "data/DataSetting.h"
#include "common/RecorderWindow.h"

#include <gtest/gtest.h>

namespace {

using data::CDataDoc;
using data::CDataHistory;
using data::NodeHandle;


CDataDoc FileDoc(const std::wstring& title, const std::wstring& path, int64_t time = 0) {
    CDataDoc doc;
    doc.title = title;
    doc.file.path = path;
    doc.time = time;
    return doc;
}

class HistoryStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings.SetFolder(m_folder.Path());
        m_history.SetFolder(m_folder.Path());
    }
    std::wstring File() const { return m_folder.File(L"chmhist.xml"); }
    void SetDocCount(uint32_t count, bool remember = true) {
        data::CDataSetHist hist = m_settings.GetHist();
        hist.docNum = count;
        hist.doc = remember;
        ASSERT_TRUE(m_settings.SetHist(hist));
    }
    std::vector<std::wstring> Titles(const CDataHistory& history) const {
        std::vector<std::wstring> titles;
        for (const NodeHandle handle : history.List()) {
            CDataDoc doc;
            EXPECT_TRUE(history.GetDoc(handle, doc));
            titles.push_back(doc.title);
        }
        return titles;
    }

    CTempFolder m_folder;
    data::CDataSetting m_settings;
    CDataHistory m_history{m_settings};
};

TEST_F(HistoryStore, WorkedExampleIsWrittenExactlyAndStaysStableThroughAReload) {
    ASSERT_TRUE(m_history.Reload());
    CDataDoc downloaded;
    downloaded.title = L"Remote";
    downloaded.time = 1700000100;
    downloaded.url.address = L"https://example.test/help/b.chm";
    downloaded.url.user = L"anna";
    downloaded.url.cache = true;
    ASSERT_TRUE(m_history.Add(downloaded));
    CDataDoc local = FileDoc(L"Guide", L"C:\\Docs\\guide.chm", 1700000200);
    local.topic.path = L"/html/intro.htm";
    ASSERT_TRUE(m_history.Add(local));

    const std::string expected = kXmlHeader +
                                 "<history>\r\n"
                                 "  <folder>\r\n"
                                 "    <doc title=\"Guide\" time=\"1700000200\">\r\n"
                                 "      <file>C:\\Docs\\guide.chm</file>\r\n"
                                 "      <topic>/html/intro.htm</topic>\r\n"
                                 "    </doc>\r\n"
                                 "    <doc title=\"Remote\" time=\"1700000100\">\r\n"
                                 "      <url user=\"anna\" cache=\"true\">https://example.test/help/b.chm</url>\r\n"
                                 "    </doc>\r\n"
                                 "  </folder>\r\n"
                                 "</history>";
    EXPECT_EQ(ReadBytes(File()), expected);

    CDataHistory reread(m_settings);
    reread.SetFolder(m_folder.Path());
    ASSERT_TRUE(reread.Reload()) << reread.GetError();
    const std::vector<NodeHandle> handles = reread.List();
    ASSERT_EQ(handles.size(), 2u);
    CDataDoc got;
    ASSERT_TRUE(reread.GetDoc(handles[0], got));
    EXPECT_TRUE(got == local);
    ASSERT_TRUE(reread.GetDoc(handles[1], got));
    EXPECT_TRUE(got == downloaded);

    const std::wstring copy = m_folder.File(L"copy.xml");
    ASSERT_TRUE(reread.Export(copy));
    EXPECT_EQ(ReadBytes(copy), expected);
}

TEST_F(HistoryStore, TrimmingKeepsTheNewestEntriesUpToTheDocumentCount) {
    struct Case {
        uint32_t count;
        int adds;
        size_t kept;
    };
    for (const Case& c :
         {Case{1, 1, 1}, Case{1, 4, 1}, Case{3, 2, 2}, Case{3, 3, 3}, Case{3, 5, 3}, Case{100, 101, 100}}) {
        CTempFolder folder;
        data::CDataSetting settings;
        settings.SetFolder(folder.Path());
        data::CDataSetHist hist = settings.GetHist();
        hist.docNum = c.count;
        ASSERT_TRUE(settings.SetHist(hist));
        CDataHistory history(settings);
        history.SetFolder(folder.Path());
        for (int i = 1; i <= c.adds; ++i) {
            ASSERT_TRUE(history.Add(FileDoc(std::to_wstring(i), L"C:\\d.chm")));
        }
        const std::vector<std::wstring> titles = Titles(history);
        ASSERT_EQ(titles.size(), c.kept) << c.count << " " << c.adds;
        EXPECT_EQ(titles.front(), std::to_wstring(c.adds));
        EXPECT_EQ(titles.back(), std::to_wstring(c.adds + 1 - static_cast<int>(c.kept)));
    }
}

TEST_F(HistoryStore, WithRememberingOffAddSucceedsWithoutWritingOrNotifying) {
    SetDocCount(100, false);
    CRecorderWindow recorder;
    m_history.AddView(~0u, recorder.Get(), WM_APP);
    EXPECT_TRUE(m_history.Add(FileDoc(L"a", L"C:\\a.chm")));
    EXPECT_EQ(m_history.GetCount(), 0u);
    EXPECT_EQ(::GetFileAttributesW(File().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(recorder.GetReceived().empty());
}

TEST_F(HistoryStore, TimeIsWrittenOnlyWhenPositive) {
    struct Case {
        int64_t time;
        const char* start;
    };
    const Case cases[] = {
        {0, "<doc title=\"t\">"},
        {-5, "<doc title=\"t\">"},
        {1, "<doc title=\"t\" time=\"1\">"},
        {INT64_MAX, "<doc title=\"t\" time=\"9223372036854775807\">"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(m_history.Clear());
        ASSERT_TRUE(m_history.Add(FileDoc(L"t", L"C:\\t.chm", c.time)));
        EXPECT_NE(ReadBytes(File()).find(c.start), std::string::npos) << c.time;
    }
}

TEST_F(HistoryStore, ReadingRules) {
    struct Case {
        const char* body;
        bool loads;
        size_t count;
    };
    const Case cases[] = {
        {"<history />", true, 0},
        {"<history><folder /></history>", true, 0},
        {"<history><folder><doc /><doc title=\"x\" /></folder></history>", true, 2},
        {"<history><folder><doc time=\"12\" extra=\"ignored\"><file>a</file><url>b</url><topic>c</topic></doc>"
         "</folder></history>",
         true, 1},
        {"<history><folder><doc /></folder><folder><doc /><doc /></folder></history>", true, 1}, // later skipped
        {"<history><doc title=\"x\" /></history>", false, 0},                                    // no folder
        {"<history><folder><doc time=\"12s\" /></folder></history>", false, 0},
        {"<history><folder><doc><file>a</file><file>b</file></doc></folder></history>", false, 0},
        {"<history><folder><doc><note>a</note></doc></folder></history>", false, 0},
        {"<history><folder><entry /></folder></history>", false, 0},
        {"<history><folder /></history><history />", false, 0},
    };
    for (const Case& c : cases) {
        CTempFolder folder;
        CDataHistory history(m_settings);
        EXPECT_EQ(ReloadFromText(history, folder.Path(), c.body), c.loads) << c.body;
        EXPECT_EQ(history.GetError().empty(), c.loads) << c.body;
        if (c.loads) {
            EXPECT_EQ(history.GetCount(), c.count) << c.body;
        }
    }
}

} // namespace
