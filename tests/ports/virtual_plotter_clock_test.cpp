// The virtual plotter's status register: clock line in virtual time, switches, floating bits.
#include "drive/ports/virtual_plotter.h"

#include <gtest/gtest.h>

#include <vector>

namespace orlex {
namespace {

struct ClockCase {
    double clockHz;
    double readMicros;
    int readsPerHalfPeriod;
};

class VirtualClock : public ::testing::TestWithParam<ClockCase> {};

// Lengths of the runs of equal bit-7 levels over the first `reads` status reads.
std::vector<int> clockRuns(VirtualPlotter& plotter, int reads, bool& firstHigh)
{
    std::vector<int> runs;
    bool level = false;
    for (int i = 0; i < reads; ++i) {
        const bool high = (plotter.read(Register::Status) & 0x80) != 0;
        if (i == 0)
            firstHigh = high;
        if (i == 0 || high != level)
            runs.push_back(0);
        ++runs.back();
        level = high;
    }
    return runs;
}

TEST_P(VirtualClock, HighForTheFirstHalfOfEachPeriodThenLow)
{
    const ClockCase c = GetParam();
    VirtualPlotterConfig config;
    config.clockHz = c.clockHz;
    config.virtualReadMicros = c.readMicros;
    VirtualPlotter plotter(config);

    const int halves = 8;
    bool firstHigh = false;
    const std::vector<int> runs = clockRuns(plotter, halves * c.readsPerHalfPeriod, firstHigh);
    EXPECT_TRUE(firstHigh);
    ASSERT_EQ(runs.size(), static_cast<std::size_t>(halves));
    for (int run : runs)
        EXPECT_EQ(run, c.readsPerHalfPeriod);
    EXPECT_DOUBLE_EQ(plotter.counters().simulatedMicros, halves * c.readsPerHalfPeriod * c.readMicros);
    EXPECT_DOUBLE_EQ(plotter.nowMicros(), plotter.counters().simulatedMicros);
}

INSTANTIATE_TEST_SUITE_P(Frequencies, VirtualClock,
                         ::testing::Values(ClockCase{2000, 5, 50}, ClockCase{1000, 10, 50}, ClockCase{500, 1, 1000},
                                           ClockCase{2000, 2.5, 100}, ClockCase{4000, 125, 1}, ClockCase{2500, 4, 50}));

// A clock faster than 5 µs reads could follow is sampled finer, so that every cycle is
// seen: the cycles counted over many reads are the simulated time times the frequency.
class FastVirtualClock : public ::testing::TestWithParam<double> {};

TEST_P(FastVirtualClock, EveryCycleIsSeen)
{
    VirtualPlotterConfig config;
    config.clockHz = GetParam();
    VirtualPlotter plotter(config);
    long falls = 0;
    bool high = false;
    for (int i = 0; i < 200000; ++i) {
        const bool now = (plotter.read(Register::Status) & 0x80) != 0;
        falls += high && !now;
        high = now;
    }
    const double cycles = plotter.counters().simulatedMicros * GetParam() / 1e6;
    EXPECT_NEAR(static_cast<double>(falls), cycles, 1.0);
    EXPECT_GT(falls, 1000);
}

INSTANTIATE_TEST_SUITE_P(Frequencies, FastVirtualClock, ::testing::Values(100000.0, 400000.0, 600000.0, 999999.0));

TEST(VirtualClockStopped, NeverTogglesWhenStoppedOrWithoutFrequency)
{
    VirtualPlotterConfig stopped;
    stopped.clockRunning = false;
    VirtualPlotterConfig noFrequency;
    noFrequency.clockHz = 0;
    for (const VirtualPlotterConfig& config : {stopped, noFrequency}) {
        VirtualPlotter plotter(config);
        for (int i = 0; i < 5000; ++i)
            ASSERT_EQ(plotter.read(Register::Status) & 0x80, 0) << "read " << i;
        EXPECT_GT(plotter.counters().simulatedMicros, 0); // time still passes
    }
}

TEST(VirtualClockStopped, StoppingHoldsTheLineLowAndRestartingBringsItBack)
{
    VirtualPlotter plotter;
    EXPECT_NE(plotter.read(Register::Status) & 0x80, 0);
    plotter.setClockRunning(false);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(plotter.read(Register::Status) & 0x80, 0);
    plotter.setClockRunning(true);
    bool sawHigh = false;
    for (int i = 0; i < 1000 && !sawHigh; ++i)
        sawHigh = (plotter.read(Register::Status) & 0x80) != 0;
    EXPECT_TRUE(sawHigh);
}

TEST(VirtualClock, StatusNowDoesNotAdvanceTime)
{
    VirtualPlotter plotter;
    for (int i = 0; i < 10; ++i)
        plotter.statusNow();
    EXPECT_EQ(plotter.counters().simulatedMicros, 0);
    EXPECT_EQ(plotter.statusNow(), plotter.read(Register::Status));
}

struct SwitchCase {
    double startXmm, startYmm;
    bool xOpen, yOpen;
};

class VirtualSwitches : public ::testing::TestWithParam<SwitchCase> {};

TEST_P(VirtualSwitches, OpenOnlyWhileTheCarriageIsAwayFromHome)
{
    const SwitchCase c = GetParam();
    VirtualPlotterConfig config;
    config.startXmm = c.startXmm;
    config.startYmm = c.startYmm;
    config.stepLengthXmm = 0.25;
    config.stepLengthYmm = 0.25;
    config.floatingBits = 0;
    VirtualPlotter plotter(config);
    const std::uint8_t status = plotter.read(Register::Status);
    EXPECT_EQ((status & 0x08) != 0, c.xOpen);
    EXPECT_EQ((status & 0x10) != 0, c.yOpen);
    EXPECT_EQ(plotter.xSwitchClosed(), !c.xOpen);
    EXPECT_EQ(plotter.ySwitchClosed(), !c.yOpen);
}

INSTANTIATE_TEST_SUITE_P(StartPositions, VirtualSwitches,
                         ::testing::Values(SwitchCase{0, 0, false, false}, SwitchCase{0.25, 0.25, true, true},
                                           SwitchCase{0.25, 0, true, false}, SwitchCase{0, 0.25, false, true},
                                           SwitchCase{-5, -5, false, false}, SwitchCase{30, 30, true, true},
                                           // 0.5 and 1.5 half-steps round to even: 0 and 2
                                           SwitchCase{0.125, 0.375, false, true}));

TEST(VirtualStatus, ExactlyClockOnlyWithNoFloatingBitsAndBothSwitchesClosed)
{
    VirtualPlotterConfig config;
    config.startXmm = 0;
    config.startYmm = 0;
    config.floatingBits = 0;
    VirtualPlotter plotter(config);
    EXPECT_EQ(plotter.read(Register::Status), 128);
}

TEST(VirtualStatus, FloatingBitsOnlyOnTheUnusedLines)
{
    VirtualPlotterConfig config;
    config.startXmm = 0;
    config.startYmm = 0;
    config.floatingBits = 0xFF;
    config.clockRunning = false;
    VirtualPlotter plotter(config);
    EXPECT_EQ(plotter.read(Register::Status), 0x67);
}

TEST(VirtualStatus, SwitchClosesWhenTheCarriageStepsOntoHome)
{
    VirtualPlotterConfig config;
    config.startXmm = 0.5; // two half-steps from home
    config.stepLengthXmm = 0.25;
    VirtualPlotter plotter(config);
    plotter.write(Register::Data, 1); // pattern 1, where the rotor starts: no move
    plotter.write(Register::Data, 9); // one half-step left
    EXPECT_NE(plotter.read(Register::Status) & 0x08, 0);
    plotter.write(Register::Data, 8); // home
    EXPECT_EQ(plotter.read(Register::Status) & 0x08, 0);
    plotter.write(Register::Data, 12); // beyond home: still closed
    EXPECT_EQ(plotter.read(Register::Status) & 0x08, 0);
    EXPECT_EQ(plotter.xHalfSteps(), -1);
}

TEST(VirtualRegisters, ReadBackLatchesAndAReadOnlyStatus)
{
    VirtualPlotter plotter;
    EXPECT_EQ(plotter.read(Register::Control), 1); // pen up at power-on
    plotter.write(Register::Data, 0x93);
    plotter.write(Register::Control, 0);
    plotter.write(Register::Status, 0x55); // the status register cannot be written
    EXPECT_EQ(plotter.read(Register::Data), 0x93);
    EXPECT_EQ(plotter.read(Register::Control), 0);
    EXPECT_TRUE(plotter.motorsEnergised());
    plotter.write(Register::Data, 0);
    EXPECT_FALSE(plotter.motorsEnergised());
}

} // namespace
} // namespace orlex
