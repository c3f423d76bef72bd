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
// arriving through the events must still end the wait, within a few polls.
class ClockWaitStop : public ::testing::TestWithParam<std::uint8_t> {};

TEST_P(ClockWaitStop, EndsTheWaitWhileTheClockIsHalted)
{
    ScriptedPort port({}, {GetParam()});
    DriveRig rig(port);
    rig.onEvents = [&rig] {
        if (rig.eventCalls == 3)
            rig.drive->requestStop();
    };
    rig.drive->waitClockCycles(2);
    EXPECT_TRUE(rig.drive->stopRequested());
    EXPECT_EQ(rig.eventCalls, 3);
    EXPECT_LE(port.statusReads, 3L * 256 + 2); // no poll after the one that saw the request
}

INSTANTIATE_TEST_SUITE_P(Halted, ClockWaitStop, ::testing::Values(std::uint8_t{0}, std::uint8_t{255}));

TEST(ClockWait, EventsRunWhileTheClockIsStuckLow)
{
    constexpr long kStuckReads = 100000;
    ScriptedPort port(std::vector<std::uint8_t>(kStuckReads, 0), {200, 100});
    DriveRig rig(port);
    rig.drive->waitClockCycles(1);
    EXPECT_EQ(port.statusReads, kStuckReads + 2);
    // At least every 256 polls, but not at every poll.
    EXPECT_GE(rig.eventCalls, kStuckReads / 256);
    EXPECT_LE(rig.eventCalls, kStuckReads / 16 + 1);
}

TEST(ClockWait, EventsRunWhileTheClockIsStuckHigh)
{
    constexpr long kStuckReads = 100000;
    std::vector<std::uint8_t> script(kStuckReads, 255);
    script.push_back(100);
    ScriptedPort port(script, {0});
    DriveRig rig(port);
    rig.drive->waitClockCycles(1);
    EXPECT_EQ(port.statusReads, kStuckReads + 1);
    EXPECT_GE(rig.eventCalls, kStuckReads / 256);
    EXPECT_LE(rig.eventCalls, kStuckReads / 16 + 1);
}

// A handler that runs inside the wait may itself write the port (a jog button).
TEST(ClockWait, AHandlerRunningInsideTheWaitCanUseTheDrive)
{
    ScriptedPort port(std::vector<std::uint8_t>(1000, 0), {200, 100});
    DriveRig rig(port);
    Drive& d = *rig.drive;
    bool jogged = false;
    rig.onEvents = [&] {
        if (jogged)
            return;
        jogged = true;
        d.state.directionX = 1;
        d.stepX();
        d.energiseCoils();
    };
    d.waitClockCycles(1);
    EXPECT_TRUE(jogged);
    EXPECT_EQ(port.dataWrites(), (std::vector<std::uint8_t>{3 + 16}));
}

TEST(ClockWait, WithoutAnEventHookItStillWaits)
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
