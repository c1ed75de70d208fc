#include "data/KeyNames.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(KeyNames, EightySixKeysMapBothWays) {
    ASSERT_EQ(data::KeyNameCount(), 86u);
    std::set<std::wstring_view> names;
    int named = 0;
    for (uint16_t key = 0; key < 0x100; ++key) {
        const std::wstring_view name = data::KeyName(key);
        if (name.empty()) {
            continue;
        }
        ++named;
        EXPECT_TRUE(names.insert(name).second);
        uint16_t back = 0;
        ASSERT_TRUE(data::KeyFromName(name, back));
        EXPECT_EQ(back, key);
        EXPECT_EQ(name.front(), L'[');
        EXPECT_EQ(name.back(), L']');
    }
    EXPECT_EQ(named, 86);
    uint16_t unused = 0;
    EXPECT_FALSE(data::KeyFromName(L"[o]", unused));
    EXPECT_FALSE(data::KeyFromName(L"O", unused));
    EXPECT_TRUE(data::KeyName(0x2C).empty()); // print screen has no name
    EXPECT_TRUE(data::KeyName(0x88).empty());
}

TEST(KeyNames, SpotChecksOfTheTable) {
    struct Case {
        uint16_t key;
        const wchar_t* name;
    };
    for (const Case c :
         {Case{0x08, L"[BACK]"}, Case{0x1D, L"[NONCONV]"}, Case{0x22, L"[PAGEDN]"}, Case{0x2B, L"[EXECUTE]"},
          Case{0x2F, L"[HELP]"}, Case{0x30, L"[0]"}, Case{0x5A, L"[Z]"}, Case{0x5D, L"[APPS]"}, Case{0x87, L"[F24]"}}) {
        EXPECT_EQ(data::KeyName(c.key), c.name);
    }
}

TEST(KeyNames, DisplayTextListsModifiersInFixedOrder) {
    struct Case {
        uint8_t flags;
        uint16_t key;
        const wchar_t* text;
    };
    const Case cases[] = {
        {data::kKeyVirtual | data::kKeyControl, 'O', L"[CTRL] + [O]"},
        {data::kKeyVirtual | data::kKeyAlt | data::kKeyShift | data::kKeyControl, VK_F1,
         L"[SHIFT] + [CTRL] + [ALT] + [F1]"},
        {data::kKeyVirtual, VK_F11, L"[F11]"},
        {data::kKeyControl, 'O', L""},                      // not a virtual-key binding
        {data::kKeyVirtual | data::kKeyControl, 0x2C, L""}, // unnamed key
    };
    for (const Case& c : cases) {
        EXPECT_EQ(data::KeyDisplayText({c.flags, c.key, 1}), c.text);
    }
}

TEST(KeyNames, AllowedCombinations) {
    struct Case {
        uint8_t flags;
        uint16_t key;
        bool allowed;
    };
    constexpr uint8_t v = data::kKeyVirtual;
    const Case cases[] = {
        {v, VK_F5, true}, // function keys alone
        {v, 'A', false},  // letters need a modifier
        {v, VK_HOME, false},
        {v | data::kKeyShift, 'A', true},
        {v | data::kKeyControl | data::kKeyAlt, VK_DELETE, true},
        {v | data::kKeyShift, VK_TAB, false}, // shift+TAB is refused
        {v | data::kKeyControl, VK_TAB, true},
        {data::kKeyControl, 'O', false},      // without the virtual-key flag
        {v | data::kKeyControl, 0x2C, false}, // unnamed key
    };
    for (const Case& c : cases) {
        EXPECT_EQ(data::IsAllowedCombination({c.flags, c.key, 1}), c.allowed) << int(c.flags) << " " << c.key;
    }
}

} // namespace
