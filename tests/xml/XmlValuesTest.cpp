// Value conversions: booleans, whole-value numbers, clamping, 64-bit times and keyword enumerations.

#include "xml/XmlValues.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(XmlValues, BooleansAreTrueOnlyForTrueAndOn) {
    EXPECT_TRUE(xml::TextToBool(L"true") && xml::TextToBool(L"on"));
    for (const wchar_t* text : {L"TRUE", L"True", L"ON", L"1", L"yes", L"", L" true", L"true ", L"false"}) {
        EXPECT_FALSE(xml::TextToBool(text)) << testing::PrintToString(std::wstring(text));
    }
    EXPECT_EQ(xml::BoolToText(true) + xml::BoolToText(false), L"truefalse");
}

TEST(XmlValues, UnsignedNumbersReadWholeAndClamp) {
    constexpr uint32_t kUntouched = 77;
    const struct {
        const wchar_t* text;
        uint32_t low, high;
        bool ok;
        uint32_t expected;
    } cases[] = {
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
    for (const auto& c : cases) {
        uint32_t value = kUntouched;
        EXPECT_EQ(xml::TextToUInt(c.text, c.low, c.high, value), c.ok) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(value, c.expected) << testing::PrintToString(std::wstring(c.text));
    }
}

// Signed 32-bit numbers and 64-bit times share their rules; a refused text leaves the value alone.
TEST(XmlValues, SignedNumbersAndTimesReadWhole) {
    const struct {
        const wchar_t* text;
        bool ok;
        int64_t expected;
        bool is32;
    } cases[] = {
        {L"-1200", true, -1200, true},
        {L"", true, 0, true},
        {L"2147483647", true, INT32_MAX, true},
        {L"-2147483648", true, INT32_MIN, true},
        {L"7px", false, 3, true},
        {L" 7", false, 3, true},
        {L"--7", false, 3, true},
        {L"4102444800", true, 4102444800LL, false}, // beyond 32 bits: year 2100
        {L"9223372036854775807", true, INT64_MAX, false},
        {L"-5", true, -5, false},
        {L"", true, 0, false},
        {L"17e9", false, 3, false},
        {L" 1", false, 3, false},
    };
    for (const auto& c : cases) {
        int32_t number = 3;
        int64_t time = 3;
        const bool ok = c.is32 ? xml::TextToLong(c.text, number) : xml::TextToTime(c.text, time);
        EXPECT_EQ(ok, c.ok) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(c.is32 ? number : time, c.expected) << testing::PrintToString(std::wstring(c.text));
    }
    EXPECT_EQ(xml::LongToText(-1200), L"-1200");
    EXPECT_EQ(xml::UIntToText(4294967295u), L"4294967295");
    EXPECT_EQ(xml::TimeToText(INT64_MIN), L"-9223372036854775808");
}

enum class Show { Hide = 0, Normal = 1, Max = 2 };
constexpr std::array<xml::CXmlKeyword<Show>, 3> kShow = {
    {{Show::Hide, L"hide"}, {Show::Normal, L"normal"}, {Show::Max, L"max"}}};

TEST(XmlValues, KeywordsLookUpExactlyAndUnknownOnesChangeNothing) {
    Show value = Show::Normal;
    EXPECT_TRUE(xml::KeywordToValue<Show>(kShow, L"max", value));
    for (const wchar_t* text : {L"MAX", L"maximised", L""}) {
        EXPECT_FALSE(xml::KeywordToValue<Show>(kShow, text, value));
    }
    EXPECT_EQ(value, Show::Max);
    EXPECT_EQ(xml::ValueToKeyword<Show>(kShow, Show::Hide), L"hide");
    EXPECT_TRUE(xml::ValueToKeyword<Show>(kShow, static_cast<Show>(9)).empty());
}

} // namespace
