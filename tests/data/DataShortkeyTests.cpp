#include "DataTestSupport.h"
#include "data/DataShortkey.h"
#include "resource.h"

namespace {

using data::CDataShortkey;
using data::KeyBinding;
using data::Place;

constexpr uint8_t kCtrl = data::kKeyVirtual | data::kKeyControl;

size_t CountBindings(const CDataShortkey& keys) {
    size_t total = 0;
    for (const Place place : data::kPlaces) {
        total += keys.Table(place) ? keys.Table(place)->Size() : 0;
    }
    return total;
}

class ShortkeyStore : public ::testing::Test {
protected:
    void SetUp() override { m_keys.SetFolder(m_folder.Path()); }
    std::wstring File() const { return m_folder.File(L"chmkey.xml"); }
    bool LoadText(const std::string& body) { return WriteBytes(File(), kXmlHeader + body) && m_keys.Reload(); }
    // The command bound to the combination in the place, or 0.
    uint16_t CommandOf(Place place, uint8_t flags, uint16_t key) const {
        KeyBinding found;
        return m_keys.FindByKey(place, KeyBinding{flags, key, 0}.Combination(), found) ? found.command : 0;
    }

    CTempFolder m_folder;
    CDataShortkey m_keys;
};

TEST_F(ShortkeyStore, WithoutAFileEveryDefaultIsActiveAndOnceWrittenEveryBindingRoundTrips) {
    ASSERT_TRUE(m_keys.Reload());
    EXPECT_EQ(CountBindings(m_keys), 42u);
    for (const Place place : data::kPlaces) {
        ASSERT_NE(m_keys.Table(place), nullptr);
        EXPECT_NE(m_keys.Table(place)->GetAccelerators(), nullptr);
    }
    EXPECT_EQ(ReadBytes(File()), "<missing>");

    // The first change writes the file, with all places in their order.
    ASSERT_TRUE(m_keys.RemoveBinding(Place::Main, ID_SHOW_MODE));
    const std::string text = ReadBytes(File());
    const size_t libAt = text.find("<table name=\"doclib\">");
    ASSERT_NE(libAt, std::string::npos);
    EXPECT_LT(text.find("<table name=\"main\">"), text.find("<table name=\"view\">"));
    EXPECT_LT(text.find("<table name=\"view\">"), libAt);
    EXPECT_NE(text.find("<func key=\"[O]\" virt=\"true\" ctrl=\"true\">Open</func>"), std::string::npos) << text;
    EXPECT_NE(text.find("<func key=\"[F11]\" virt=\"true\">ShowFull</func>"), std::string::npos);
    EXPECT_EQ(text.find(">ShowMode<"), std::string::npos);

    // Another store reads every binding back: it writes the very same bytes again.
    const auto reread = Reread<CDataShortkey>(m_folder.Path());
    EXPECT_EQ(CountBindings(*reread), 41u);
    ASSERT_TRUE(reread->Export(m_folder.File(L"export.xml")));
    EXPECT_EQ(ReadBytes(m_folder.File(L"export.xml")), text);
    ASSERT_TRUE(reread->RemoveBinding(Place::View, 0xFFFF)); // no such binding: the file is written as it was
    EXPECT_EQ(ReadBytes(File()), text);
}

TEST_F(ShortkeyStore, RebindingACombinationTakesItFromItsFormerFunction) {
    ASSERT_TRUE(m_keys.Reload());
    ASSERT_TRUE(m_keys.SetBinding(Place::Main, {kCtrl, 'O', ID_FILE_SAVE}));
    KeyBinding found;
    EXPECT_FALSE(m_keys.FindByCommand(Place::Main, ID_FILE_OPEN, found));
    EXPECT_EQ(CommandOf(Place::Main, kCtrl, 'O'), ID_FILE_SAVE);
    EXPECT_EQ(CommandOf(Place::Main, kCtrl, 'S'), 0) << "Save's old combination is free now";
    EXPECT_EQ(CommandOf(Place::DocLib, kCtrl, 'O'), ID_LIB_DATA_LOAD) << "other places keep their own";
    EXPECT_EQ(CountBindings(m_keys), 41u);
}

TEST_F(ShortkeyStore, ReadingRules) {
    const std::pair<const char*, bool> cases[] = {
        {"<shortkey></shortkey>", true},
        {"<shortkey />", false}, // an empty-element root is no key file
        {"<shortkey><table name=\"main\" /></shortkey>", true},
        {"<shortkey><table name=\"other\" /></shortkey>", false},
        {"<shortkey><table /></shortkey>", false},
        {"<shortkey><table name=\"main\"><func key=\"[OO]\" virt=\"true\">Open</func></table></shortkey>", false},
        {"<shortkey><table name=\"main\"><func key=\"[O]\" virt=\"true\">Opn</func></table></shortkey>", false},
        {"<shortkey><table name=\"main\"><func virt=\"true\">Open</func></table></shortkey>", false},
        {"<shortkey><table name=\"main\"><func key=\"[O]\" ctrl=\"true\" virt=\"true\">Open</func>"
         "<func key=\"[O]\" virt=\"true\" ctrl=\"on\">Save</func></table></shortkey>",
         false}, // same combination
        {"<shortkey><table name=\"main\"><func key=\"[O]\" virt=\"true\">Open</func>"
         "<func key=\"[P]\" virt=\"true\">Open</func></table></shortkey>",
         false}, // same command
        {"<shortkey><item /></shortkey>", false},
    };
    for (const auto& [body, loads] : cases) {
        CDataShortkey keys;
        EXPECT_EQ(LoadsFromText(keys, body), loads) << body;
    }
}

TEST_F(ShortkeyStore, PlacesMissingFromTheFileHaveNoShortcuts) {
    ASSERT_TRUE(LoadText("<shortkey><table name=\"main\"><func key=\"[F5]\" virt=\"true\">Open</func></table>"
                         "<table name=\"view\"><func key=\"[F5]\" virt=\"true\">TopicRefresh</func></table>"
                         "</shortkey>"))
        << m_keys.GetError();
    EXPECT_EQ(m_keys.Table(Place::DocLib)->Size(), 0u);
    EXPECT_EQ(m_keys.Table(Place::Main)->Size(), 1u);
    // The same combination in two places.
    EXPECT_EQ(CommandOf(Place::Main, data::kKeyVirtual, VK_F5), ID_FILE_OPEN);
    EXPECT_EQ(CommandOf(Place::View, data::kKeyVirtual, VK_F5), ID_TOPIC_REFRESH);
    MSG msg{};
    EXPECT_FALSE(m_keys.Translate(Place::DocLib, nullptr, msg));
}

TEST_F(ShortkeyStore, ForeignAndModifierlessBindingsStayAsRead) {
    ASSERT_TRUE(LoadText("<shortkey><table name=\"main\"><func key=\"[O]\" ctrl=\"true\">Open</func>"
                         "<func key=\"[F9]\" virt=\"true\">Navigation</func></table></shortkey>"))
        << m_keys.GetError();
    KeyBinding found;
    ASSERT_TRUE(m_keys.FindByCommand(Place::Main, ID_FILE_OPEN, found));
    EXPECT_EQ(found.flags, data::kKeyControl);       // kept without the virtual-key flag...
    EXPECT_FALSE(data::IsAllowedCombination(found)); // ...but never offered for binding
    // A view function bound in "main" is active there but not written back.
    ASSERT_TRUE(m_keys.FindByCommand(Place::Main, ID_NAVI_SHOW, found));
    ASSERT_TRUE(m_keys.SetBinding(Place::Main, {kCtrl, 'U', ID_URL_OPEN}));
    const std::string text = ReadBytes(File());
    EXPECT_EQ(text.find("Navigation"), std::string::npos) << text;
    EXPECT_NE(text.find("<func key=\"[O]\" ctrl=\"true\">Open</func>"), std::string::npos) << text;
}

// A failed import leaves every binding and the file as they were; an empty key file imports to no bindings and
// is written so that every instance can read it.
TEST_F(ShortkeyStore, ImportsLeaveTheStoreAsItWasOrWriteAFileThatReadsBack) {
    ASSERT_TRUE(m_keys.Reload());
    ASSERT_TRUE(m_keys.RemoveBinding(Place::Main, ID_SHOW_MODE));
    const std::string before = ReadBytes(File());
    const std::wstring source = m_folder.File(L"import.xml");
    for (const char* body : {"<shortkey />", "<shortkey><table name=\"main\"><func key=\"[O]\">Nope</func></table>"
                                             "</shortkey>"}) {
        ASSERT_TRUE(WriteBytes(source, kXmlHeader + body));
        EXPECT_FALSE(m_keys.Import(source)) << body;
        EXPECT_EQ(CountBindings(m_keys), 41u) << body;
        EXPECT_EQ(ReadBytes(File()), before) << body;
    }
    ASSERT_TRUE(WriteBytes(source, kXmlHeader + "<shortkey>\r\n</shortkey>"));
    ASSERT_TRUE(m_keys.Import(source)) << m_keys.GetError();
    EXPECT_EQ(CountBindings(m_keys), 0u);
    EXPECT_EQ(CountBindings(*Reread<CDataShortkey>(m_folder.Path())), 0u);
}

TEST_F(ShortkeyStore, ResetOnePlaceOrAll) {
    ASSERT_TRUE(LoadText("<shortkey><table name=\"main\" /><table name=\"view\" /></shortkey>"));
    ASSERT_TRUE(m_keys.ResetPlace(Place::Main));
    EXPECT_EQ(m_keys.Table(Place::Main)->Size(), 11u);
    EXPECT_EQ(m_keys.Table(Place::View)->Size(), 0u);
    ASSERT_TRUE(m_keys.ResetPlace(Place::DocLib)); // a place without a table in the file too
    EXPECT_EQ(m_keys.Table(Place::DocLib)->Size(), 8u);
    ASSERT_TRUE(m_keys.ResetPlace(std::nullopt));
    EXPECT_EQ(CountBindings(m_keys), 42u);
}

} // namespace
