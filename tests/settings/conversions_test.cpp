// Conversions of setting texts: rounding halves to even, decimal and "&H" forms, ranges.
#include "settings/conversions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace orlex {
namespace {

struct RoundCase {
    double value;
    double expected;
};

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour)
{
    const RoundCase c = GetParam();
    EXPECT_EQ(roundHalfEven(c.value), c.expected) << c.value;
    EXPECT_EQ(roundToInt16(c.value), static_cast<std::int16_t>(c.expected)) << c.value;
}

INSTANTIATE_TEST_SUITE_P(Table, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2}, RoundCase{-2.5, -2},
                                           RoundCase{12.5, 12}, RoundCase{-0.5, 0}, RoundCase{-1.5, -2},
                                           RoundCase{3.49, 3}, RoundCase{3.51, 4}, RoundCase{13.5, 14}));

// Near and beyond 2^52, where every double is whole or a half, and values that pass
// through unchanged.
TEST(RoundHalfEven, LargeMagnitudesSignsAndNonNumbers)
{
    EXPECT_EQ(roundHalfEven(2251799813685248.5), 2251799813685248.0); // 2^51 + 0.5
    EXPECT_EQ(roundHalfEven(2251799813685249.5), 2251799813685250.0);
    EXPECT_EQ(roundHalfEven(-4503599627370495.5), -4503599627370496.0); // -(2^52 - 0.5)
    EXPECT_EQ(roundHalfEven(4503599627370497.0), 4503599627370497.0);
    EXPECT_EQ(roundHalfEven(1e300), 1e300);
    EXPECT_EQ(roundHalfEven(-std::numeric_limits<double>::infinity()), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(roundHalfEven(std::nan(""))));
    EXPECT_TRUE(std::signbit(roundHalfEven(-0.4)));
    EXPECT_FALSE(std::signbit(roundHalfEven(0.4)));
}

