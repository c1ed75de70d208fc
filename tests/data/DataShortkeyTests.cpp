#include "common/TempFolder.h"
#include "common/TestFiles.h"
#include "data/DataShortkey.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

using data::CDataShortkey;
using data::KeyBinding;
using data::Place;

constexpr uint8_t kCtrl = data::kKeyVirtual | data::kKeyControl;

size_t CountBindings(const CDataShortkey& keys) {
    size_t total = 0;
    for (const Place place : data::kPlaces) {
        if (const auto* table = keys.Table(place)) {
            total += table->Size();
        }
    }
    return total;
}

class ShortkeyStore : public ::testing::Test {
protected:
    void SetUp() override { m_keys.SetFolder(m_folder.Path()); }
    std::wstring File() const { return m_folder.File(L"chmkey.xml"); }
    bool LoadText(const std::string& body) {
        CDataShortkey fresh;
        const bool ok = ReloadFromText(fresh, m_folder.Path(), body);
        m_error = fresh.GetError();
        return ok;
    }

    CTempFolder m_folder;
    CDataShortkey m_keys;
    std::wstring m_error;
};

TEST_F(ShortkeyStore, WithoutAFileEveryDefaultIsActiveAndNothingIsWritten) {
    ASSERT_TRUE(m_keys.Reload());
    EXPECT_EQ(CountBindings(m_keys), 42u);
    for (const Place place : data::kPlaces) {
        ASSERT_NE(m_keys.Table(place), nullptr);
        EXPECT_NE(m_keys.Table(place)->GetAccelerators(), nullptr);
    }
    EXPECT_EQ(::GetFileAttributesW(File().c_str()), INVALID_FILE_ATTRIBUTES);

    // The first change writes the file, with all places in their order.
    ASSERT_TRUE(m_keys.RemoveBinding(Place::Main, ID_SHOW_MODE));
    const std::string text = ReadBytes(File());
    const size_t mainAt = text.find("<table name=\"main\">");
    const size_t viewAt = text.find("<table name=\"view\">");
    const size_t libAt = text.find("<table name=\"doclib\">");
    ASSERT_NE(mainAt, std::string::npos);
    EXPECT_LT(mainAt, viewAt);
    EXPECT_LT(viewAt, libAt);
    EXPECT_NE(text.find("<func key=\"[O]\" virt=\"true\" ctrl=\"true\">Open</func>"), std::string::npos) << text;
    EXPECT_NE(text.find("<func key=\"[F11]\" virt=\"true\">ShowFull</func>"), std::string::npos);
    EXPECT_EQ(text.find(">ShowMode<"), std::string::npos);
}

TEST_F(ShortkeyStore, EveryDefaultBindingRoundTripsThroughTheFile) {
    ASSERT_TRUE(m_keys.Reload());
    ASSERT_TRUE(m_keys.ResetPlace(std::nullopt)); // writes all defaults
    CDataShortkey reread;
    reread.SetFolder(m_folder.Path());
    ASSERT_TRUE(reread.Reload()) << reread.GetError();
    EXPECT_EQ(CountBindings(reread), 42u);
    for (const Place place : data::kPlaces) {
        for (const auto* row : data::FunctionsOfPlace(place)) {
            KeyBinding a, b;
            const bool inA = m_keys.FindByCommand(place, row->id, a);
            ASSERT_EQ(reread.FindByCommand(place, row->id, b), inA) << row->name.data();
            if (inA) {
                EXPECT_EQ(a.flags, b.flags);
                EXPECT_EQ(a.key, b.key);
            }
        }
    }
    const std::string first = ReadBytes(File());
    ASSERT_TRUE(reread.RemoveBinding(Place::View, 0xFFFF)); // no such binding: the file is written as it was
    EXPECT_EQ(ReadBytes(File()), first);
}

