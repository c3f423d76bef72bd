// Whole numbers and "&H" literals are read without the locale or from_chars; their values
// are fixed here, not taken from another conversion.
#include "settings/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace orlex {
namespace {

struct Expected {
    std::string text;
    std::optional<double> value;
};

void PrintTo(const Expected& e, std::ostream* os)
{
    *os << '"' << e.text << '"';
}

class WholeNumbers : public ::testing::TestWithParam<Expected> {};

// The same under '.' and ',' as the decimal separator: none of these texts has one.
TEST_P(WholeNumbers, ReadTheirValue)
{
    const Expected& e = GetParam();
    for (char separator : {'.', ','}) {
        const std::optional<double> value = toNumber(e.text, separator);
        ASSERT_EQ(value.has_value(), e.value.has_value()) << separator;
        if (e.value) {
            EXPECT_EQ(*value, *e.value) << separator;
            EXPECT_EQ(std::signbit(*value), std::signbit(*e.value)) << separator;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, WholeNumbers,
                         ::testing::Values(Expected{" 50 ", 50}, Expected{"\t5\t", 5}, Expected{"-0", -0.0},
                                           Expected{"+0", 0}, Expected{"-32768", -32768}, Expected{"007", 7},
                                           Expected{"123456789012345", 123456789012345.0},   // 15 digits: exact
                                           Expected{"1234567890123456", 1234567890123456.0}, // 16 digits
                                           Expected{"99999999999999999999", 1e20}, Expected{"&H378", 888},
                                           Expected{" &hD010 ", 53264}, Expected{"&HFFFF", 65535},
                                           Expected{"&H", std::nullopt}, Expected{"&HG", std::nullopt},
                                           Expected{"-", std::nullopt}, Expected{"+", std::nullopt},
                                           Expected{"", std::nullopt}, Expected{"  ", std::nullopt},
                                           Expected{"5 0", std::nullopt}, Expected{"--5", std::nullopt},
                                           Expected{"5-", std::nullopt}));

} // namespace
} // namespace orlex
