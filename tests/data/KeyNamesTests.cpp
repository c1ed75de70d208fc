#include "data/KeyNames.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <set>

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
    // Print screen (0x2C) has no name.
    const std::pair<uint16_t, const wchar_t*> spots[] = {
        {0x1D, L"[NONCONV]"}, {0x22, L"[PAGEDN]"}, {0x87, L"[F24]"}, {0x2C, L""}, {0x88, L""}};
    for (const auto& [key, name] : spots) {
        EXPECT_EQ(data::KeyName(key), name) << key;
    }
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

} // namespace
