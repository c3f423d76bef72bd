// Lengths with units and layer labels as the import reads them.
#include "import/page_geometry.h"
#include "import/svg_prescan.h"

#include <gtest/gtest.h>

namespace orlex {
namespace {

struct LengthCase {
    const char* text;
    double mm; // < 0: absent (nullopt); NAN: refused
};

class LengthTest : public testing::TestWithParam<LengthCase> {};

TEST_P(LengthTest, ReadsMillimetres)
{
    const auto result = lengthInMm(QString::fromUtf8(GetParam().text));
    if (std::isnan(GetParam().mm)) {
        EXPECT_FALSE(result.ok());
    } else if (GetParam().mm < 0) {
        ASSERT_TRUE(result.ok());
        EXPECT_FALSE(result->has_value());
    } else {
        ASSERT_TRUE(result.ok() && result->has_value()) << GetParam().text;
        EXPECT_NEAR(**result, GetParam().mm, 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Units, LengthTest,
                         testing::Values(LengthCase{"100mm", 100}, LengthCase{"10cm", 100}, LengthCase{"1in", 25.4},
                                         LengthCase{"72pt", 25.4}, LengthCase{"6pc", 25.4}, LengthCase{"96px", 25.4},
                                         LengthCase{" 96 ", 25.4}, LengthCase{"1e2mm", 100}, LengthCase{"50%", -1},
                                         LengthCase{"", -1}, LengthCase{"12em", NAN}, LengthCase{"-5mm", NAN},
                                         LengthCase{"wide", NAN}, LengthCase{"0", NAN}));

TEST(LayerLabel, NumberOrPenNumberChoosesThePen)
{
    const std::pair<const char*, int> cases[] = {{"2", 2},      {"2 red", 2},     {"Pen 3", 3},
                                                 {"pen12", 12}, {" 7-fine", 7},   {"Layer 1", 0},
                                                 {"0", 0},      {"2024 plan", 0}, {"", 0}};
    for (const auto& [label, pen] : cases)
        EXPECT_EQ(penFromLayerLabel(QString::fromUtf8(label)), pen) << label;
}

} // namespace
} // namespace orlex
