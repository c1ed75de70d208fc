#include "DataTestSupport.h"
#include "common/RecorderWindow.h"
#include "data/DataHistory.h"
#include "data/DataSetting.h"

namespace {

using data::CDataDoc;
using data::CDataHistory;

class HistoryStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings.SetFolder(m_folder.Path());
        m_history.SetFolder(m_folder.Path());
    }
    void SetDocCount(uint32_t count, bool remember = true) {
        data::CDataSetHist hist = m_settings.GetHist();
        hist.docNum = count;
        hist.doc = remember;
        ASSERT_TRUE(m_settings.SetHist(hist));
    }
    std::wstring Titles() const {
        std::wstring titles;
        for (const data::NodeHandle handle : m_history.List()) {
            CDataDoc doc;
            EXPECT_TRUE(m_history.GetDoc(handle, doc));
            titles += doc.title + L" ";
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

    ExpectFileAndStableExport<CDataHistory>(m_folder,
                                            kXmlHeader + "<history>\r\n"
                                                         "  <folder>\r\n"
                                                         "    <doc title=\"Guide\" time=\"1700000200\">\r\n"
                                                         "      <file>C:\\Docs\\guide.chm</file>\r\n"
                                                         "      <topic>/html/intro.htm</topic>\r\n"
                                                         "    </doc>\r\n"
                                                         "    <doc title=\"Remote\" time=\"1700000100\">\r\n"
                                                         "      <url user=\"anna\" cache=\"true\">"
                                                         "https://example.test/help/b.chm</url>\r\n"
                                                         "    </doc>\r\n"
                                                         "  </folder>\r\n"
                                                         "</history>",
                                            m_settings);
}

TEST_F(HistoryStore, TrimmingKeepsTheNewestEntriesUpToTheDocumentCount) {
    const struct {
        uint32_t count;
        int adds;
        const wchar_t* titles;
    } cases[] = {{1, 1, L"1 "}, {1, 4, L"4 "}, {3, 2, L"2 1 "}, {3, 3, L"3 2 1 "}, {3, 5, L"5 4 3 "}};
    for (const auto& c : cases) {
        SetDocCount(c.count);
        ASSERT_TRUE(m_history.Clear());
        for (int i = 1; i <= c.adds; ++i) {
            ASSERT_TRUE(m_history.Add(FileDoc(std::to_wstring(i), L"C:\\d.chm")));
        }
        EXPECT_EQ(Titles(), c.titles) << c.count << " " << c.adds;
    }
    SetDocCount(100);
    for (int i = 0; i < 101; ++i) {
        ASSERT_TRUE(m_history.Add(FileDoc(L"t", L"C:\\d.chm")));
    }
    EXPECT_EQ(m_history.GetCount(), 100u);
}

TEST_F(HistoryStore, WithRememberingOffAddSucceedsWithoutWritingOrNotifying) {
    SetDocCount(100, false);
    CRecorderWindow recorder;
    m_history.AddView(~0u, recorder.Get(), WM_APP);
    EXPECT_TRUE(m_history.Add(FileDoc(L"a", L"C:\\a.chm")));
    EXPECT_EQ(m_history.GetCount(), 0u);
    EXPECT_EQ(ReadBytes(m_history.GetPath()), "<missing>");
    EXPECT_TRUE(recorder.GetReceived().empty());
}

TEST_F(HistoryStore, TimeIsWrittenOnlyWhenPositive) {
    const std::pair<int64_t, const char*> cases[] = {{0, "<doc title=\"t\">"},
                                                     {-5, "<doc title=\"t\">"},
                                                     {1, "<doc title=\"t\" time=\"1\">"},
                                                     {INT64_MAX, "<doc title=\"t\" time=\"9223372036854775807\">"}};
    for (const auto& [time, start] : cases) {
        ASSERT_TRUE(m_history.Clear());
        ASSERT_TRUE(m_history.Add(FileDoc(L"t", L"C:\\t.chm", time)));
        EXPECT_NE(ReadBytes(m_history.GetPath()).find(start), std::string::npos) << time;
    }
}

TEST_F(HistoryStore, ReadingRules) {
    constexpr size_t kRefused = SIZE_MAX;
    const struct {
        const char* body;
        size_t count;
    } cases[] = {
        {"<history />", 0},
        {"<history><folder /></history>", 0},
        {"<history><folder><doc /><doc title=\"x\" /></folder></history>", 2},
        {"<history><folder><doc time=\"12\" extra=\"ignored\"><file>a</file><url>b</url><topic>c</topic></doc>"
         "</folder></history>",
         1},
        {"<history><folder><doc /></folder><folder><doc /><doc /></folder></history>", 1}, // later skipped
        {"<history><doc title=\"x\" /></history>", kRefused},                              // no folder
        {"<history><folder><doc time=\"12s\" /></folder></history>", kRefused},
        {"<history><folder><doc><file>a</file><file>b</file></doc></folder></history>", kRefused},
        {"<history><folder><doc><note>a</note></doc></folder></history>", kRefused},
        {"<history><folder><entry /></folder></history>", kRefused},
        {"<history><folder /></history><history />", kRefused},
    };
    for (const auto& c : cases) {
        CDataHistory history(m_settings);
        EXPECT_EQ(LoadsFromText(history, c.body) ? history.GetCount() : kRefused, c.count) << c.body;
    }
}

} // namespace
