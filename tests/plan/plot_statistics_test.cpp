// Counts, lengths and extents of small plots worked out by hand.
#include "plan/plot_statistics.h"

#include <gtest/gtest.h>

namespace orlex {
namespace {

PlotEvent up(double x, double y)
{
    return PlotPoint{x, y, false};
}
PlotEvent down(double x, double y)
{
    return PlotPoint{x, y, true};
}

struct StatisticsCase {
    const char* name;
    PlotEvents events;
    std::uint64_t points, strokes, lifts, selections;
    double downUnits, upUnits;
    Extents extents;
};

class Statistics : public ::testing::TestWithParam<StatisticsCase> {};

TEST_P(Statistics, MatchesHandCount)
{
    const StatisticsCase& c = GetParam();
    const PlotStatistics s = computeStatistics(c.events);
    EXPECT_EQ(s.points, c.points);
    EXPECT_EQ(s.strokes, c.strokes);
    EXPECT_EQ(s.penLifts, c.lifts);
    EXPECT_EQ(s.penSelections, c.selections);
    EXPECT_DOUBLE_EQ(s.penDownMillimetres, c.downUnits * 0.025);
    EXPECT_DOUBLE_EQ(s.penUpMillimetres, c.upUnits * 0.025);
    EXPECT_EQ(s.units, c.extents);
    const Extents mm{c.extents.minX * 0.025, c.extents.minY * 0.025, c.extents.maxX * 0.025, c.extents.maxY * 0.025};
    EXPECT_EQ(s.millimetres, mm);
}

INSTANTIATE_TEST_SUITE_P(
    Plots, Statistics,
    ::testing::Values(
        StatisticsCase{"Empty", {}, 0, 0, 0, 0, 0, 0, {}},
        StatisticsCase{
            "FinalStrokeIsLifted", {up(10, 0), down(10, 40), down(40, 80)}, 3, 1, 1, 0, 90, 10, {0, 0, 40, 80}},
        // The pen travels 50 (a 30-40-50 triangle), then 400, after its last stroke.
        StatisticsCase{"TravelAfterLastStrokeCounted",
                       {down(0, 30), up(40, 0), up(40, 400)},
                       3,
                       1,
                       1,
                       0,
                       30,
                       450,
                       {0, 0, 40, 400}},
        StatisticsCase{"TravelThroughEveryPenUpPoint",
                       {up(0, 30), down(40, 60), up(40, 0), up(80, 0), down(80, 10)},
                       5,
                       2,
                       2,
                       0,
                       60,
                       130,
                       {0, 0, 80, 60}},
        StatisticsCase{
            "SpEndsAStrokeWithoutLift", {down(10, 0), SelectPen{'2'}, down(20, 0)}, 2, 2, 1, 1, 20, 0, {0, 0, 20, 0}},
        StatisticsCase{"OriginInExtents",
                       {up(-40, -80), down(-40, -50), up(-10, -20)},
                       3,
                       1,
                       1,
                       0,
                       30,
                       89.44271909999159 + 42.42640687119285, // to (-40, -80), then 30 by 30 to (-10, -20)
                       {-40, -80, 0, 0}}),
    [](const ::testing::TestParamInfo<StatisticsCase>& p) { return std::string(p.param.name); });

} // namespace
} // namespace orlex
