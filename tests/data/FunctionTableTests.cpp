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
        size_t count;
        std::wstring_view first, last;
    } places[] = {{Place::Main, L"main", L"メインウィンドウ", 11, L"Open", L"ShowFull"},
                  {Place::View, L"view", L"ドキュメントビュー", 23, L"DocOptions", L"TopicPrint"},
                  {Place::DocLib, L"doclib", L"ライブラリ", 8, L"Refresh", L"DataLoad"}};
    for (const auto& c : places) {
        const auto& rows = data::FunctionsOfPlace(c.place);
        ASSERT_EQ(rows.size(), c.count);
        EXPECT_EQ(rows.front()->name, c.first);
        EXPECT_EQ(rows.back()->name, c.last);
        for (const auto* row : rows) {
            EXPECT_EQ(row->place, c.place);
        }
        Place parsed{};
        EXPECT_EQ(data::PlaceName(c.place), c.name);
        EXPECT_TRUE(data::PlaceFromName(c.name, parsed) && parsed == c.place);
        EXPECT_EQ(win::LoadStr(data::PlaceTextId(c.place)), c.display);
    }
    EXPECT_EQ(data::FunctionsOfPlace(static_cast<Place>(9)).size(), 0u);
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

} // namespace
