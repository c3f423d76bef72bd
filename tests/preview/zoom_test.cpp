// The zoom text rule: which texts give which zoom, and which reset it to 100.
#include "preview/zoom.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orlex {
namespace {

struct ZoomCase {
    std::string text;
    std::optional<std::int16_t> zoom;
};

class ZoomFromText : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(ZoomFromText, GivesZoomOrReset)
{
    EXPECT_EQ(zoomFromText(GetParam().text), GetParam().zoom) << "text \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ZoomFromText,
    ::testing::Values(ZoomCase{"100", 100}, ZoomCase{"1", 1}, ZoomCase{"400", 400},
                      // Typing "40" over a selected text: "4" first, then "40".
                      ZoomCase{"4", 4}, ZoomCase{"40", 40},
                      // Halves go to the even neighbour.
                      ZoomCase{"12.5", 12}, ZoomCase{"13.5", 14}, ZoomCase{"12.6", 13}, ZoomCase{"399.5", 400},
                      ZoomCase{" 50 ", 50}, ZoomCase{"+25", 25}, ZoomCase{"400.0", 400}, ZoomCase{"7.", 7},
                      // Out of range, empty or not a number: reset.
                      ZoomCase{"0", std::nullopt}, ZoomCase{"", std::nullopt}, ZoomCase{"   ", std::nullopt},
                      ZoomCase{"401", std::nullopt}, ZoomCase{"400.5", std::nullopt}, ZoomCase{"0.9", std::nullopt},
                      ZoomCase{"-5", std::nullopt}, ZoomCase{"4a", std::nullopt}, ZoomCase{"a4", std::nullopt},
                      ZoomCase{"1,5", std::nullopt}, ZoomCase{"1e2", std::nullopt}, ZoomCase{"inf", std::nullopt},
                      ZoomCase{"nan", std::nullopt}, ZoomCase{".", std::nullopt}, ZoomCase{"4 0", std::nullopt},
                      ZoomCase{"99999999999999999999999999", std::nullopt}));

} // namespace
} // namespace orlex
