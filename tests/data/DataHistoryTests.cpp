#include "common/TempFolder.h"
#include "data/DataHistory.h"
#include "data/DataSetting.h"
#include "xml/RecorderWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

namespace {

using data::CDataDoc;
using data::CDataHistory;
using data::NodeHandle;

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

std::string ReadFile(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::wstring& path, const std::string& text) {
    std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << text;
}

bool Exists(const std::wstring& path) {
    return std::filesystem::exists(std::filesystem::path(path));
}

CDataDoc FileDoc(const std::wstring& title, const std::wstring& path, int64_t time = 0) {
    CDataDoc doc;
    doc.title = title;
    doc.file.path = path;
    doc.time = time;
    return doc;
}

// One registration per change bit, each with its own message, so the received messages spell the code.
void RegisterCodes(xml::CViewList& store, const CRecorderWindow& window) {
    for (DWORD bit = 1; bit <= 16; bit <<= 1) {
        store.AddView(bit, window.Get(), WM_APP + bit);
    }
}

DWORD ReceivedCode(const CRecorderWindow& window) {
    DWORD code = 0;
    for (const CRecorderWindow::Received& received : window.GetReceived()) {
        code |= received.message - WM_APP;
    }
    return code;
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

    const std::string expected = kHeader +
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
    EXPECT_EQ(ReadFile(File()), expected);

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
    EXPECT_EQ(ReadFile(copy), expected);
}

TEST_F(HistoryStore, MarkupCharactersAndNonAsciiTextRoundTrip) {
    CDataDoc doc = FileDoc(L"Q&A <tags> \"quoted\" 'single' \u65E5\u672C\u8A9E \U0001D11E",
                           L"C:\\Docs & <More>\\\u30D8\u30EB\u30D7 \U0001F600.chm", 42);
    doc.topic.path = L"/a&b/<c>\"d\"'e'.htm#\u00E9";
    doc.note = L"memo & \"note\" <x>";
    doc.url.address = L"http://host/doc.chm?a=1&b='2'";
    doc.url.user = L"us\"er&<>";
    doc.url.pasv = true;
    ASSERT_TRUE(m_history.Add(doc));

    const std::string text = ReadFile(File());
    EXPECT_NE(text.find("title=\"Q&amp;A &lt;tags&gt; &quot;quoted&quot; 'single' \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E "
                        "\xF0\x9D\x84\x9E\""),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<file>C:\\Docs &amp; &lt;More&gt;\\"), std::string::npos) << text;
    EXPECT_NE(text.find("<url user=\"us&quot;er&amp;&lt;&gt;\" pasv=\"true\">"), std::string::npos) << text;

    CDataHistory reread(m_settings);
    reread.SetFolder(m_folder.Path());
    ASSERT_TRUE(reread.Reload()) << reread.GetError();
    CDataDoc got;
    ASSERT_TRUE(reread.GetDoc(reread.List().at(0), got));
    EXPECT_TRUE(got == doc);
    EXPECT_EQ(got.title, doc.title);
    EXPECT_EQ(got.file.path, doc.file.path);
    EXPECT_EQ(got.url.user, doc.url.user);
    const std::wstring copy = m_folder.File(L"copy.xml");
    ASSERT_TRUE(reread.Export(copy));
    EXPECT_EQ(ReadFile(copy), text);
}

TEST_F(HistoryStore, TrimmingKeepsTheNewestEntriesUpToTheDocumentCount) {
    struct Case {
        uint32_t count;
        int adds;
        std::vector<std::wstring> titles;
    };
    const Case cases[] = {
        {1, 1, {L"1"}},
        {1, 4, {L"4"}}, // every Add replaces the only entry
        {3, 2, {L"2", L"1"}},
        {3, 3, {L"3", L"2", L"1"}},
        {3, 5, {L"5", L"4", L"3"}},
    };
    for (const Case& c : cases) {
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
        EXPECT_EQ(Titles(history), c.titles) << c.count << " " << c.adds;
    }
}

TEST_F(HistoryStore, AFullHistoryOfAHundredStaysAtAHundred) {
    for (int i = 1; i <= 101; ++i) {
        ASSERT_TRUE(m_history.Add(FileDoc(std::to_wstring(i), L"C:\\d.chm")));
    }
    const std::vector<std::wstring> titles = Titles(m_history);
    ASSERT_EQ(titles.size(), 100u);
    EXPECT_EQ(titles.front(), L"101");
    EXPECT_EQ(titles.back(), L"2");
}

TEST_F(HistoryStore, LoweringTheCountTakesEffectAtTheNextAddOnly) {
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(m_history.Add(FileDoc(std::to_wstring(i), L"C:\\d.chm")));
    }
    SetDocCount(2);
    ASSERT_TRUE(m_history.Reload()); // nothing newer on disk: the five stay
    EXPECT_EQ(m_history.GetCount(), 5u);
    ASSERT_TRUE(m_history.Add(FileDoc(L"6", L"C:\\d.chm")));
    EXPECT_EQ(Titles(m_history), (std::vector<std::wstring>{L"6", L"5"}));
}

TEST_F(HistoryStore, WithRememberingOffAddSucceedsWithoutWritingOrNotifying) {
    SetDocCount(100, false);
    CRecorderWindow recorder;
    RegisterCodes(m_history, recorder);
    EXPECT_TRUE(m_history.Add(FileDoc(L"a", L"C:\\a.chm")));
    EXPECT_EQ(m_history.GetCount(), 0u);
    EXPECT_FALSE(Exists(File()));
    EXPECT_EQ(ReceivedCode(recorder), 0u);
}

TEST_F(HistoryStore, EditsSendTheirCodes) {
    CRecorderWindow recorder;
    RegisterCodes(m_history, recorder);
    struct Step {
        const char* name;
        std::function<bool()> edit;
        DWORD code;
        bool succeeds;
    };
    NodeHandle first = data::kNoNode;
    const Step steps[] = {
        {"reload", [&] { return m_history.Reload(); }, CDataHistory::kReloaded, true},
        {"add", [&] { return m_history.Add(FileDoc(L"a", L"C:\\a.chm")); }, CDataHistory::kAdded, true},
        {"add", [&] { return m_history.Add(FileDoc(L"b", L"C:\\b.chm")); }, CDataHistory::kAdded, true},
        {"remove",
         [&] {
             first = m_history.List().at(0);
             return m_history.Remove(first);
         },
         CDataHistory::kRemoved, true},
        {"remove again", [&] { return m_history.Remove(first); }, CDataHistory::kRemoved, false},
        {"clear", [&] { return m_history.Clear(); }, CDataHistory::kRemoved, true},
    };
    for (const Step& step : steps) {
        const size_t before = recorder.GetReceived().size();
        EXPECT_EQ(step.edit(), step.succeeds) << step.name;
        ASSERT_EQ(recorder.GetReceived().size(), before + 1) << step.name;
        EXPECT_EQ(recorder.GetReceived().back().message - WM_APP, step.code) << step.name;
    }
    EXPECT_EQ(m_history.GetCount(), 0u);
    EXPECT_EQ(ReadFile(File()), kHeader + "<history>\r\n  <folder />\r\n</history>");
}

TEST_F(HistoryStore, HandlesStayValidUntilTheirEntryGoes) {
    SetDocCount(3);
    for (const wchar_t* title : {L"a", L"b", L"c"}) {
        ASSERT_TRUE(m_history.Add(FileDoc(title, L"C:\\x.chm")));
    }
    const std::vector<NodeHandle> handles = m_history.List(); // c, b, a
    ASSERT_TRUE(m_history.Remove(handles[1]));
    CDataDoc doc;
    EXPECT_FALSE(m_history.GetDoc(handles[1], doc));
    ASSERT_TRUE(m_history.GetDoc(handles[0], doc));
    EXPECT_EQ(doc.title, L"c");
    ASSERT_TRUE(m_history.GetDoc(handles[2], doc));
    EXPECT_EQ(doc.title, L"a");

    // Two more entries with a count of three push "a" out; "c" keeps its handle; no new handle repeats an old one.
    ASSERT_TRUE(m_history.Add(FileDoc(L"d", L"C:\\x.chm")));
    ASSERT_TRUE(m_history.Add(FileDoc(L"e", L"C:\\x.chm")));
    EXPECT_FALSE(m_history.GetDoc(handles[2], doc));
    ASSERT_TRUE(m_history.GetDoc(handles[0], doc));
    EXPECT_EQ(doc.title, L"c");
    for (const NodeHandle handle : m_history.List()) {
        EXPECT_NE(handle, data::kNoNode);
        EXPECT_NE(handle, handles[1]);
        EXPECT_NE(handle, handles[2]);
    }
    EXPECT_EQ(Titles(m_history), (std::vector<std::wstring>{L"e", L"d", L"c"}));
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
        EXPECT_NE(ReadFile(File()).find(c.start), std::string::npos) << c.time;
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
        {"<history></history>", true, 0},
        {"<history><folder /></history>", true, 0},
        {"<history><folder><doc /><doc title=\"x\" /></folder></history>", true, 2},
        {"<history><folder><doc time=\"12\" extra=\"ignored\"><file>a</file><url>b</url><topic>c</topic></doc>"
         "</folder></history>",
         true, 1},
        {"<history><folder><doc /></folder><folder><doc /><doc /></folder></history>", true, 1}, // later skipped
        {"<history><doc title=\"x\" /></history>", false, 0},                                    // no folder
        {"<history><folder><doc time=\"12s\" /></folder></history>", false, 0},
        {"<history><folder><doc time=\" 1\" /></folder></history>", false, 0},
        {"<history><folder><doc><file>a</file><file>b</file></doc></folder></history>", false, 0},
        {"<history><folder><doc><url>a</url><url>b</url></doc></folder></history>", false, 0},
        {"<history><folder><doc><topic>a</topic><topic /></doc></folder></history>", false, 0},
        {"<history><folder><doc><note>a</note></doc></folder></history>", false, 0},
        {"<history><folder><entry /></folder></history>", false, 0},
        {"<chmhist><folder /></chmhist>", false, 0},
        {"<history><folder /></history><history />", false, 0},
        {"<history><folder><doc>", false, 0},
    };
    for (const Case& c : cases) {
        CTempFolder folder;
        WriteFile(folder.File(L"chmhist.xml"), kHeader + c.body);
        CDataHistory history(m_settings);
        history.SetFolder(folder.Path());
        EXPECT_EQ(history.Reload(), c.loads) << c.body;
        EXPECT_EQ(history.GetError().empty(), c.loads) << c.body;
        if (c.loads) {
            EXPECT_EQ(history.GetCount(), c.count) << c.body;
        }
    }
}

