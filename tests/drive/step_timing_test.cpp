// waitClockCycles: the exact clock thresholds, and events keep running while the clock is stuck.
#include "drive_rig.h"
#include "scripted_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex::test {
namespace {

struct DelayCase {
    std::string name;
    std::int16_t cycles;
    std::vector<std::uint8_t> script;
    long expectedReads;
};

class ClockWaitReads : public ::testing::TestWithParam<DelayCase> {};

// Reading past the script throws, so a delay that reads too much fails.
TEST_P(ClockWaitReads, ReturnsAfterTheExpectedReading)
{
    const DelayCase& c = GetParam();
    ScriptedPort port(c.script, {});
    DriveRig rig(port);
    EXPECT_NO_THROW(rig.drive->waitClockCycles(c.cycles));
    EXPECT_EQ(port.statusReads, c.expectedReads);
    EXPECT_TRUE(port.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(Thresholds, ClockWaitReads,
                         ::testing::Values(DelayCase{"ZeroReadsNothing", 0, {}, 0},
                                           DelayCase{"MinusOneReadsNothing", -1, {}, 0},
                                           DelayCase{"MostNegativeReadsNothing", -32768, {}, 0},
                                           DelayCase{"Alternating200And100", 2, {200, 100, 200, 100}, 4},
                                           DelayCase{"Constant128StartsAndEndsACycle", 2, {128, 128, 128, 128}, 4},
                                           DelayCase{"LowReadingsCountNothing", 1, {0, 127, 100, 255, 0}, 5},
                                           DelayCase{"HighPhaseEndsOnlyAt128OrBelow", 1, {200, 255, 129, 128}, 4},
                                           DelayCase{"127EndsAHighPhase", 1, {129, 127}, 2},
                                           DelayCase{"FourCycles", 4, {200, 0, 128, 128, 255, 127, 0, 130, 50}, 9}),
                         [](const auto& row) { return row.param.name; });

// A plotter on STOP holds the clock at one level; a stop request (Stop, Esc, a signal)
// made while the wait polls ends it before the next status read.
class ClockWaitStuck : public ::testing::TestWithParam<std::uint8_t> {};

TEST_P(ClockWaitStuck, AStopRequestEndsTheWait)
{
    ScriptedPort port({}, {GetParam()});
    DriveRig rig(port);
    port.onStatusRead = [&] {
        if (port.statusReads == 3)
            rig.drive->requestStop();
    };
    rig.drive->waitClockCycles(2);
    EXPECT_TRUE(rig.drive->stopRequested());
    EXPECT_EQ(port.statusReads, 3);
}

// The wait counts its cycles once the clock runs again.
TEST_P(ClockWaitStuck, TheWaitEndsWhenTheClockRunsAgain)
{
    ScriptedPort port({}, {GetParam()});
    DriveRig rig(port);
    port.onStatusRead = [&] {
        if (port.statusReads == 200)
            port.cycle = {200, 100};
    };
    rig.drive->waitClockCycles(3);
    EXPECT_FALSE(rig.drive->stopRequested());
    EXPECT_GT(port.statusReads, 200);
}

INSTANTIATE_TEST_SUITE_P(Halted, ClockWaitStuck, ::testing::Values(std::uint8_t{0}, std::uint8_t{255}));

TEST(ClockWait, WithoutAModeHookItWaitsInHalfSteps)
{
    ScriptedPort port(std::vector<std::uint8_t>(5000, 0), {200, 100});
    MachineSettings settings = defaultSettings();
    Drive d(port, settings, DriveHooks{});
    d.waitClockCycles(2);
    EXPECT_EQ(port.statusReads, 5004);
    EXPECT_TRUE(d.halfStep()); // no mode hook: half step, the mode the window opens in
}

} // namespace
} // namespace orlex::test
