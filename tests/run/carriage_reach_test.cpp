// The fit from where the pen stands: the "Pen to 0" point, and the travel limit a plot
// would pass from a known place, with the operator's text.
#include "run/carriage_reach.h"
#include "run_rig.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orlex::test {
namespace {

struct ReachCase {
    const char* name;
    const char* plot;
    std::int16_t zoom;
    CarriageMm penAt;
    const char* reach; // what the refusal names; "" when the plot stays within the travel
};

void PrintTo(const ReachCase& c, std::ostream* os)
{
    *os << c.name;
}

class PositionFit : public ::testing::TestWithParam<ReachCase> {};

// At the defaults: 150 x 150 mm of travel, 0.25 mm half steps.
TEST_P(PositionFit, RefusesAPlotThatWouldPassALimit)
{
    const ReachCase& c = GetParam();
    RunRig rig;
    rig.preview.zoom = c.zoom;
    const PlotTest check = rig.check(rig.file(c.plot));
    ASSERT_TRUE(check.fits());
    const std::optional<std::string> refusal = positionFitRefusal(check, rig.settings, c.penAt);
    if (*c.reach == 0)
        EXPECT_EQ(refusal, std::nullopt);
    else
        EXPECT_EQ(refusal, "The plot would reach " + std::string(c.reach)
                               + " from where the pen stands: move the pen or press Pen home");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PositionFit,
    ::testing::Values(ReachCase{"FromHome", "PD4000,4000;", 100, {0, 0}, ""},
                      ReachCase{"UpToTheLimit", "PD4000,0;", 100, {50, 0}, ""},
                      ReachCase{"PastXByOneStep", "PD4000,0;", 100, {50.25, 0}, "X 150.25 mm of 150 mm"},
                      ReachCase{"ZoomCounts", "PD4000,0;", 150, {20, 20}, "X 170 mm of 150 mm"},
                      ReachCase{"PastY", "PD0,2000;", 100, {0, 120}, "Y 170 mm of 150 mm"},
                      ReachCase{"XIsNamedFirst", "PD4000,4000;", 100, {60, 60}, "X 160 mm of 150 mm"},
                      ReachCase{"BehindHome", "PD-400,0;", 100, {5, 0}, "X -5 mm, 5 mm behind home,"}),
    [](const auto& row) { return std::string(row.param.name); });

struct OriginCase {
    const char* name;
    const char* plot;
    bool halfStep;
    double x;
    double y;
};

void PrintTo(const OriginCase& c, std::ostream* os)
{
    *os << c.name;
}

class PenToZero : public ::testing::TestWithParam<OriginCase> {};

// Homing leaves the pen at 0,0; "Pen to 0" then moves |min| on each axis, in whole steps.
TEST_P(PenToZero, StandsAtTheOriginOfThePlot)
{
    const OriginCase& c = GetParam();
    RunRig rig;
    rig.halfStep = c.halfStep;
    const PlotTest check = rig.check(rig.file(c.plot));
    const CarriageMm at = penToZeroPoint(check, rig.settings);
    EXPECT_DOUBLE_EQ(at.x, c.x);
    EXPECT_DOUBLE_EQ(at.y, c.y);
}

INSTANTIATE_TEST_SUITE_P(Cases, PenToZero,
                         ::testing::Values(OriginCase{"NoNegativeCoordinates", "PD400,400;", true, 0, 0},
                                           OriginCase{"BelowAndLeft", "PU-800,-400;PD0,0;", true, 20, 10},
                                           OriginCase{"FullSteps", "PU-800,0;PD0,0;", false, 20, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex::test
