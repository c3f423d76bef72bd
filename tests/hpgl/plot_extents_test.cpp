// Extents in millimetres, their labels, the fit rule and the drawing-time estimate.
#include "hpgl/plot_extents.h"
#include "plan/draw_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace orlex {
namespace {

PlotBox box(std::int16_t minX, std::int16_t minY, std::int16_t maxX, std::int16_t maxY)
{
    return PlotBox{minX, minY, maxX, maxY};
}

TEST(PlotExtents, MillimetresAtTheTestZoom)
{
    const PlotBox run = box(-400, 0, 120, 200);
    const PlotExtents at100 = extentsInMillimetres(run, 100);
    EXPECT_EQ(millimetreLabel(at100.minXmm), "-10 mm");
    EXPECT_EQ(millimetreLabel(at100.minYmm), "0 mm");
    EXPECT_EQ(millimetreLabel(at100.maxXmm), "3 mm"); // 3.0
    EXPECT_EQ(millimetreLabel(at100.maxYmm), "5 mm");
    const PlotExtents at200 = extentsInMillimetres(run, 200);
    EXPECT_EQ(at200.minXmm, -20);
    EXPECT_EQ(at200.minYmm, 0);
    EXPECT_EQ(at200.maxXmm, 6);
    EXPECT_EQ(at200.maxYmm, 10);
}

TEST(PlotExtents, HalvesGoToEven)
{
    // 100 units = 2.5 mm -> 2; 140 units = 3.5 mm -> 4; -100 -> -2.
    const PlotExtents e = extentsInMillimetres(box(-100, 0, 100, 140), 100);
    EXPECT_EQ(e.minXmm, -2);
    EXPECT_EQ(e.maxXmm, 2);
    EXPECT_EQ(e.maxYmm, 4);
    const PlotExtents big = extentsInMillimetres(box(-32768, -32768, 32767, 32767), 400);
    EXPECT_EQ(big.minXmm, -3277);
    EXPECT_EQ(big.maxYmm, 3277);
}

struct FitCase {
    const char* name;
    PlotExtents extents;
    double maxx, maxy;
    bool fits;
};

class Fit : public ::testing::TestWithParam<FitCase> {};

TEST_P(Fit, Rule)
{
    MachineSettings settings;
    settings.travelXmm = GetParam().maxx;
    settings.travelYmm = GetParam().maxy;
    EXPECT_EQ(plotFits(GetParam().extents, settings), GetParam().fits);
}

INSTANTIATE_TEST_SUITE_P(Limits, Fit,
                         ::testing::Values(FitCase{"EqualFits", {-10, 0, 140, 150}, 150, 150, true},
                                           FitCase{"WidthOver", {-10, 0, 141, 150}, 150, 150, false},
                                           FitCase{"HeightAloneOver", {0, -1, 100, 150}, 150, 150, false},
                                           FitCase{"Zeros", {0, 0, 0, 0}, 150, 150, true},
                                           FitCase{"LimitRounded", {0, 0, 150, 0}, 150.4, 150, true},
                                           FitCase{"LimitRoundedHalfEven", {0, 0, 151, 0}, 150.5, 150, false},
                                           FitCase{"LimitBeyond16Bits", {0, 0, 1, 1}, 40000, 150, false},
                                           FitCase{"ExtremeSizeDoesNotWrap", {-32768, 0, 32767, 0}, 32767, 150, false}),
                         [](const ::testing::TestParamInfo<FitCase>& row) { return std::string(row.param.name); });

TEST(DrawTime, OutputsAndPenCommands)
{
    DrawCounts run;
    run.stepOutputs = 1000;
    run.penCommands = 10;
    const auto seconds = run.seconds(0.001);
    ASSERT_TRUE(seconds);
    EXPECT_NEAR(*seconds, 1.02, 1e-9);
    EXPECT_FALSE(run.seconds(0));
    EXPECT_FALSE(run.seconds(-1));
    EXPECT_FALSE(run.seconds(std::numeric_limits<double>::quiet_NaN()));
    run.valid = false;
    EXPECT_FALSE(run.seconds(0.001));
}

struct DurationCase {
    double seconds;
    const char* text;
};

class Duration : public ::testing::TestWithParam<DurationCase> {};

TEST_P(Duration, Text)
{
    EXPECT_EQ(durationText(GetParam().seconds), GetParam().text) << GetParam().seconds;
}

INSTANTIATE_TEST_SUITE_P(Values, Duration,
                         ::testing::Values(DurationCase{0, "0 s"}, DurationCase{12, "12 s"}, DurationCase{12.5, "12 s"},
                                           DurationCase{59.5, "1 min 00 s"}, DurationCase{185, "3 min 05 s"},
                                           DurationCase{3599, "59 min 59 s"}, DurationCase{3720, "1 h 02 min"},
                                           DurationCase{36000 + 59 * 60 + 40, "11 h 00 min"}, DurationCase{-3, "0 s"},
                                           DurationCase{std::numeric_limits<double>::quiet_NaN(), "0 s"},
                                           DurationCase{1e300, "1000000 h 00 min"}));

} // namespace
} // namespace orlex