TEST(RoundToInt16, ReportsValuesThatDoNotFitInsteadOfWrapping)
{
    EXPECT_EQ(roundToInt16(32767.4), std::int16_t{32767});
    EXPECT_EQ(roundToInt16(-32768.5), std::int16_t{-32768}); // -32768 is the even neighbour
    EXPECT_EQ(roundToInt16(32767.5), std::nullopt);          // rounds to 32768
    EXPECT_EQ(roundToInt16(-32769.0), std::nullopt);
    EXPECT_EQ(roundToInt16(65535.0), std::nullopt);
    EXPECT_EQ(roundToInt16(std::nan("")), std::nullopt);
    EXPECT_EQ(roundToInt16(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(roundToInt16(-std::numeric_limits<double>::infinity()), std::nullopt);
}

struct NumberCase {
    std::string text;
    char separator;
    std::optional<double> expected;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << "\"" << c.text << "\" sep '" << c.separator << "'";
}

class ToNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ToNumberTest, ConvertsOrRefuses)
{
    const NumberCase c = GetParam();
    EXPECT_EQ(toNumber(c.text, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Accepted, ToNumberTest,
                         ::testing::Values(NumberCase{" 50 ", '.', 50.0}, NumberCase{"150", '.', 150.0},
                                           NumberCase{"\t 7\t", '.', 7.0}, NumberCase{"-5 ", '.', -5.0},
                                           NumberCase{"+7", '.', 7.0}, NumberCase{"0.25", '.', 0.25},
                                           NumberCase{"1,5", ',', 1.5}, NumberCase{" -2,5 ", ',', -2.5},
                                           NumberCase{",5", ',', 0.5}, NumberCase{"5.", '.', 5.0},
                                           NumberCase{"007", '.', 7.0}, NumberCase{"&H378", '.', 888.0},
                                           NumberCase{"&h278", '.', 632.0}, NumberCase{"&HD010", '.', 53264.0},
                                           NumberCase{"&Hd010", '.', 53264.0}, NumberCase{"  &H378  ", ',', 888.0},
                                           NumberCase{"&HFFFF", '.', 65535.0}));

INSTANTIATE_TEST_SUITE_P(Refused, ToNumberTest,
                         ::testing::Values(NumberCase{"", '.', std::nullopt}, NumberCase{"   ", '.', std::nullopt},
                                           NumberCase{"abc", '.', std::nullopt}, NumberCase{"1.5", ',', std::nullopt},
                                           NumberCase{"1,5", '.', std::nullopt}, NumberCase{"12abc", '.', std::nullopt},
                                           NumberCase{"1.2.3", '.', std::nullopt}, NumberCase{"--5", '.', std::nullopt},
                                           NumberCase{"- 5", '.', std::nullopt}, NumberCase{"5 5", '.', std::nullopt},
                                           NumberCase{"-", '.', std::nullopt}, NumberCase{".", '.', std::nullopt},
                                           NumberCase{"1e3", '.', std::nullopt}, NumberCase{"inf", '.', std::nullopt},
                                           NumberCase{"nan", '.', std::nullopt}, NumberCase{"0x10", '.', std::nullopt},
                                           NumberCase{"&H", '.', std::nullopt}, NumberCase{"&H12G", '.', std::nullopt},
                                           NumberCase{"&H 12", '.', std::nullopt},
                                           NumberCase{"&-H12", '.', std::nullopt},
                                           NumberCase{"H378", '.', std::nullopt}, NumberCase{"LPT1", '.', std::nullopt},
                                           NumberCase{std::string("5\0", 2), '.', std::nullopt}));

struct Int16Case {
    std::string text;
    char separator;
    std::optional<std::int16_t> expected;
};

void PrintTo(const Int16Case& c, std::ostream* os)
{
    *os << "\"" << c.text << "\" sep '" << c.separator << "'";
}

class ToInt16Test : public ::testing::TestWithParam<Int16Case> {};

TEST_P(ToInt16Test, RoundsHalvesToEvenAndReportsOverflow)
{
    const Int16Case c = GetParam();
    EXPECT_EQ(toInt16(c.text, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToInt16Test,
    ::testing::Values(Int16Case{" 150 ", '.', std::int16_t{150}}, Int16Case{"2.5", '.', std::int16_t{2}},
                      Int16Case{"2,5", ',', std::int16_t{2}}, Int16Case{"3,5", ',', std::int16_t{4}},
                      Int16Case{"-2.5", '.', std::int16_t{-2}}, Int16Case{"12.5", '.', std::int16_t{12}},
                      Int16Case{"32767", '.', std::int16_t{32767}}, Int16Case{"-32768", '.', std::int16_t{-32768}},
                      Int16Case{"32768", '.', std::nullopt}, Int16Case{"-32769", '.', std::nullopt},
                      Int16Case{"99999", '.', std::nullopt}, Int16Case{"&HFFFF", '.', std::nullopt},
                      Int16Case{"&H7FFF", '.', std::int16_t{32767}}, Int16Case{"&H378", '.', std::int16_t{888}},
                      Int16Case{"12 mm", '.', std::nullopt}));

TEST(Locale, SeparatorComesFromTheCurrentLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(localeDecimalSeparator(), '.');
    EXPECT_EQ(toNumber("2.5"), 2.5);
    EXPECT_EQ(toNumber("2,5"), std::nullopt);
    EXPECT_EQ(toInt16("2.5"), std::int16_t{2});
    std::setlocale(LC_NUMERIC, saved.c_str());
}

struct AddressCase {
    std::string text;
    std::optional<std::uint16_t> expected;
};

class ToPortAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(ToPortAddressTest, IsAnUnsignedSixteenBitPortNumber)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(toPortAddress(GetParam().text), GetParam().expected) << GetParam().text;
    std::setlocale(LC_NUMERIC, saved.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToPortAddressTest,
    ::testing::Values(AddressCase{"&H378", std::uint16_t{0x378}}, AddressCase{"&H278", std::uint16_t{632}},
                      AddressCase{"888", std::uint16_t{0x378}}, AddressCase{" 888 ", std::uint16_t{0x378}},
                      AddressCase{"&HD010", std::uint16_t{0xD010}}, AddressCase{"&HFFFF", std::uint16_t{65535}},
                      AddressCase{"0", std::uint16_t{0}}, AddressCase{"&H10000", std::nullopt},
                      AddressCase{"65536", std::nullopt}, AddressCase{"-1", std::nullopt},
                      AddressCase{"LPT1", std::nullopt}, AddressCase{"", std::nullopt}));

} // namespace
} // namespace orlex
