// check: the presence test with scripted status readings.
#include "drive_rig.h"
#include "scripted_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex::test {
namespace {

struct CheckCase {
    std::string name;
    std::vector<std::uint8_t> script;
    std::vector<std::uint8_t> cycle; // after the script
    bool connected;
    long expectedReads;
};

class CheckReads : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckReads, SetsConnectedAfterTheExpectedReads)
{
    const CheckCase& c = GetParam();
    ScriptedPort port(c.script, c.cycle);
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.connected = !c.connected; // check must overwrite it either way
    EXPECT_EQ(d.checkPresence(), c.connected);
    EXPECT_EQ(d.state.connected, c.connected);
    EXPECT_EQ(port.statusReads, c.expectedReads);
    EXPECT_TRUE(port.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Readings, CheckReads,
    ::testing::Values(CheckCase{"HighThenLow", {200, 100}, {0}, true, 2},
                      CheckCase{"128CountsAsHigh", {128, 127}, {0}, true, 2},
                      CheckCase{"LowFirstIsPassedOver", {0, 5, 255, 255, 3}, {0}, true, 5},
                      CheckCase{"Constant255", {}, {255}, false, 100000},
                      CheckCase{"Constant127", {}, {127}, false, 100000},
                      CheckCase{"Constant0", {}, {0}, false, 100000},
                      CheckCase{"Constant128NeverGoesBelow128", {}, {128}, false, 100000},
                      CheckCase{"ToggleOnTheLastRead", std::vector<std::uint8_t>(99999, 255), {0}, true, 100000},
                      CheckCase{"ToggleOneReadTooLate", std::vector<std::uint8_t>(100000, 255), {0}, false, 100000}),
    [](const auto& row) { return row.param.name; });

} // namespace
} // namespace orlex::test
