// Keys: their names both ways and the combinations allowed, the function table and the default tables, and the
// key file as the store reads and writes it.

#include "DataTestSupport.h"
#include "data/DataShortkey.h"
#include "data/FunctionTable.h"
#include "data/KeyNames.h"
#include "win/Module.h"
#include "win/Strings.h"

#include "resource.h"

#include <set>
#include <vector>

namespace {

TEST(KeyNames, EightySixKeysMapBothWays) {
    ASSERT_EQ(data::KeyNameCount(), 86u);
    std::set<std::wstring_view> names;
    for (uint16_t key = 0; key < 0x100; ++key) {
        const std::wstring_view name = data::KeyName(key);
        uint16_t back = 0;
        if (!name.empty()) {
            EXPECT_TRUE(names.insert(name).second);
            EXPECT_TRUE(data::KeyFromName(name, back) && back == key) << key;
            EXPECT_TRUE(name.starts_with(L'[') && name.ends_with(L']')) << key;
        }
    }
    EXPECT_EQ(names.size(), 86u);
    uint16_t unused = 0;
    EXPECT_FALSE(data::KeyFromName(L"[o]", unused));
    EXPECT_FALSE(data::KeyFromName(L"O", unused));
    EXPECT_EQ(data::KeyName(0x2C), L""); // print screen has no name
}

TEST(KeyNames, DisplayTextListsModifiersInFixedOrderAndOnlySomeCombinationsAreAllowed) {
    constexpr uint8_t v = data::kKeyVirtual;
    constexpr uint8_t shift = data::kKeyShift;
    constexpr uint8_t ctrl = data::kKeyControl;
    const struct {
        uint8_t flags;
        uint16_t key;
        const wchar_t* text;
        bool allowed;
    } cases[] = {
        {v | ctrl, 'O', L"[CTRL] + [O]", true},
        {v | data::kKeyAlt | shift | ctrl, VK_F1, L"[SHIFT] + [CTRL] + [ALT] + [F1]", true},
        {v, VK_F11, L"[F11]", true}, // function keys alone
        {v, 'A', L"[A]", false},     // letters need a modifier
        {v, VK_HOME, L"[HOME]", false},
        {v | shift, 'A', L"[SHIFT] + [A]", true},
        {v | shift, VK_TAB, L"[SHIFT] + [TAB]", false}, // shift+TAB is refused
        {v | ctrl, VK_TAB, L"[CTRL] + [TAB]", true},
        {ctrl, 'O', L"", false},      // not a virtual-key binding
        {v | ctrl, 0x2C, L"", false}, // unnamed key
    };
    for (const auto& c : cases) {
        EXPECT_EQ(data::KeyDisplayText({c.flags, c.key, 1}), c.text);
        EXPECT_EQ(data::IsAllowedCombination({c.flags, c.key, 1}), c.allowed) << int(c.flags) << " " << c.key;
    }
}

using data::Place;

TEST(FunctionTable, FortyTwoFunctionsWithUniqueIdsAndNamesListedByPlace) {
    const auto all = data::AllFunctions();
    ASSERT_EQ(all.size(), 42u);
    std::set<std::wstring_view> names;
    for (const data::FunctionRow& row : all) {
        EXPECT_TRUE(names.insert(row.name).second);
        EXPECT_EQ(data::FunctionById(row.id), &row) << row.id;
        EXPECT_EQ(data::FunctionByName(row.name), &row);
        // Every function has a display text: the string of its own number.
        EXPECT_FALSE(win::LoadStr(row.id).empty()) << row.id;
    }
    EXPECT_EQ(data::FunctionByName(L"open"), nullptr); // exact names only
    EXPECT_EQ(data::FunctionByName(L""), nullptr);
    EXPECT_EQ(data::FunctionById(0xE141), nullptr); // Exit is a command, not a bindable function
    EXPECT_EQ(win::LoadStr(ID_TOPIC_ZOOM_IN), L"トピックビュー > ズームイン");

    const struct {
        Place place;
        const wchar_t* name;
        const wchar_t* display;
    } places[] = {{Place::Main, L"main", L"メインウィンドウ"},
                  {Place::View, L"view", L"ドキュメントビュー"},
                  {Place::DocLib, L"doclib", L"ライブラリ"}};
    for (const auto& c : places) {
        Place parsed{};
        EXPECT_EQ(data::PlaceName(c.place), c.name);
        EXPECT_TRUE(data::PlaceFromName(c.name, parsed) && parsed == c.place);
        EXPECT_EQ(win::LoadStr(data::PlaceTextId(c.place)), c.display);
    }
    Place unused{};
    EXPECT_FALSE(data::PlaceFromName(L"Main", unused));
    EXPECT_FALSE(data::PlaceFromName(L"", unused));
}

// Reads one of the accelerator resources as bindings.
std::vector<data::KeyBinding> LoadTable(Place place) {
    const HACCEL table =
        ::LoadAcceleratorsW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(data::PlaceTextId(place)));
    std::vector<ACCEL> entries(table ? static_cast<size_t>(::CopyAcceleratorTableW(table, nullptr, 0)) : 0);
    if (table) {
        ::CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
        ::DestroyAcceleratorTable(table);
    }
    std::vector<data::KeyBinding> bindings;
    for (const ACCEL& accel : entries) {
        bindings.push_back({static_cast<uint8_t>(accel.fVirt), accel.key, accel.cmd});
    }
    return bindings;
}

TEST(DefaultKeys, EachPlaceBindsOnlyItsOwnFunctionsOnceWithNamedVirtualKeys) {
    size_t total = 0;
    for (const Place place : data::kPlaces) {
        const auto bindings = LoadTable(place);
        ASSERT_FALSE(bindings.empty());
        std::set<uint16_t> commands;
        std::set<uint32_t> combinations;
        for (const data::KeyBinding& binding : bindings) {
            const auto* row = data::FunctionById(binding.command);
            ASSERT_NE(row, nullptr) << binding.command;
            EXPECT_EQ(row->place, place) << row->name.data();
            EXPECT_TRUE(data::IsAllowedCombination(binding)) << data::KeyDisplayText(binding);
            EXPECT_TRUE(commands.insert(binding.command).second);
            EXPECT_TRUE(combinations.insert(binding.Combination()).second);
        }
        total += bindings.size();
    }
    EXPECT_EQ(total, 42u);

    const struct {
        Place place;
        uint16_t command;
        const wchar_t* text;
    } spots[] = {{Place::Main, ID_VIEW_PROPERTY, L"[ALT] + [ENTER]"},
                 {Place::Main, ID_SHOW_FULL, L"[F11]"},
                 {Place::View, ID_NAVI_TAB_NEXT, L"[ALT] + [PAGEDN]"},
                 {Place::View, ID_TOPIC_ZOOM_OUT, L"[CTRL] + [DOWN]"},
                 {Place::DocLib, ID_LIB_DATA_LOAD, L"[CTRL] + [O]"}};
    for (const auto& c : spots) {
        std::wstring text;
        for (const data::KeyBinding& binding : LoadTable(c.place)) {
            text += binding.command == c.command ? data::KeyDisplayText(binding) : L"";
        }
        EXPECT_EQ(text, c.text) << c.command;
    }
}

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

} // namespace
