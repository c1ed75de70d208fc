#include "DataTestSupport.h"
#include "data/DataSetting.h"
#include "data/DataUrls.h"

namespace {

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

class UrlStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings.SetFolder(m_folder.Path());
        m_urls.SetFolder(m_folder.Path());
    }
    void SetUrlCount(uint32_t count, bool remember = true) {
        data::CDataSetHist hist = m_settings.GetHist();
        hist.urlNum = count;
        hist.url = remember;
        ASSERT_TRUE(m_settings.SetHist(hist));
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
    CDataUrls m_urls{m_settings};
};

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

TEST_F(UrlStore, AddKeepsTheCountAndALowerCountTakesEffectAtTheNextAddOrUpdate) {
    for (int n = 0; n < 25; ++n) {
        ASSERT_TRUE(m_urls.Add(Url(L"h" + std::to_wstring(n))));
    }
    ASSERT_EQ(m_urls.Size(), 20u);
    EXPECT_TRUE(Addresses().ends_with(L" h5 "));
    SetUrlCount(5);
    EXPECT_EQ(m_urls.Size(), 20u);
    Add({L"h25"});
    EXPECT_EQ(Addresses(), L"h25 h24 h23 h22 h21 ");
    SetUrlCount(1);
    ASSERT_TRUE(m_urls.Update(Handles().back(), Url(L"ftp://moved/")));
    EXPECT_EQ(Addresses(), L"ftp://moved/ ");
}

// Update moves the entry to the front with its new options under a new handle; a handle never names another
// entry once its own is gone.
TEST_F(UrlStore, UpdateAndDeleteByHandle) {
    Add({L"http://a/", L"http://b/", L"http://c/"});
    const std::vector<UrlHandle> handles = Handles();
    ASSERT_TRUE(m_urls.Update(handles[2], Url(L"http://a/", L"user", true, true)));
    EXPECT_EQ(Addresses(), L"http://a/ http://c/ http://b/ ");
    CDataUrl moved;
    ASSERT_TRUE(m_urls.Get(Handles().at(0), moved));
    EXPECT_TRUE(moved == Url(L"http://a/", L"user", true, true));
    EXPECT_FALSE(m_urls.Get(handles[2], moved));
    EXPECT_FALSE(m_urls.Update(handles[2], Url(L"http://x/")));
    ASSERT_TRUE(m_urls.Delete(handles[1]));
    EXPECT_EQ(Addresses(), L"http://a/ http://c/ ");
    const std::string deleted = ReadBytes(m_urls.GetPath());
    EXPECT_TRUE(m_urls.Delete(handles[1])) << "already gone, as wanted";
    EXPECT_EQ(ReadBytes(m_urls.GetPath()), deleted);
    ASSERT_TRUE(m_urls.Delete(data::kNoUrl));
    EXPECT_EQ(m_urls.Size(), 0u);
    EXPECT_EQ(ReadBytes(m_urls.GetPath()), kXmlHeader + "<history />");
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

TEST_F(UrlStore, RememberingOffChangesNothing) {
    SetUrlCount(20, false);
    Add({L"http://a/"});
    EXPECT_EQ(m_urls.Size(), 0u);
    EXPECT_EQ(ReadBytes(m_urls.GetPath()), "<missing>");

    SetUrlCount(20, true);
    Add({L"http://a/", L"http://b/"});
    const std::string before = ReadBytes(m_urls.GetPath());
    SetUrlCount(20, false);
    ASSERT_TRUE(m_urls.Update(Handles()[1], Url(L"http://changed/")));
    EXPECT_EQ(Addresses(), L"http://b/ http://a/ ");
    EXPECT_EQ(ReadBytes(m_urls.GetPath()), before);
}

TEST_F(UrlStore, ReadingRules) {
    constexpr size_t kRefused = SIZE_MAX;
    const std::pair<const char*, size_t> cases[] = {
        {"<history />", 0},
        {"<history><url>http://a/</url><url>http://a/</url></history>", 2}, // duplicates are kept
        {"<history><doc /></history>", kRefused},
        {"<urls><url>http://a/</url></urls>", kRefused},
        {"<history /><history />", kRefused},
        {"<history><url>http://a/</history>", kRefused},
    };
    for (const auto& [body, count] : cases) {
        CDataUrls urls(m_settings);
        EXPECT_EQ(LoadsFromText(urls, body) ? urls.Size() : kRefused, count) << body;
    }
}

} // namespace
