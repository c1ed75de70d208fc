#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DataSetting.h"
#include "data/DataUrls.h"

#include <gtest/gtest.h>

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

std::wstring Numbered(int n) {
    return L"http://example.com/doc" + std::to_wstring(n) + L".chm";
}

class UrlStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings.SetFolder(m_folder.Path());
        m_urls.SetFolder(m_folder.Path());
    }
    std::wstring File() const { return m_folder.File(L"chmurls.xml"); }
    void SetUrlCount(uint32_t count, bool remember = true) {
        data::CDataSetHist hist = m_settings.GetHist();
        hist.urlNum = count;
        hist.url = remember;
        ASSERT_TRUE(m_settings.SetHist(hist));
    }
    // The addresses, newest first.
    std::vector<std::wstring> Addresses() const {
        std::vector<UrlHandle> handles;
        m_urls.List(handles);
        std::vector<std::wstring> addresses;
        for (const UrlHandle handle : handles) {
            CDataUrl url;
            EXPECT_TRUE(m_urls.Get(handle, url));
            addresses.push_back(url.address);
        }
        return addresses;
    }

    CTempFolder m_folder;
    data::CDataSetting m_settings;
    CDataUrls m_urls{m_settings};
};

TEST_F(UrlStore, WorkedExampleIsWrittenExactlyAndStableAcrossAReload) {
    ASSERT_TRUE(m_urls.Reload());
    ASSERT_TRUE(m_urls.Add(Url(L"https://secure.example.com/help/guide.chm?a=1&b=2", L"", true)));
    ASSERT_TRUE(m_urls.Add(Url(L"ftp://ftp.example.org/pub/guide.chm", L"anna \"A\"", false, true)));
    const std::string expected = kXmlHeader + "<history>\r\n"
                                           "  <url user=\"anna &quot;A&quot;\" pasv=\"true\">"
                                           "ftp://ftp.example.org/pub/guide.chm</url>\r\n"
                                           "  <url cache=\"true\">https://secure.example.com/help/guide.chm?a=1&amp;b=2"
                                           "</url>\r\n"
                                           "</history>";
    ASSERT_EQ(ReadBytes(File()), expected);

    CDataUrls reread(m_settings);
    reread.SetFolder(m_folder.Path());
    ASSERT_TRUE(reread.Reload()) << reread.GetError();
    std::vector<UrlHandle> handles;
    reread.List(handles);
    ASSERT_EQ(handles.size(), 2u);
    CDataUrl first;
    ASSERT_TRUE(reread.Get(handles[0], first));
    EXPECT_TRUE(first == Url(L"ftp://ftp.example.org/pub/guide.chm", L"anna \"A\"", false, true));
    CDataUrl second;
    ASSERT_TRUE(reread.Get(handles[1], second));
    EXPECT_TRUE(second == Url(L"https://secure.example.com/help/guide.chm?a=1&b=2", L"", true));
    // Moving each entry to the front in turn restores the order and writes the same bytes again.
    ASSERT_TRUE(WriteBytes(File(), kXmlHeader + "<history />"));
    ASSERT_TRUE(reread.Update(handles[1], second));
    ASSERT_TRUE(reread.Update(handles[0], first));
    EXPECT_EQ(ReadBytes(File()), expected);
}

TEST_F(UrlStore, AddKeepsTheCountAndALowerCountTakesEffectAtTheNextAddOrUpdate) {
    for (int n = 0; n < 25; ++n) {
        ASSERT_TRUE(m_urls.Add(Url(Numbered(n))));
    }
    ASSERT_EQ(m_urls.Size(), 20u);
    EXPECT_EQ(Addresses().back(), Numbered(5));
    SetUrlCount(5);
    EXPECT_EQ(m_urls.Size(), 20u);
    ASSERT_TRUE(m_urls.Add(Url(Numbered(25))));
    EXPECT_EQ(Addresses(),
              (std::vector<std::wstring>{Numbered(25), Numbered(24), Numbered(23), Numbered(22), Numbered(21)}));
    SetUrlCount(1);
    std::vector<UrlHandle> handles;
    m_urls.List(handles);
    ASSERT_TRUE(m_urls.Update(handles.back(), Url(L"ftp://moved/")));
    EXPECT_EQ(Addresses(), std::vector<std::wstring>{L"ftp://moved/"});
}

