// The shortcuts of the setting conversions (whole numbers without the locale, recently
// converted texts remembered) give exactly what the full conversion gives.
#include "settings/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orlex {
namespace {

struct SameAsFull {
    std::string text;
};

class FastPathTest : public ::testing::TestWithParam<SameAsFull> {};

// The locale forms agree with the explicit '.' form (the tests run in the C locale),
// the first time and when the text is converted again.
TEST_P(FastPathTest, AgreesWithTheFullConversion)
{
    const std::string& text = GetParam().text;
    const std::optional<double> full = toNumber(text, '.');
    for (int round = 0; round < 3; ++round) {
        const std::optional<double> fast = toNumber(text);
        ASSERT_EQ(fast.has_value(), full.has_value()) << text;
        if (full) {
            EXPECT_EQ(*fast, *full) << text;
            EXPECT_EQ(std::signbit(*fast), std::signbit(*full)) << text;
        }
        EXPECT_EQ(toInt16(text), toInt16(text, '.')) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FastPathTest,
    ::testing::Values(SameAsFull{" 50 "}, SameAsFull{"50"}, SameAsFull{"\t5\t"}, SameAsFull{"-0"},
                      SameAsFull{"+0"}, SameAsFull{"-32768"}, SameAsFull{"007"},
                      SameAsFull{"123456789012345"},       // 15 digits: the shortcut
                      SameAsFull{"1234567890123456"},      // 16 digits: the full parse
                      SameAsFull{"99999999999999999999"}, SameAsFull{"12.5"}, SameAsFull{"5."},
                      SameAsFull{".5"}, SameAsFull{"&H378"}, SameAsFull{" &hD010 "}, SameAsFull{"&H"},
                      SameAsFull{"-"}, SameAsFull{"+"}, SameAsFull{""}, SameAsFull{"  "}, SameAsFull{"5 0"},
                      SameAsFull{"--5"}, SameAsFull{"5-"}, SameAsFull{"a very long text of more than sixteen"}));

// A remembered text never answers for another one that shares its beginning or its length.
TEST(RecentNumbers, DoNotAnswerForOtherTexts)
{
    EXPECT_EQ(toNumber("7"), 7.0);
    EXPECT_EQ(toNumber("7.5"), 7.5);
    EXPECT_EQ(toNumber("8"), 8.0);
    EXPECT_EQ(toNumber("7x"), std::nullopt);
    EXPECT_EQ(toNumber("7"), 7.0);
    EXPECT_EQ(toNumber(" 7"), 7.0);
    EXPECT_EQ(toNumber("70"), 70.0);
}

// More texts than are remembered: every one still converts to its own value.
TEST(RecentNumbers, ManyTextsInTurn)
{
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 40; ++i) {
            const std::string text = " " + std::to_string(i * 37) + " ";
            ASSERT_EQ(toNumber(text), static_cast<double>(i * 37)) << text;
            ASSERT_EQ(toPortAddress("&H" + std::to_string(i)), std::stoi(std::to_string(i), nullptr, 16));
        }
    }
}

// The same buffer with new contents (a setting changed by Save) gives the new value.
TEST(RecentNumbers, FollowAChangedSetting)
{
    std::string setting = " 50 ";
    EXPECT_EQ(toNumber(setting), 50.0);
    setting = " 25 ";
    EXPECT_EQ(toNumber(setting), 25.0);
    setting = "abc";
    EXPECT_EQ(toNumber(setting), std::nullopt);
    setting = " 50 ";
    EXPECT_EQ(toNumber(setting), 50.0);
}

} // namespace
} // namespace orlex
