// What the drive's intents write: each reaches its register with the documented value.
#include "drive_rig.h"
#include "scripted_port.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace orlex::test {
namespace {

struct IntentCase {
    const char* name;
    std::function<void(Drive&)> act;
    std::vector<PortWrite> writes;
};

void PrintTo(const IntentCase& c, std::ostream* os)
{
    *os << c.name;
}

class Intent : public ::testing::TestWithParam<IntentCase> {};

TEST_P(Intent, WritesItsRegister)
{
    ScriptedPort port;
    DriveRig rig(port);
    rig.drive->state.coilsX = 9;
    rig.drive->state.coilsY = 144;
    GetParam().act(*rig.drive);
    EXPECT_EQ(port.writes, GetParam().writes);
    EXPECT_EQ(port.statusReads, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Intent,
    ::testing::Values(IntentCase{"PenUp", [](Drive& d) { d.penUp(); }, {{Register::Control, 1}}},
                      IntentCase{"PenDown", [](Drive& d) { d.penDown(); }, {{Register::Control, 0}}},
                      IntentCase{"CoilsOnAtTheirPhases", [](Drive& d) { d.energiseCoils(); }, {{Register::Data, 153}}},
                      IntentCase{"CoilsOff", [](Drive& d) { d.switchCoilsOff(); }, {{Register::Data, 0}}},
                      IntentCase{"SafeIsPenUpThenCoilsOff",
                                 [](Drive& d) { (void)d.makeSafe(); },
                                 {{Register::Control, 1}, {Register::Data, 0}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RegisterAccess, CoilsEnergisedReadsTheDataRegisterBack)
{
    ScriptedPort port;
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.energiseCoils();
    EXPECT_TRUE(d.coilsEnergised());
    d.switchCoilsOff();
    EXPECT_FALSE(d.coilsEnergised());
    EXPECT_EQ(port.reads, (std::vector<Register>{Register::Data, Register::Data}));
}

} // namespace
} // namespace orlex::test