TEST_F(ShortkeyStore, RebindingACombinationTakesItFromItsFormerFunction) {
    ASSERT_TRUE(m_keys.Reload());
    const KeyBinding saveOnCtrlO{kCtrl, 'O', ID_FILE_SAVE};
    ASSERT_TRUE(m_keys.SetBinding(Place::Main, saveOnCtrlO));
    KeyBinding found;
    EXPECT_FALSE(m_keys.FindByCommand(Place::Main, ID_FILE_OPEN, found));
    ASSERT_TRUE(m_keys.FindByKey(Place::Main, saveOnCtrlO.Combination(), found));
    EXPECT_EQ(found.command, ID_FILE_SAVE);
    // Save's old combination, control+S, is free now.
    EXPECT_FALSE(m_keys.FindByKey(Place::Main, KeyBinding{kCtrl, 'S', 0}.Combination(), found));
    // Other places keep their own control+O.
    ASSERT_TRUE(m_keys.FindByKey(Place::DocLib, saveOnCtrlO.Combination(), found));
    EXPECT_EQ(found.command, ID_LIB_DATA_LOAD);
    EXPECT_EQ(CountBindings(m_keys), 41u);
}

TEST_F(ShortkeyStore, ReadingRules) {
    struct Case {
        const char* body;
        bool loads;
    };
    const Case cases[] = {
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
    for (const Case& c : cases) {
        EXPECT_EQ(LoadText(c.body), c.loads) << c.body;
        EXPECT_EQ(m_error.empty(), c.loads) << c.body;
    }
}

TEST_F(ShortkeyStore, PlacesMissingFromTheFileHaveNoShortcuts) {
    ASSERT_TRUE(WriteBytes(
        File(), kXmlHeader + "<shortkey><table name=\"main\"><func key=\"[F5]\" virt=\"true\">Open</func></table>"
                          "<table name=\"view\"><func key=\"[F5]\" virt=\"true\">TopicRefresh</func></table>"
                          "</shortkey>"));
    ASSERT_TRUE(m_keys.Reload()) << m_keys.GetError();
    EXPECT_EQ(m_keys.Table(Place::DocLib), nullptr);
    EXPECT_EQ(m_keys.Table(Place::Main)->Size(), 1u);
    KeyBinding found;
    // The same combination in two places.
    ASSERT_TRUE(m_keys.FindByKey(Place::Main, KeyBinding{data::kKeyVirtual, VK_F5, 0}.Combination(), found));
    EXPECT_EQ(found.command, ID_FILE_OPEN);
    ASSERT_TRUE(m_keys.FindByKey(Place::View, KeyBinding{data::kKeyVirtual, VK_F5, 0}.Combination(), found));
    EXPECT_EQ(found.command, ID_TOPIC_REFRESH);
    MSG msg{};
    EXPECT_FALSE(m_keys.Translate(Place::DocLib, nullptr, msg));
}

TEST_F(ShortkeyStore, ForeignAndModifierlessBindingsStayAsRead) {
    ASSERT_TRUE(WriteBytes(File(), kXmlHeader + "<shortkey><table name=\"main\">"
                                             "<func key=\"[O]\" ctrl=\"true\">Open</func>"
                                             "<func key=\"[F9]\" virt=\"true\">Navigation</func>"
                                             "</table></shortkey>"));
    ASSERT_TRUE(m_keys.Reload()) << m_keys.GetError();
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

TEST_F(ShortkeyStore, ResetOnePlaceOrAll) {
    ASSERT_TRUE(WriteBytes(File(), kXmlHeader + "<shortkey><table name=\"main\" /><table name=\"view\" /></shortkey>"));
    ASSERT_TRUE(m_keys.Reload());
    ASSERT_TRUE(m_keys.ResetPlace(Place::Main));
    EXPECT_EQ(m_keys.Table(Place::Main)->Size(), 11u);
    EXPECT_EQ(m_keys.Table(Place::View)->Size(), 0u);
    EXPECT_FALSE(m_keys.ResetPlace(Place::DocLib)); // a place without a table cannot be reset alone
    ASSERT_TRUE(m_keys.ResetPlace(std::nullopt));
    EXPECT_EQ(CountBindings(m_keys), 42u);
}

} // namespace
