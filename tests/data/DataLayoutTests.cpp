#include "DataTestSupport.h"
#include "data/DataLayout.h"

namespace {

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

TEST_F(LayoutStore, FlagsFollowTheAttributesReadAndTheLaterDuplicateWins) {
    ASSERT_TRUE(LoadText("<layout><window name=\"a\" show=\"huge\" y=\"-3\" cx=\"40\" />"
                         "<window name=\"main\" show=\"normal\" x=\"1\" y=\"1\" />"
                         "<window name=\"main\" show=\"max\" x=\"2\" y=\"2\" /></layout>"))
        << m_layout.GetError();
    CDataWindow a;
    ASSERT_TRUE(m_layout.Get(L"a", a));
    EXPECT_EQ(a.show, WindowShow::Hide);
    EXPECT_TRUE(a.hasPosition && a.hasSize && !a.hasSplit && !a.hasSelection);
    EXPECT_EQ(a.y, -3);
    CDataWindow main;
    ASSERT_TRUE(m_layout.Get(L"main", main));
    EXPECT_TRUE(main.show == WindowShow::Max && main.x == 2);
    EXPECT_EQ(m_layout.Records().size(), 3u); // both duplicates are kept and written back

    // Set replaces the later one and leaves the count alone; an empty name is refused.
    main.x = 9;
    ASSERT_TRUE(m_layout.Set(main));
    EXPECT_EQ(m_layout.Records().size(), 3u);
    ASSERT_TRUE(m_layout.Get(L"main", main));
    EXPECT_EQ(main.x, 9);
    EXPECT_FALSE(m_layout.Set(CDataWindow()));
}

} // namespace
