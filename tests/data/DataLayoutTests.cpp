#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DataLayout.h"

#include <gtest/gtest.h>

namespace {

using data::CDataLayout;
using data::CDataWindow;
using data::WindowShow;


CDataWindow Window(const wchar_t* name, WindowShow show) {
    CDataWindow record;
    record.name = name;
    record.show = show;
    return record;
}

TEST(DataLayout, WorkedExampleIsWrittenExactlyAndReadBack) {
    CTempFolder folder;
    CDataLayout layout;
    layout.SetFolder(folder.Path());
    ASSERT_TRUE(layout.Load()); // no file: empty layout
    EXPECT_TRUE(layout.Records().empty());

    CDataWindow main = Window(L"main", WindowShow::Max);
    main.hasPosition = main.hasSize = true;
    main.x = -1280; // a monitor left of the primary one
    main.y = 12;
    main.cx = 800;
    main.cy = 600;
    CDataWindow hist = Window(L"dochist", WindowShow::Normal);
    hist.hasPosition = hist.hasSize = hist.hasSplit = true;
    hist.x = 5;
    hist.y = 6;
    hist.cx = 300;
    hist.cy = 400;
    hist.sy = 150;
    CDataWindow keys = Window(L"shortkey", WindowShow::Hide);
    keys.hasSelection = true;
    keys.select = 2;
    ASSERT_TRUE(layout.Set(main));
    ASSERT_TRUE(layout.Set(hist));
    ASSERT_TRUE(layout.Set(keys));
    ASSERT_TRUE(layout.Save());

    const std::string written = ReadBytes(folder.File(L"chmlay.xml"));
    EXPECT_EQ(written, kXmlHeader +
                           "<layout>\r\n"
                           "  <window name=\"main\" show=\"max\" x=\"-1280\" y=\"12\" cx=\"800\" cy=\"600\" />\r\n"
                           "  <window name=\"dochist\" show=\"normal\" x=\"5\" y=\"6\" cx=\"300\" cy=\"400\" "
                           "sx=\"0\" sy=\"150\" />\r\n"
                           "  <window name=\"shortkey\" show=\"hide\" select=\"2\" />\r\n"
                           "</layout>");

    CDataLayout reread;
    reread.SetFolder(folder.Path());
    ASSERT_TRUE(reread.Load()) << reread.GetError();
    CDataWindow got;
    ASSERT_TRUE(reread.Get(L"main", got));
    EXPECT_TRUE(got == main);
    ASSERT_TRUE(reread.Get(L"dochist", got));
    EXPECT_TRUE(got == hist);
    ASSERT_TRUE(reread.Get(L"shortkey", got));
    EXPECT_TRUE(got == keys);
    EXPECT_FALSE(reread.Get(L"doclib", got));
    ASSERT_TRUE(reread.Save());
    EXPECT_EQ(ReadBytes(folder.File(L"chmlay.xml")), written); // stable across a reload and save
}

TEST(DataLayout, ReadingRules) {
    struct Case {
        const char* body;
        bool loads;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        CTempFolder folder;
        ASSERT_TRUE(WriteBytes(folder.File(L"chmlay.xml"), kXmlHeader + c.body));
        CDataLayout layout;
        layout.SetFolder(folder.Path());
        EXPECT_EQ(layout.Load(), c.loads) << c.body;
        EXPECT_EQ(layout.GetError().empty(), c.loads) << c.body;
    }
}

TEST(DataLayout, FlagsFollowTheAttributesReadAndTheLaterDuplicateWins) {
    CTempFolder folder;
    ASSERT_TRUE(WriteBytes(folder.File(L"chmlay.xml"),
                           kXmlHeader + "<layout><window name=\"a\" show=\"huge\" y=\"-3\" cx=\"40\" />"
                                     "<window name=\"main\" show=\"normal\" x=\"1\" y=\"1\" />"
                                     "<window name=\"main\" show=\"max\" x=\"2\" y=\"2\" /></layout>"));
    CDataLayout layout;
    layout.SetFolder(folder.Path());
    ASSERT_TRUE(layout.Load()) << layout.GetError();
    CDataWindow a;
    ASSERT_TRUE(layout.Get(L"a", a));
    EXPECT_EQ(a.show, WindowShow::Hide);
    EXPECT_TRUE(a.hasPosition && a.hasSize && !a.hasSplit && !a.hasSelection);
    EXPECT_EQ(a.y, -3);
    CDataWindow main;
    ASSERT_TRUE(layout.Get(L"main", main));
    EXPECT_EQ(main.show, WindowShow::Max);
    EXPECT_EQ(main.x, 2);
    EXPECT_EQ(layout.Records().size(), 3u); // both duplicates are kept and written back

    // Set replaces the later one and leaves the count alone; an empty name is refused.
    main.x = 9;
    ASSERT_TRUE(layout.Set(main));
    EXPECT_EQ(layout.Records().size(), 3u);
    ASSERT_TRUE(layout.Get(L"main", main));
    EXPECT_EQ(main.x, 9);
    EXPECT_FALSE(layout.Set(Window(L"", WindowShow::Normal)));
}

TEST(DataLayout, AFailedLoadNeverOverwritesTheFile) {
    CTempFolder folder;
    const std::string broken = kXmlHeader + "<layout><window show=\"normal\" /></layout>";
    ASSERT_TRUE(WriteBytes(folder.File(L"chmlay.xml"), broken));
    CDataLayout layout;
    layout.SetFolder(folder.Path());
    ASSERT_FALSE(layout.Load());
    EXPECT_FALSE(layout.Save());
    EXPECT_EQ(ReadBytes(folder.File(L"chmlay.xml")), broken);
    // The close sequence starts from a reset layout, which may be saved again.
    ASSERT_TRUE(layout.Reset());
    ASSERT_TRUE(layout.Set(Window(L"main", WindowShow::Normal)));
    EXPECT_TRUE(layout.Save());
    EXPECT_NE(ReadBytes(folder.File(L"chmlay.xml")), broken);
}

} // namespace
