#include "data/FunctionTable.h"
#include "data/KeyNames.h"
#include "win/Module.h"
#include "win/Strings.h"

#include "resource.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using data::Place;

TEST(FunctionTable, FortyTwoFunctionsWithUniqueIdsAndNames) {
    const auto all = data::AllFunctions();
    ASSERT_EQ(all.size(), 42u);
    std::set<uint16_t> ids;
    std::set<std::wstring_view> names;
    for (const data::FunctionRow& row : all) {
        EXPECT_TRUE(ids.insert(row.id).second) << row.id;
        EXPECT_TRUE(names.insert(row.name).second);
        EXPECT_EQ(data::FunctionById(row.id), &row);
        EXPECT_EQ(data::FunctionByName(row.name), &row);
        // Every function has a display text: the string of its own number.
        EXPECT_FALSE(win::LoadStr(row.id).empty()) << row.id;
    }
    EXPECT_EQ(data::FunctionByName(L"open"), nullptr); // exact names only
    EXPECT_EQ(data::FunctionByName(L""), nullptr);
    EXPECT_EQ(data::FunctionById(0xE141), nullptr); // Exit is a command, not a bindable function
}

TEST(FunctionTable, PlacesListTheirFunctionsInTableOrder) {
    struct Case {
        Place place;
        size_t count;
        std::wstring_view first;
        std::wstring_view last;
    };
    for (const Case& c :
         {Case{Place::Main, 11, L"Open", L"ShowFull"}, Case{Place::View, 23, L"DocOptions", L"TopicPrint"},
          Case{Place::DocLib, 8, L"Refresh", L"DataLoad"}}) {
        const auto& rows = data::FunctionsOfPlace(c.place);
        ASSERT_EQ(rows.size(), c.count);
        EXPECT_EQ(rows.front()->name, c.first);
        EXPECT_EQ(rows.back()->name, c.last);
        for (const auto* row : rows) {
            EXPECT_EQ(row->place, c.place);
        }
    }
    EXPECT_EQ(data::FunctionsOfPlace(static_cast<Place>(9)).size(), 0u);
    EXPECT_EQ(win::LoadStr(ID_TOPIC_ZOOM_IN), L"トピックビュー > ズームイン");
    EXPECT_EQ(win::LoadStr(ID_LIB_REFRESH), L"表示更新");
}

TEST(FunctionTable, PlaceNamesBothWays) {
    struct Case {
        Place place;
        const wchar_t* name;
        const wchar_t* display;
    };
    for (const Case& c :
         {Case{Place::Main, L"main", L"メインウィンドウ"}, Case{Place::View, L"view", L"ドキュメントビュー"},
          Case{Place::DocLib, L"doclib", L"ライブラリ"}}) {
        EXPECT_EQ(data::PlaceName(c.place), c.name);
        Place parsed{};
        ASSERT_TRUE(data::PlaceFromName(c.name, parsed));
        EXPECT_EQ(parsed, c.place);
        EXPECT_EQ(win::LoadStr(data::PlaceTextId(c.place)), c.display);
    }
    Place unused{};
    EXPECT_FALSE(data::PlaceFromName(L"Main", unused));
    EXPECT_FALSE(data::PlaceFromName(L"", unused));
}

// Reads one of the accelerator resources as bindings.
std::vector<ACCEL> LoadTable(UINT id) {
    HACCEL table = ::LoadAcceleratorsW(win::CAppModule::ResourceInstance(), MAKEINTRESOURCEW(id));
    if (!table) {
        return {};
    }
    std::vector<ACCEL> entries(static_cast<size_t>(::CopyAcceleratorTableW(table, nullptr, 0)));
    ::CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size()));
    ::DestroyAcceleratorTable(table);
    return entries;
}

TEST(DefaultKeys, EachPlaceBindsOnlyItsOwnFunctionsOnceWithNamedVirtualKeys) {
    size_t total = 0;
    for (const Place place : data::kPlaces) {
        const auto entries = LoadTable(data::PlaceTextId(place));
        ASSERT_FALSE(entries.empty());
        std::set<uint16_t> commands;
        std::set<uint32_t> combinations;
        for (const ACCEL& accel : entries) {
            const auto* row = data::FunctionById(accel.cmd);
            ASSERT_NE(row, nullptr) << accel.cmd;
            EXPECT_EQ(row->place, place) << row->name.data();
            const data::KeyBinding binding{static_cast<uint8_t>(accel.fVirt), accel.key, accel.cmd};
            EXPECT_TRUE(binding.flags & data::kKeyVirtual);
            EXPECT_FALSE(data::KeyName(binding.key).empty());
            EXPECT_TRUE(data::IsAllowedCombination(binding)) << data::KeyDisplayText(binding);
            EXPECT_TRUE(commands.insert(accel.cmd).second);
            EXPECT_TRUE(combinations.insert(binding.Combination()).second);
        }
        total += entries.size();
    }
    EXPECT_EQ(total, 42u);
}

TEST(DefaultKeys, SpotChecksOfTheDefaultBindings) {
    struct Case {
        Place place;
        uint16_t command;
        const wchar_t* text;
    };
    const Case cases[] = {
        {Place::Main, ID_FILE_OPEN, L"[CTRL] + [O]"},
        {Place::Main, ID_VIEW_PROPERTY, L"[ALT] + [ENTER]"},
        {Place::Main, ID_SHOW_FULL, L"[F11]"},
        {Place::Main, ID_SHOW_MODE, L"[CTRL] + [F11]"},
        {Place::View, ID_NAVI_TAB_NEXT, L"[ALT] + [PAGEDN]"},
        {Place::View, ID_TOPIC_REFRESH, L"[F5]"},
        {Place::View, ID_TOPIC_ZOOM_OUT, L"[CTRL] + [DOWN]"},
        {Place::DocLib, ID_LIB_REFRESH, L"[F5]"},
        {Place::DocLib, ID_LIB_DATA_LOAD, L"[CTRL] + [O]"},
    };
    for (const Case& c : cases) {
        bool found = false;
        for (const ACCEL& accel : LoadTable(data::PlaceTextId(c.place))) {
            if (accel.cmd == c.command) {
                found = true;
                EXPECT_EQ(data::KeyDisplayText({static_cast<uint8_t>(accel.fVirt), accel.key, accel.cmd}), c.text);
            }
        }
        EXPECT_TRUE(found) << c.command;
    }
}

} // namespace
