// home, homing against the switches (bounded), and the move to the drawing origin.
#include "drive_rig.h"
#include "scripted_port.h"

#include "drive/ports/virtual_plotter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace orlex::test {
namespace {

struct SwitchCase {
    std::uint8_t status;
    int switchX;
    int switchY;
};

class HomeReading : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(HomeReading, TakesBit3AsXAndBit4AsY)
{
    const SwitchCase& c = GetParam();
    ScriptedPort port({c.status});
    DriveRig rig(port);
    rig.drive->state.xSwitch = 7;
    rig.drive->state.ySwitch = 7;
    rig.drive->readHomeSwitches();
    EXPECT_EQ(port.statusReads, 1);
    EXPECT_EQ(rig.drive->state.xSwitch, c.switchX);
    EXPECT_EQ(rig.drive->state.ySwitch, c.switchY);
}

INSTANTIATE_TEST_SUITE_P(Readings, HomeReading,
                         ::testing::Values(SwitchCase{0, 0, 0}, SwitchCase{8, 1, 0}, SwitchCase{16, 0, 1},
                                           SwitchCase{24, 1, 1}, SwitchCase{255, 1, 1},
                                           SwitchCase{128 + 64 + 32 + 7, 0, 0}, SwitchCase{128 + 16, 0, 1},
                                           SwitchCase{0x67 + 8, 1, 0}));

// Both open (24), then X closed (16): one diagonal step, then Y alone until it closes,
// then four back-off steps on both axes. The clock reads are interleaved exactly.
TEST(HomingScripted, DiagonalStepThenYAloneThenBackOff)
{
    std::vector<std::uint8_t> script;
    for (int i = 0; i < 4; ++i) // the pen's four cycles
        script.insert(script.end(), {128 + 24, 24});
    script.insert(script.end(), {24, 128 + 24, 24, 128 + 24, 24, // home, waitClockCycles(2)
                                 16, 128 + 16, 16, 128 + 16, 16, // home, waitClockCycles(2)
                                 0});                            // home: Y closed
    for (int i = 0; i < 4 * 3; ++i)                              // four back-off delays of three cycles
        script.insert(script.end(), {128, 0});
    ScriptedPort port(script, {}); // a read more would throw
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.connected = true;
    const HomeResult result = d.home();
    EXPECT_TRUE(result.ok());
    // X 1 -> 8 (9) with Y 1 -> 2 (48); Y -> 3 (32); then up/right: (48, 1), (16, 3),
    // (144, 2), (128, 6).
    EXPECT_EQ(port.dataWrites(), (std::vector<std::uint8_t>{57, 41, 49, 19, 146, 134}));
    // The pen is lifted before anything moves.
    EXPECT_EQ(port.controlWrites(), (std::vector<std::uint8_t>{1}));
    EXPECT_EQ(port.writes.front(), (PortWrite{Register::Control, 1}));
    EXPECT_EQ(port.statusReads, 8 + 11 + 4 * 6);
    EXPECT_EQ(d.state.directionX, 1);
    EXPECT_EQ(d.state.directionY, 1);
    EXPECT_EQ(d.state.xSwitch, 0);
    EXPECT_EQ(d.state.ySwitch, 0);
    // positionX/positionY follow every step and are not reset.
    EXPECT_EQ(d.state.positionX, -1 + 4);
    EXPECT_EQ(d.state.positionY, -2 + 4);
}

TEST(HomingScripted, NotConnectedLeavesThePortUntouched)
{
    ScriptedPort port({24});
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.connected = false;
    const HomeResult result = d.home();
    EXPECT_EQ(result.outcome, HomeResult::Outcome::NotConnected);
    EXPECT_EQ(result.message(), kNotConnectedText);
    EXPECT_TRUE(port.writes.empty());
    EXPECT_TRUE(port.reads.empty());
}

struct StartCase {
    std::string name;
    double xMm, yMm;
    bool half;
};

class HomingOnPlotter : public ::testing::TestWithParam<StartCase> {};

struct PlotterRig {
    explicit PlotterRig(double xMm, double yMm, bool half = true) : plotter(config(xMm, yMm)), rig(plotter)
    {
        rig.half = half;
        rig.drive->state.connected = true;
        rig.drive->energiseCoils(); // coils on at the start-up phases, as after "Motor on"
    }
    static VirtualPlotterConfig config(double xMm, double yMm)
    {
        VirtualPlotterConfig c;
        c.startXmm = xMm;
        c.startYmm = yMm;
        c.virtualReadMicros = 125; // 4 reads per 2 kHz cycle: fast, and no cycle missed
        return c;
    }
    VirtualPlotter plotter;
    DriveRig rig;
    Drive& d = *rig.drive;
};

TEST_P(HomingOnPlotter, EndsFourStepsOffBothSwitches)
{
    const StartCase& c = GetParam();
    PlotterRig p(c.xMm, c.yMm, c.half);
    const HomeResult result = p.d.home();
    ASSERT_TRUE(result.ok()) << result.message();
    const long turnsPerStep = c.half ? 1 : 2; // a full step turns the rotor 90 degrees
    EXPECT_EQ(p.plotter.xHalfSteps(), 4 * turnsPerStep);
    EXPECT_EQ(p.plotter.yHalfSteps(), 4 * turnsPerStep);
    EXPECT_FALSE(p.plotter.xSwitchClosed());
    EXPECT_FALSE(p.plotter.ySwitchClosed());
    EXPECT_EQ(p.plotter.counters().lostStepsX + p.plotter.counters().lostStepsY, 0);
    EXPECT_EQ(p.plotter.counters().penMoves, 0);
}

INSTANTIATE_TEST_SUITE_P(Starts, HomingOnPlotter,
                         ::testing::Values(StartCase{"BothOpen", 30, 30, true}, StartCase{"XClosesFirst", 5, 40, true},
                                           StartCase{"YClosesFirst", 40, 5, true},
                                           StartCase{"XAlreadyClosed", 0, 20, true},
                                           StartCase{"YAlreadyClosed", 20, 0, true},
                                           StartCase{"BothClosed", 0, 0, true}, StartCase{"FullStep", 30, 12, false}),
                         [](const auto& row) { return row.param.name; });

TEST(HomingOnPlotter, XAlreadyClosedMovesOnlyYDown)
{
    PlotterRig p(0, 20);
    const long stepsXBefore = p.plotter.counters().stepsX;
    ASSERT_TRUE(p.d.home().ok());
    // X turns only for the four back-off steps.
    EXPECT_EQ(p.plotter.counters().stepsX - stepsXBefore, 4);
    EXPECT_EQ(p.plotter.counters().stepsY, 80 + 4);
}

TEST(HomingOnPlotter, PenToZeroMovesAlongXOnlyWithThePenUp)
{
    PlotterRig p(30, 30);
    ASSERT_TRUE(p.d.home().ok());
    const long homedY = p.plotter.yHalfSteps();
    const MoveResult result = p.d.moveToOrigin(penToZeroSteps({-12, 0}, p.d.settings(), p.d.halfStep(), 100));
    ASSERT_TRUE(result.ok()) << result.reason;
    // Four back-off half steps (1 mm) and then 12 mm.
    EXPECT_DOUBLE_EQ(p.plotter.xMillimetres(), 1 + 12);
    EXPECT_EQ(p.plotter.yHalfSteps(), homedY);
    EXPECT_FALSE(p.plotter.penDown());
    EXPECT_TRUE(p.plotter.paper().empty());
    EXPECT_EQ(p.d.state.positionX, 48);
    EXPECT_EQ(p.d.state.positionY, 0);
}

TEST(HomingOnPlotter, PenToZeroCancelsTheZoom)
{
    PlotterRig p(30, 30);
    ASSERT_TRUE(p.d.home().ok());
    ASSERT_TRUE(p.d.moveToOrigin(penToZeroSteps({-12, -5}, p.d.settings(), p.d.halfStep(), 250)).ok());
    EXPECT_DOUBLE_EQ(p.plotter.xMillimetres(), 1 + 12);
    EXPECT_DOUBLE_EQ(p.plotter.yMillimetres(), 1 + 5);
}

// Forces one home switch to read open, as a broken wire would.
class BrokenSwitch : public Port {
public:
    BrokenSwitch(Port& inner, std::uint8_t forcedBit) : inner_(inner), bit_(forcedBit) {}
    void write(Register reg, std::uint8_t value) override { inner_.write(reg, value); }
    std::uint8_t read(Register reg) override
    {
        const std::uint8_t v = inner_.read(reg);
        return reg == Register::Status ? static_cast<std::uint8_t>(v | bit_) : v;
    }

private:
    Port& inner_;
    std::uint8_t bit_;
};

struct NeverClosesCase {
    std::string name;
    std::uint8_t forcedBit;
    bool half;
    double maxx;
    char axis;
    long steps;
    std::string message;
};

class SwitchNeverCloses : public ::testing::TestWithParam<NeverClosesCase> {};

TEST_P(SwitchNeverCloses, StopsAfterTheTravelPlusTenPercent)
{
    const NeverClosesCase& c = GetParam();
    VirtualPlotter plotter(PlotterRig::config(30, 30));
    BrokenSwitch port(plotter, c.forcedBit);
    MachineSettings settings = defaultSettings();
    settings.travelXmm = c.maxx;
    DriveRig rig(port, settings);
    rig.half = c.half;
    Drive& d = *rig.drive;
    d.state.connected = true;
    d.energiseCoils();
    const long x0 = plotter.xHalfSteps(), y0 = plotter.yHalfSteps();

    const HomeResult result = d.home();
    EXPECT_EQ(result.outcome, HomeResult::Outcome::SwitchNeverClosed);
    EXPECT_EQ(result.axis, c.axis);
    EXPECT_EQ(result.steps, c.steps);
    EXPECT_EQ(result.message(), c.message);
    // It stopped where it was: no back-off after the steps towards the switch, which took
    // the carriage to the end of travel 10 mm behind home; the steps into it were lost.
    const long turns = c.half ? 1 : 2;
    const long other = 120; // the other axis came home from 30 mm
    const long end = -40;   // 10 mm in 0.25 mm turns
    const long start = c.axis == 'X' ? x0 : y0;
    const long at = std::max(start - c.steps * turns, end);
    const long lost = c.steps - (start - at) / turns;
    const VirtualPlotterCounters& counters = plotter.counters();
    if (c.axis == 'X') {
        EXPECT_EQ(plotter.xHalfSteps(), at);
        EXPECT_EQ(plotter.yHalfSteps(), y0 - other);
        EXPECT_EQ(counters.endStopsX, lost);
    } else {
        EXPECT_EQ(plotter.yHalfSteps(), at);
        EXPECT_EQ(plotter.xHalfSteps(), x0 - other);
        EXPECT_EQ(counters.endStopsY, lost);
    }
    EXPECT_GT(lost, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, SwitchNeverCloses,
    ::testing::Values(NeverClosesCase{"XHalfStep", 0x08, true, 150, 'X', 660,
                                      "Homing stopped: the X home switch did not close after 660 steps (more "
                                      "than the X travel of 150 mm). Check the switch and its wiring."},
                      NeverClosesCase{"YFullStep", 0x10, false, 150, 'Y', 330,
                                      "Homing stopped: the Y home switch did not close after 330 steps (more "
                                      "than the Y travel of 150 mm). Check the switch and its wiring."},
                      NeverClosesCase{"XFractionalTravel", 0x08, false, 40.5, 'X', 89,
                                      "Homing stopped: the X home switch did not close after 89 steps (more "
                                      "than the X travel of 40.5 mm). Check the switch and its wiring."}),
    [](const auto& row) { return row.param.name; });

TEST(HomingOnPlotter, AStopRequestEndsHomingWhereItIs)
{
    PlotterRig p(30, 30);
    // Asks for a stop at the tenth coil write, as the window's Stop button would.
    struct StopAfter : Port {
        Port& inner;
        Drive* drive = nullptr;
        int left;
        StopAfter(Port& i, int n) : inner(i), left(n) {}
        void write(Register reg, std::uint8_t v) override
        {
            inner.write(reg, v);
            if (reg == Register::Data && --left == 0)
                drive->requestStop();
        }
        std::uint8_t read(Register reg) override { return inner.read(reg); }
    } stopper(p.plotter, 10);
    stopper.drive = &p.d;
    p.d.setPort(stopper);
    const HomeResult result = p.d.home();
    EXPECT_EQ(result.outcome, HomeResult::Outcome::Stopped);
    EXPECT_EQ(p.plotter.xHalfSteps(), 120 - 10);
    EXPECT_EQ(p.plotter.yHalfSteps(), 120 - 10);
}

} // namespace
} // namespace orlex::test
