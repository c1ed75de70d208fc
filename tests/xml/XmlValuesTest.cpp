// Value conversions: booleans, whole-value numbers, clamping, 64-bit times and keyword enumerations.

#include "xml/XmlValues.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct BoolCase {
    const wchar_t* text;
    bool expected;
};

TEST(XmlValues, BooleansAreTrueOnlyForTrueAndOn) {
    const BoolCase cases[] = {
        {L"true", true}, {L"on", true}, {L"TRUE", false},  {L"True", false},  {L"ON", false},    {L"1", false},
        {L"yes", false}, {L"", false},  {L" true", false}, {L"true ", false}, {L"false", false},
    };
    for (const BoolCase& c : cases) {
        EXPECT_EQ(xml::TextToBool(c.text), c.expected) << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_EQ(xml::BoolToText(true), L"true");
    EXPECT_EQ(xml::BoolToText(false), L"false");
}

struct UIntCase {
    const wchar_t* text;
    uint32_t low;
    uint32_t high;
    bool ok;
    uint32_t expected;
};

TEST(XmlValues, UnsignedNumbersReadWholeAndClamp) {
    constexpr uint32_t kUntouched = 77;
    const UIntCase cases[] = {
        {L"5", 1, 100, true, 5},
        {L"0", 1, 100, true, 1},
        {L"500", 1, 100, true, 100},
        {L"", 1, 100, true, 1},   // empty reads as 0, then clamps
        {L"-1", 5, 20, true, 20}, // taken as unsigned: the largest value
        {L"+7", 0, 100, true, 7},
        {L"99999999999", 0, 4000000000u, true, 2147483647u}, // saturates like the standard conversion
        {L"4294967295", 0, 4294967295u, true, 2147483647u},
        {L"12abc", 0, 100, false, kUntouched},
        {L" 12", 0, 100, false, kUntouched},
        {L"12 ", 0, 100, false, kUntouched},
        {L"0x10", 0, 100, false, kUntouched},
        {L"1.5", 0, 100, false, kUntouched},
    };
    for (const UIntCase& c : cases) {
        uint32_t value = kUntouched;
        EXPECT_EQ(xml::TextToUInt(c.text, c.low, c.high, value), c.ok) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(value, c.expected) << testing::PrintToString(std::wstring(c.text));
    }
}

struct LongCase {
    const wchar_t* text;
    bool ok;
    int32_t expected;
};

TEST(XmlValues, SignedNumbersReadWhole) {
    const LongCase cases[] = {
        {L"-1200", true, -1200},           {L"0", true, 0},    {L"", true, 0},    {L"2147483647", true, 2147483647},
        {L"-2147483648", true, INT32_MIN}, {L"7px", false, 3}, {L" 7", false, 3}, {L"--7", false, 3},
    };
    for (const LongCase& c : cases) {
        int32_t value = 3;
        EXPECT_EQ(xml::TextToLong(c.text, value), c.ok) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(value, c.expected) << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_EQ(xml::LongToText(-1200), L"-1200");
    EXPECT_EQ(xml::UIntToText(4294967295u), L"4294967295");
}

struct TimeCase {
    const wchar_t* text;
    bool ok;
    int64_t expected;
};

TEST(XmlValues, TimesAreSixtyFourBit) {
    const TimeCase cases[] = {
        {L"1700000000", true, 1700000000},
        {L"4102444800", true, 4102444800LL}, // beyond 32 bits: year 2100
        {L"9223372036854775807", true, INT64_MAX},
        {L"-5", true, -5},
        {L"", true, 0},
        {L"17e9", false, 42},
        {L" 1", false, 42},
    };
    for (const TimeCase& c : cases) {
        int64_t value = 42;
        EXPECT_EQ(xml::TextToTime(c.text, value), c.ok) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(value, c.expected) << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_EQ(xml::TimeToText(4102444800LL), L"4102444800");
    EXPECT_EQ(xml::TimeToText(INT64_MIN), L"-9223372036854775808");
}

enum class Show { Hide = 0, Normal = 1, Max = 2 };
constexpr std::array<xml::CXmlKeyword<Show>, 3> kShow = {
    {{Show::Hide, L"hide"}, {Show::Normal, L"normal"}, {Show::Max, L"max"}}};

TEST(XmlValues, KeywordsLookUpExactlyAndUnknownOnesChangeNothing) {
    Show value = Show::Normal;
    EXPECT_TRUE(xml::KeywordToValue<Show>(kShow, L"max", value));
    EXPECT_EQ(value, Show::Max);
    EXPECT_FALSE(xml::KeywordToValue<Show>(kShow, L"MAX", value));
    EXPECT_FALSE(xml::KeywordToValue<Show>(kShow, L"maximised", value));
    EXPECT_FALSE(xml::KeywordToValue<Show>(kShow, L"", value));
    EXPECT_EQ(value, Show::Max);
    EXPECT_EQ(xml::ValueToKeyword<Show>(kShow, Show::Hide), L"hide");
    EXPECT_TRUE(xml::ValueToKeyword<Show>(kShow, static_cast<Show>(9)).empty());
}

} // namespace
