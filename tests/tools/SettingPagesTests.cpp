// Reading the settings pages' ranged numbers: what is refused as no number and what as out of range.

#include "tools/DlgSetPages.h"

#include <gtest/gtest.h>

namespace {

using tools::RangedInput;

TEST(SettingPages, RangedNumbers) {
    const struct {
        const wchar_t* text;
        RangedInput result;
        uint32_t value;
    } cases[] = {
        {L"5", RangedInput::Ok, 5},
        {L" 20 ", RangedInput::Ok, 20},
        {L"4", RangedInput::OutOfRange, 0},
        {L"21", RangedInput::OutOfRange, 0},
        {L"99999999999999999999", RangedInput::OutOfRange, 0},
        {L"", RangedInput::NotNumber, 0},
        {L"x1", RangedInput::NotNumber, 0},
        {L"-5", RangedInput::NotNumber, 0},
        {L"1.5", RangedInput::NotNumber, 0},
    };
    for (const auto& c : cases) {
        uint32_t value = 0;
        EXPECT_EQ(tools::ParseRanged(c.text, 5, 20, value), c.result) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

} // namespace
