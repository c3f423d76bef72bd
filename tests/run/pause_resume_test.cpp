// Pause, stop and resume on the virtual plotter: whatever way a draw is interrupted and
// carried on, the paper ends up with exactly the ink of one whole draw.
#include "ink.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "run_rig.h"

#include <gtest/gtest.h>

#include <thread>

namespace orlex::test {
namespace {

// Three strokes with pen-up travel between them, a diagonal and a pen change.
constexpr const char* kPlot = "IN;SP1;PU400,400;PD1200,400,1200,1000,400,400;PU2000,600;PD2600,1400;"
                              "SP2;PU200,1600;PD1800,1800,2200,200;PU;";

std::set<InkStep> wholeDrawInk(const DrawPlan& plan = {})
{
    RunRig rig;
    const DrawReport report = rig.draw(rig.file(kPlot), {}, plan);
    EXPECT_EQ(report.outcome, DrawReport::Outcome::Finished);
    return inkSteps(rig.plotter);
}

// Sends a stop request at the n-th coil byte of the run.
void stopAtCoilByte(RunRig& rig, int n)
{
    rig.port.onWrite = [&rig, n, count = 0](const Write& w) mutable {
        if (w.reg == Register::Data && ++count == n)
            rig.drive.requestStop();
    };
}

class StopAndResume : public ::testing::TestWithParam<int> {};

// Where the carriage stays put between the two runs, the resumed draw goes on from there.
TEST_P(StopAndResume, InTheSamePlaceGivesOneWholeDraw)
{
    RunRig rig;
    const std::string path = rig.file(kPlot);
    stopAtCoilByte(rig, GetParam());
    const DrawReport first = rig.draw(path);
    ASSERT_EQ(first.outcome, DrawReport::Outcome::Stopped);
    ASSERT_GE(first.stoppedAtPoint, 1u);
    EXPECT_FALSE(rig.plotter.penDown());

    rig.port.onWrite = {};
    rig.drive.clearStop();
    const DrawReport rest = rig.draw(path, {}, DrawPlan{DrawPlan::Origin::KeepPosition, first.stoppedAtPoint});
    ASSERT_EQ(rest.outcome, DrawReport::Outcome::Finished);
    EXPECT_EQ(inkSteps(rig.plotter), wholeDrawInk());
    EXPECT_FALSE(rig.plotter.penDown());
}

// With the origin at the "Pen to 0" point, the carriage may have been moved anywhere in
// between: homing finds the origin again.
TEST_P(StopAndResume, AfterTheCarriageMovedHomesFirst)
{
    RunRig rig;
    const std::string path = rig.file(kPlot);
    const DrawPlan fromHome{DrawPlan::Origin::PenToZero, 1};
    stopAtCoilByte(rig, GetParam() + 200); // after the homing's coil bytes
    const DrawReport first = rig.draw(path, {}, fromHome);
    ASSERT_EQ(first.outcome, DrawReport::Outcome::Stopped);

    rig.port.onWrite = {};
    rig.drive.clearStop();
    ASSERT_TRUE(
        rig.drive.lineTo(pointSteps(3000, 2500, rig.drive.scaleAt(100)), Pen::Up).ok()); // the operator jogs away
    const DrawReport rest = rig.draw(path, {}, DrawPlan{DrawPlan::Origin::PenToZero, first.stoppedAtPoint});
    ASSERT_EQ(rest.outcome, DrawReport::Outcome::Finished);
    EXPECT_EQ(inkSteps(rig.plotter), wholeDrawInk(fromHome));
}

// Early in the travel to the first stroke, inside a stroke, between strokes, near the end.
INSTANTIATE_TEST_SUITE_P(StopAt, StopAndResume, ::testing::Values(1, 5, 40, 180, 300, 420, 700));

TEST(Pause, HoldsWithThePenUpAndGoesOnWithoutStrayInk)
{
    RunRig rig;
    int holds = 0;
    bool penDownWhileHeld = false, coilsOffWhileHeld = false;
    Drive drive(rig.port, rig.settings, DriveHooks{[] { return true; }});
    // The operator: looks at the machine each time the draw holds, then continues it.
    std::jthread operatorThread([&](std::stop_token stop) {
        for (std::uint64_t seen = 0; !stop.stop_requested();) {
            if (drive.holdsBegun() == seen || !drive.holding())
                continue;
            seen = drive.holdsBegun();
            penDownWhileHeld |= rig.plotter.penDown();
            coilsOffWhileHeld |= !rig.plotter.motorsEnergised();
            ++holds;
            drive.continueAfterPause();
        }
    });
    drive.state.connected = drive.checkPresence();
    int coilBytes = 0, pauses = 0;
    rig.port.onWrite = [&](const Write& w) {
        if (w.reg == Register::Data && ++coilBytes % 150 == 0 && ++pauses)
            drive.requestPause(); // several times, in strokes and in travel
    };
    const DrawReport report = drawPlot({rig.check(rig.file(kPlot)).plot, {}, 100, true, {}, {}}, drive);
    ASSERT_EQ(report.outcome, DrawReport::Outcome::Finished);
    operatorThread.request_stop();
    operatorThread.join();
    EXPECT_GE(pauses, 6);
    EXPECT_EQ(holds, pauses); // each one held, after the step it came in
    EXPECT_FALSE(penDownWhileHeld);
    EXPECT_FALSE(coilsOffWhileHeld);
    EXPECT_EQ(inkSteps(rig.plotter), wholeDrawInk());
}

TEST(Pause, StopWhilePausedEndsTheRunWithThePenUp)
{
    RunRig rig;
    Drive drive(rig.port, rig.settings, DriveHooks{[] { return true; }});
    std::jthread operatorThread([&](std::stop_token stop) { // presses Stop once the draw holds
        while (!stop.stop_requested() && !drive.holding()) {
        }
        drive.requestStop();
    });
    drive.state.connected = drive.checkPresence();
    int coilBytes = 0;
    rig.port.onWrite = [&](const Write& w) {
        if (w.reg == Register::Data && ++coilBytes == 60)
            drive.requestPause();
    };
    const DrawReport report = drawPlot({rig.check(rig.file(kPlot)).plot, {}, 100, true, {}, {}}, drive);
    EXPECT_EQ(report.outcome, DrawReport::Outcome::Stopped);
    EXPECT_GE(report.stoppedAtPoint, 2u);
    EXPECT_FALSE(rig.plotter.penDown());
    EXPECT_EQ(coilBytes, 60); // nothing moved after the pause
}

// What the drive counts during a draw is what the test run counted, so progress reaches
// 100 % exactly at the end, and the estimate is the time the draw takes on the clock.
TEST(Progress, CountsMatchTheTestAndTheEstimateTheClock)
{
    RunRig rig;
    const std::string path = rig.file(kPlot);
    const PlotTest test = rig.check(path);
    ASSERT_TRUE(test.fits());
    const double before = rig.plotter.nowMicros();
    const DrawReport report = rig.draw(path, test.extents);
    ASSERT_EQ(report.outcome, DrawReport::Outcome::Finished);
    const double seconds = (rig.plotter.nowMicros() - before) / 1e6;

    EXPECT_EQ(rig.drive.counters.stepOutputs + 2 * rig.drive.counters.penCommands, test.stepPeriods(false));
    const std::optional<double> estimate = test.estimatedSeconds(2.0 / rig.plotter.config().clockHz, false);
    ASSERT_TRUE(estimate.has_value());
    EXPECT_NEAR(*estimate, seconds, seconds * 0.01);
}

TEST(Progress, PenToZeroTravelCountsInTheEstimate)
{
    RunRig rig;
    const PlotTest test = rig.check(rig.file("PU-400,-200;PD0,0;"));
    ASSERT_TRUE(test.needsPenToZero());
    // 10 mm and 5 mm at 0.25 mm per half step: 40 step outputs, then the pen command.
    EXPECT_EQ(test.originOutputs, 40u);
    EXPECT_EQ(test.stepPeriods(true), test.stepPeriods(false) + 40 + 2);
}

} // namespace
} // namespace orlex::test