TEST_F(UrlStore, UpdateMovesTheEntryToTheFrontWithItsNewOptions) {
    ASSERT_TRUE(m_urls.Add(Url(L"http://a/")));
    ASSERT_TRUE(m_urls.Add(Url(L"http://b/")));
    ASSERT_TRUE(m_urls.Add(Url(L"http://c/")));
    std::vector<UrlHandle> handles;
    m_urls.List(handles);
    const UrlHandle a = handles[2];
    ASSERT_TRUE(m_urls.Update(a, Url(L"http://a/", L"user", true, true)));
    EXPECT_EQ(Addresses(), (std::vector<std::wstring>{L"http://a/", L"http://c/", L"http://b/"}));
    CDataUrl moved;
    m_urls.List(handles);
    ASSERT_TRUE(m_urls.Get(handles.at(0), moved));
    EXPECT_TRUE(moved == Url(L"http://a/", L"user", true, true));
    EXPECT_FALSE(m_urls.Get(a, moved)) << "the old handle is gone with its entry";
    EXPECT_FALSE(m_urls.Update(a, Url(L"http://x/")));
    EXPECT_EQ(m_urls.Size(), 3u);
}

TEST_F(UrlStore, RememberingOffChangesNothing) {
    SetUrlCount(20, false);
    ASSERT_TRUE(m_urls.Add(Url(L"http://a/")));
    EXPECT_EQ(m_urls.Size(), 0u);
    EXPECT_EQ(::GetFileAttributesW(File().c_str()), INVALID_FILE_ATTRIBUTES);

    SetUrlCount(20, true);
    ASSERT_TRUE(m_urls.Add(Url(L"http://a/")));
    ASSERT_TRUE(m_urls.Add(Url(L"http://b/")));
    const std::string before = ReadBytes(File());
    SetUrlCount(20, false);
    std::vector<UrlHandle> handles;
    m_urls.List(handles);
    ASSERT_TRUE(m_urls.Update(handles[1], Url(L"http://changed/")));
    EXPECT_EQ(Addresses(), (std::vector<std::wstring>{L"http://b/", L"http://a/"}));
    EXPECT_EQ(ReadBytes(File()), before);
}

TEST_F(UrlStore, DeleteOneOrAll) {
    ASSERT_TRUE(m_urls.Add(Url(L"http://a/")));
    ASSERT_TRUE(m_urls.Add(Url(L"http://b/")));
    ASSERT_TRUE(m_urls.Add(Url(L"http://c/")));
    std::vector<UrlHandle> handles;
    m_urls.List(handles);
    ASSERT_TRUE(m_urls.Delete(handles[1]));
    EXPECT_EQ(Addresses(), (std::vector<std::wstring>{L"http://c/", L"http://a/"}));
    EXPECT_FALSE(m_urls.Delete(handles[1]));
    EXPECT_EQ(m_urls.Size(), 2u);

    ASSERT_TRUE(m_urls.Delete(data::kNoUrl));
    EXPECT_EQ(m_urls.Size(), 0u);
    EXPECT_EQ(ReadBytes(File()), kXmlHeader + "<history />");
}

TEST_F(UrlStore, ReadingRules) {
    struct Case {
        const char* body;
        bool loads;
        size_t count;
    };
    const Case cases[] = {
        {"<history />", true, 0},
        {"<history><url>http://a/</url><url>http://a/</url></history>", true, 2}, // duplicates are kept
        {"<history><doc /></history>", false, 0},
        {"<urls><url>http://a/</url></urls>", false, 0},
        {"<history /><history />", false, 0},
        {"<history><url>http://a/</history>", false, 0},
    };
    for (const Case& c : cases) {
        CTempFolder folder;
        CDataUrls urls(m_settings);
        EXPECT_EQ(ReloadFromText(urls, folder.Path(), c.body), c.loads) << c.body;
        EXPECT_EQ(urls.GetError().empty(), c.loads) << c.body;
        if (c.loads) {
            EXPECT_EQ(urls.Size(), c.count) << c.body;
        }
    }
}

} // namespace