TEST_F(HistoryStore, UrlFlagsReadOnlyTrueAndAreWrittenBackOnlyWhenOn) {
    WriteFile(File(), kHeader + "<history><folder><doc><url cache=\"false\" pasv=\"on\" user=\"\">ftp://h/a.chm</url>"
                                "</doc></folder></history>");
    ASSERT_TRUE(m_history.Reload()) << m_history.GetError();
    CDataDoc doc;
    ASSERT_TRUE(m_history.GetDoc(m_history.List().at(0), doc));
    EXPECT_FALSE(doc.url.cache);
    EXPECT_TRUE(doc.url.pasv);
    ASSERT_TRUE(m_history.Add(FileDoc(L"n", L"C:\\n.chm")));
    EXPECT_NE(ReadFile(File()).find("<url pasv=\"true\">ftp://h/a.chm</url>"), std::string::npos) << ReadFile(File());
}

TEST_F(HistoryStore, AFailedLoadNeverOverwritesTheFileUntilItIsRepaired) {
    const std::string broken = kHeader + "<history><folder><doc time=\"soon\" /></folder></history>";
    WriteFile(File(), broken);
    EXPECT_FALSE(m_history.Reload());
    EXPECT_FALSE(m_history.GetError().empty());
    EXPECT_FALSE(m_history.Add(FileDoc(L"a", L"C:\\a.chm")));
    EXPECT_EQ(ReadFile(File()), broken);

    WriteFile(File(), kHeader + "<history><folder><doc title=\"kept\" /></folder></history>");
    // The repaired file must look newer than the broken one did.
    const HANDLE file = ::CreateFileW(File().c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    FILETIME later{};
    ::GetSystemTimeAsFileTime(&later);
    ULARGE_INTEGER value{{later.dwLowDateTime, later.dwHighDateTime}};
    value.QuadPart += 10'000'000ULL * 60;
    later = {value.LowPart, value.HighPart};
    ASSERT_TRUE(::SetFileTime(file, nullptr, nullptr, &later));
    ::CloseHandle(file);
    ASSERT_TRUE(m_history.Reload()) << m_history.GetError();
    ASSERT_TRUE(m_history.Add(FileDoc(L"new", L"C:\\n.chm")));
    EXPECT_EQ(Titles(m_history), (std::vector<std::wstring>{L"new", L"kept"}));
}

} // namespace
