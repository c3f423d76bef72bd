// The fit from where the drawing starts: the "Pen to 0" point, the travel limit a plot
// would pass from a known place, and a remedy that works in that state; and every plot
// that passes the fit drawn after "Pen to 0" with no step behind home.
#include "run/carriage_reach.h"
#include "run_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>

namespace orlex::test {
namespace {

struct ReachCase {
    const char* name;
    const char* plot;
    std::int16_t zoom;
    DrawPlan::Origin origin;
    std::optional<CarriageMm> penAt;
    bool cli;             // the command line's remedies, else the window's
    const char* refusal;  // the whole text; "" when the plot stays within the travel
    bool unknown = false; // the position is unknown: the plot fits only from its origin
};

void PrintTo(const ReachCase& c, std::ostream* os)
{
    *os << c.name;
}

class StartFitTable : public ::testing::TestWithParam<ReachCase> {};

// At the test machine: 150 x 150 mm of travel, 0.25 mm half steps; homing leaves the pen
// at 1 mm, 1 mm.
TEST_P(StartFitTable, RefusesWithARemedyThatWorksThere)
{
    const ReachCase& c = GetParam();
    RunRig rig;
    rig.preview.zoom = c.zoom;
    const PlotTest check = rig.check(rig.file(c.plot));
    ASSERT_TRUE(check.fits());
    const StartFit fit =
        fitFromDrawStart(check, rig.settings, c.origin, c.penAt, c.cli ? kCliRemedies : kWindowRemedies);
    EXPECT_EQ(fit.refusal.value_or(""), c.refusal);
    EXPECT_EQ(fit.positionUnknown, c.unknown);
}

constexpr auto kAsTested = DrawPlan::Origin::AsTested;
constexpr auto kPenToZero = DrawPlan::Origin::PenToZero;
const char* const kScaleDown = "use a smaller zoom or larger travel limits (Options > Settings)";

INSTANTIATE_TEST_SUITE_P(
    Cases, StartFitTable,
    ::testing::Values(
        ReachCase{"FromHome", "PD4000,4000;", 100, kAsTested, CarriageMm{0, 0}, false, ""},
        ReachCase{"UpToTheLimit", "PD4000,0;", 100, kAsTested, CarriageMm{50, 0}, false, ""},
        ReachCase{"Unknown", "PD4000,0;", 100, kAsTested, std::nullopt, false, "", true},
        ReachCase{"PastXByOneStep", "PD4000,0;", 100, kAsTested, CarriageMm{50.25, 0}, false,
                  "The plot would reach X 150.25 mm of 150 mm from where the pen stands: move the pen at least "
                  "0.25 mm left or press Pen home"},
        ReachCase{"ZoomCounts", "PD4000,0;", 150, kAsTested, CarriageMm{20, 20}, false,
                  "The plot would reach X 170 mm of 150 mm from where the pen stands: move the pen at least 20 mm "
                  "left"},
        ReachCase{"BothAxesToMove", "PD4000,4000;", 100, kAsTested, CarriageMm{60, 60}, false,
                  "The plot would reach X 160 mm of 150 mm from where the pen stands: move the pen at least 10 mm "
                  "left and 10 mm down or press Pen home"},
        // 149.75 mm wide: from where homing leaves the pen (1 mm) it would still pass.
        ReachCase{"PenHomeWouldNotHelp", "PD5990,0;", 100, kAsTested, CarriageMm{10, 0}, false,
                  "The plot would reach X 159.75 mm of 150 mm from where the pen stands: move the pen at least "
                  "9.75 mm left"},
        // -0.25 mm rounds to a minimum of 0 mm: no "Pen to 0", the plot starts where the pen stands.
        ReachCase{"BehindHome", "PD-10,0;PD400,0;", 100, kAsTested, CarriageMm{0, 5}, false,
                  "The plot would reach X -0.25 mm, 0.25 mm behind home, from where the pen stands: move the pen "
                  "at least 0.25 mm right or press Pen home"},
        ReachCase{"NowhereFits", "PD-10,0;PD6000,0;", 100, kAsTested, CarriageMm{0, 0}, false,
                  "The plot would reach X -0.25 mm, 0.25 mm behind home, from where the pen stands: the plot does "
                  "not fit the travel from any place: use a smaller zoom or larger travel limits (Options > "
                  "Settings)"},
        ReachCase{"CliFromTheStart", "PD4000,0;", 100, kAsTested, CarriageMm{50.25, 0}, true,
                  "The plot would reach X 150.25 mm of 150 mm from where the pen stands: give a --start at least "
                  "0.25 mm further left or use --home"},
        // -0.5 mm rounds to 0: "Pen to 0" moves the two steps to the lowest one, not 0 mm.
        ReachCase{"HomeMeetsTheLowestStep", "PU20,60;PD-20,-60;PU100,-100;", 100, kPenToZero, std::nullopt, true, ""},
        ReachCase{"AtEightyPercent", "PU20,60;PD-20,-60;PU100,-100;", 80, kAsTested, CarriageMm{0, 0}, false, ""},
        // -1.55 mm rounds to -2 mm and 148.45 mm to 148 mm: 150 mm fit, but from the "Pen to 0"
        // point the highest step lies at 150.5 mm. Only the scale can change that.
        ReachCase{"PastTheLimitAfterPenToZero", "PU-62,0;PD5938,0;", 100, kAsTested, CarriageMm{0, 0}, false,
                  "The plot would reach X 150.5 mm of 150 mm after \"Pen to 0\": use a smaller zoom or larger "
                  "travel limits (Options > Settings)"},
        ReachCase{"CliPastTheLimitWithHome", "PU-62,0;PD5938,0;", 100, kPenToZero, std::nullopt, true,
                  "The plot would reach X 150.5 mm of 150 mm after \"Pen to 0\": use a smaller --zoom or larger "
                  "travel limits in the settings file"}),
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

// Homing leaves the pen at 0,0; "Pen to 0" then moves |min| on each axis in whole steps,
// or to the lowest step when |min| falls short of it.
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
                                           OriginCase{"FullSteps", "PU-800,0;PD0,0;", false, 20, 0},
                                           OriginCase{"RoundedTowardsZero", "PU-492,-20;PD0,0;", true, 12.25, 0.5},
                                           OriginCase{"RoundedAwayFromZero", "PU-508,-60;PD0,0;", true, 13, 2},
                                           OriginCase{"FullStepsRoundedTowardsZero", "PU-20,-100;PD0,0;", false, 0.5,
                                                      2.5}),
                         [](const auto& row) { return std::string(row.param.name); });

// A minimum (in mm at 100 %), a zoom and a step mode.
using HomeCase = std::tuple<double, std::int16_t, bool>;

class NothingBehindHome : public ::testing::TestWithParam<HomeCase> {};

// Every such plot passes the fit after "Pen to 0" and is drawn from there, through the draw
// both front ends use, with no step behind where homing leaves the pen.
TEST_P(NothingBehindHome, AfterPenToZero)
{
    const auto [minimumMm, zoom, halfStep] = GetParam();
    RunRig rig;
    rig.preview.zoom = zoom;
    rig.halfStep = halfStep;
    const long units = std::lround(minimumMm * 40);
    const std::string plot = rig.file("PU0,0;PD" + std::to_string(units) + "," + std::to_string(units) + ";PD400,200;PU"
                                      + std::to_string(units / 2) + ",0;");
    const PlotTest check = rig.check(plot);
    ASSERT_TRUE(check.fits());
    const StartFit fit = fitFromDrawStart(check, rig.settings, DrawPlan::Origin::PenToZero, {}, kWindowRemedies);
    ASSERT_EQ(fit.refusal, std::nullopt) << *fit.refusal;

    struct Arm : DrawObserver {
        bool drawing = false;
        void drawingStarts() override { drawing = true; }
        bool point(double, double, Pen) override { return true; }
    } arm;
    double lowestX = 1e9, lowestY = 1e9;
    rig.port.onWrite = [&](const Write&) {
        if (arm.drawing) {
            lowestX = std::min(lowestX, rig.plotter.xMillimetres());
            lowestY = std::min(lowestY, rig.plotter.yMillimetres());
        }
    };
    DrawPlan plan;
    plan.origin = DrawPlan::Origin::PenToZero;
    const DrawReport report = drawPlot(drawJobFor(check, plan), rig.drive, nullptr, &arm);
    ASSERT_EQ(report.outcome, DrawReport::Outcome::Finished) << report.message();
    const StepPair homed = homedCarriageMm(rig.settings, halfStep);
    EXPECT_GE(lowestX, homed.x - 1e-9);
    EXPECT_GE(lowestY, homed.y - 1e-9);
    EXPECT_EQ(rig.plotter.counters().lostStepsX + rig.plotter.counters().lostStepsY, 0);
}

INSTANTIATE_TEST_SUITE_P(Minima, NothingBehindHome,
                         ::testing::Combine(::testing::Values(-0.3, -0.5, -1.5, -2.5, -12.3, -12.7),
                                            ::testing::Values(std::int16_t{100}, std::int16_t{40}, std::int16_t{37}),
                                            ::testing::Bool()));

} // namespace
} // namespace orlex::test
