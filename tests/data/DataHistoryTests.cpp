// The two lists whose length the settings bound: the history and the URL list.

#include "DataTestSupport.h"
#include "common/RecorderWindow.h"
#include "data/DataHistory.h"
#include "data/DataSetting.h"
#include "data/DataUrls.h"

namespace {

using data::CDataDoc;
using data::CDataHistory;
using data::CDataUrl;
using data::CDataUrls;
using data::UrlHandle;

CDataUrl Url(const std::wstring& address, const std::wstring& user = {}, bool cache = false, bool pasv = false) {
    CDataUrl url;
    url.address = address;
    url.user = user;
    url.cache = cache;
    url.pasv = pasv;
    return url;
}

class HistoryStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings.SetFolder(m_folder.Path());
        m_history.SetFolder(m_folder.Path());
        m_urls.SetFolder(m_folder.Path());
    }
    // The bound of the history and whether it is remembered at all.
    void SetCount(uint32_t count, bool remember = true) {
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
    std::vector<UrlHandle> Handles() const {
        std::vector<UrlHandle> handles;
        m_urls.List(handles);
        return handles;
    }
    // The addresses, newest first, each followed by a blank.
    std::wstring Addresses() const {
        std::wstring addresses;
        for (const UrlHandle handle : Handles()) {
            CDataUrl url;
            EXPECT_TRUE(m_urls.Get(handle, url));
            addresses += url.address + L" ";
        }
        return addresses;
    }
    void Add(std::initializer_list<const wchar_t*> addresses) {
        for (const wchar_t* address : addresses) {
            ASSERT_TRUE(m_urls.Add(Url(address)));
        }
    }

    CTempFolder m_folder;
    data::CDataSetting m_settings;
    CDataHistory m_history{m_settings};
    CDataUrls m_urls{m_settings};
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
        SetCount(c.count);
        ASSERT_TRUE(m_history.Clear());
        for (int i = 1; i <= c.adds; ++i) {
            ASSERT_TRUE(m_history.Add(FileDoc(std::to_wstring(i), L"C:\\d.chm")));
        }
        EXPECT_EQ(Titles(), c.titles) << c.count << " " << c.adds;
    }
    SetCount(100);
    for (int i = 0; i < 101; ++i) {
        ASSERT_TRUE(m_history.Add(FileDoc(L"t", L"C:\\d.chm")));
    }
    EXPECT_EQ(m_history.GetCount(), 100u);
}

TEST_F(HistoryStore, WithRememberingOffAddSucceedsWithoutWritingOrNotifying) {
    SetCount(100, false);
    CRecorderWindow recorder;
    m_history.AddView(~0u, recorder.Get(), WM_APP);
    EXPECT_TRUE(m_history.Add(FileDoc(L"a", L"C:\\a.chm")));
    EXPECT_EQ(m_history.GetCount(), 0u);
    EXPECT_EQ(ReadBytes(m_history.GetPath()), "<missing>");
    EXPECT_TRUE(recorder.GetReceived().empty());
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
    // The URL list shares the root name and keeps duplicates as read.
    const std::pair<const char*, size_t> urlCases[] = {
        {"<history />", 0},
        {"<history><url>http://a/</url><url>http://a/</url></history>", 2},
        {"<history><doc /></history>", kRefused},
        {"<urls><url>http://a/</url></urls>", kRefused},
        {"<history /><history />", kRefused},
        {"<history><url>http://a/</history>", kRefused},
    };
    for (const auto& [body, count] : urlCases) {
        CDataUrls urls(m_settings);
        EXPECT_EQ(LoadsFromText(urls, body) ? urls.Size() : kRefused, count) << body;
    }
}

class UrlStore : public HistoryStore {};

TEST_F(UrlStore, WorkedExampleIsWrittenExactlyAndStableAcrossAReload) {
    ASSERT_TRUE(m_urls.Reload());
    ASSERT_TRUE(m_urls.Add(Url(L"https://secure.example.com/help/guide.chm?a=1&b=2", L"", true)));
    ASSERT_TRUE(m_urls.Add(Url(L"ftp://ftp.example.org/pub/guide.chm", L"anna \"A\"", false, true)));
    ExpectFileAndStableExport<CDataUrls>(m_folder,
                                         kXmlHeader + "<history>\r\n"
                                                      "  <url user=\"anna &quot;A&quot;\" pasv=\"true\">"
                                                      "ftp://ftp.example.org/pub/guide.chm</url>\r\n"
                                                      "  <url cache=\"true\">https://secure.example.com/help/"
                                                      "guide.chm?a=1&amp;b=2</url>\r\n"
                                                      "</history>",
                                         m_settings);
}

// A stale instance's handles follow their addresses into another instance's changes.
TEST_F(UrlStore, AStaleInstanceUpdatesTheEntryOfTheSameAddress) {
    Add({L"http://a/", L"http://b/"});
    CDataUrls other(m_settings);
    other.SetFolder(m_folder.Path());
    ASSERT_TRUE(other.Reload());
    std::vector<UrlHandle> stale;
    other.List(stale);
    ASSERT_EQ(stale.size(), 2u);
    Add({L"http://c/"});
    ASSERT_TRUE(m_urls.Delete(Handles().at(1)));
    ASSERT_EQ(Addresses(), L"http://c/ http://a/ ");

    ASSERT_TRUE(other.Update(stale[1], Url(L"http://a/", L"anna"))) << other.GetError();
    EXPECT_FALSE(other.Update(stale[0], Url(L"http://b/")));
    EXPECT_EQ(other.GetError(), xml::kErrorRecordGone);
    ASSERT_TRUE(m_urls.Reload());
    EXPECT_EQ(Addresses(), L"http://a/ http://c/ ");
    CDataUrl first;
    ASSERT_TRUE(m_urls.Get(Handles().at(0), first));
    EXPECT_EQ(first.user, L"anna");
}

} // namespace
