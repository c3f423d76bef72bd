// stepX / stepY: coil patterns on the data register, wrap-around and step-mode changes.
#include "drive_rig.h"
#include "scripted_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex::test {
namespace {

struct WalkCase {
    std::string name;
    bool half;
    char axis;
    int dir;
    std::int16_t startPhase;
    std::vector<std::uint8_t> bytes; // data-register writes, one per step
    std::int16_t endPhase;
};

class PhaseWalk : public ::testing::TestWithParam<WalkCase> {};

// Nine steps from a start phase, each followed by a coil write: one full turn of the
// sequence plus one, so the wrap-around appears in every direction.
TEST_P(PhaseWalk, WritesTheTablePatternsAndWraps)
{
    const WalkCase& c = GetParam();
    ScriptedPort port;
    DriveRig rig(port);
    rig.half = c.half;
    Drive& d = *rig.drive;
    if (c.axis == 'X') {
        d.state.phaseX = c.startPhase;
        d.state.directionX = c.dir;
    } else {
        d.state.phaseY = c.startPhase;
        d.state.directionY = static_cast<std::int16_t>(c.dir);
    }
    for (std::size_t i = 0; i < c.bytes.size(); ++i) {
        c.axis == 'X' ? d.stepX() : d.stepY();
        d.energiseCoils();
    }
    EXPECT_EQ(port.dataWrites(), c.bytes);
    const double steps = static_cast<double>(c.bytes.size()) * c.dir;
    if (c.axis == 'X') {
        EXPECT_EQ(d.state.phaseX, c.endPhase);
        EXPECT_EQ(d.state.positionX, steps);
        EXPECT_EQ(d.state.positionY, 0);
    } else {
        EXPECT_EQ(d.state.phaseY, c.endPhase);
        EXPECT_EQ(d.state.positionY, steps);
        EXPECT_EQ(d.state.positionX, 0);
    }
}

// The untouched axis keeps its start-up pattern (X 1, Y 16) in every byte.
INSTANTIATE_TEST_SUITE_P(
    Tables, PhaseWalk,
    ::testing::Values(WalkCase{"HalfXRight",
                               true,
                               'X',
                               1,
                               1,
                               {16 + 3, 16 + 2, 16 + 6, 16 + 4, 16 + 12, 16 + 8, 16 + 9, 16 + 1, 16 + 3},
                               2},
                      WalkCase{"HalfXLeft",
                               true,
                               'X',
                               -1,
                               1,
                               {16 + 9, 16 + 8, 16 + 12, 16 + 4, 16 + 6, 16 + 2, 16 + 3, 16 + 1, 16 + 9},
                               8},
                      WalkCase{"FullXRight",
                               false,
                               'X',
                               1,
                               1,
                               {16 + 2, 16 + 4, 16 + 8, 16 + 1, 16 + 2, 16 + 4, 16 + 8, 16 + 1, 16 + 2},
                               2},
                      WalkCase{"FullXLeft",
                               false,
                               'X',
                               -1,
                               1,
                               {16 + 8, 16 + 4, 16 + 2, 16 + 1, 16 + 8, 16 + 4, 16 + 2, 16 + 1, 16 + 8},
                               4},
                      // Y runs its sequence backwards for a positive (upward) direction.
                      WalkCase{"HalfYUp",
                               true,
                               'Y',
                               1,
                               1,
                               {1 + 144, 1 + 128, 1 + 192, 1 + 64, 1 + 96, 1 + 32, 1 + 48, 1 + 16, 1 + 144},
                               8},
                      WalkCase{"HalfYDown",
                               true,
                               'Y',
                               -1,
                               1,
                               {1 + 48, 1 + 32, 1 + 96, 1 + 64, 1 + 192, 1 + 128, 1 + 144, 1 + 16, 1 + 48},
                               2},
                      WalkCase{"FullYUp",
                               false,
                               'Y',
                               1,
                               1,
                               {1 + 128, 1 + 64, 1 + 32, 1 + 16, 1 + 128, 1 + 64, 1 + 32, 1 + 16, 1 + 128},
                               4},
                      WalkCase{"FullYDown",
                               false,
                               'Y',
                               -1,
                               1,
                               {1 + 32, 1 + 64, 1 + 128, 1 + 16, 1 + 32, 1 + 64, 1 + 128, 1 + 16, 1 + 32},
                               2}),
    [](const auto& row) { return row.param.name; });

TEST(Phases, HalfStepXWrapsFromEightToOneAndBack)
{
    ScriptedPort port;
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.phaseX = 8;
    d.state.directionX = 1;
    d.stepX();
    EXPECT_EQ(d.state.phaseX, 1);
    EXPECT_EQ(d.state.coilsX, 1);
    d.state.directionX = -1;
    d.stepX();
    EXPECT_EQ(d.state.phaseX, 8);
    EXPECT_EQ(d.state.coilsX, 9);
}

TEST(Phases, YUpFromPhaseOneInHalfStepGivesPattern144)
{
    ScriptedPort port;
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.directionY = 1;
    d.stepY();
    EXPECT_EQ(d.state.phaseY, 8);
    EXPECT_EQ(d.state.coilsY, 144);
    EXPECT_EQ(d.state.positionY, 1);
}

TEST(Phases, IndexLeftFromHalfStepWrapsByTheFullStepRule)
{
    ScriptedPort port;
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.phaseX = 6;
    d.state.coilsX = 12;
    d.state.directionX = -1;
    rig.half = false;
    d.stepX(); // 6 - 1 = 5 is above 4: back to 1
    d.energiseCoils();
    EXPECT_EQ(d.state.phaseX, 1);
    EXPECT_EQ(port.dataWrites(), (std::vector<std::uint8_t>{1 + 16}));
    EXPECT_EQ(d.state.positionX, -1);
}

TEST(Phases, CombinedByteIsXPlusY)
{
    ScriptedPort port;
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.directionX = -1; // X from 1 to 8: pattern 9
    d.state.directionY = 1;  // Y from 1 to 8: pattern 144
    d.stepX();
    d.stepY();
    d.energiseCoils();
    EXPECT_EQ(port.writes, (std::vector<PortWrite>{{Register::Data, 153}}));
}

TEST(Phases, DirectionZeroReselectsThePatternWithoutMoving)
{
    ScriptedPort port;
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.phaseX = 6; // left over from half step
    d.state.phaseY = 3;
    rig.half = false;
    d.stepX();
    d.stepY();
    d.energiseCoils();
    EXPECT_EQ(d.state.phaseX, 1);
    EXPECT_EQ(d.state.phaseY, 3);
    EXPECT_EQ(d.state.positionX, 0);
    EXPECT_EQ(d.state.positionY, 0);
    EXPECT_EQ(port.dataWrites(), (std::vector<std::uint8_t>{1 + 64}));
}

TEST(Phases, StepModeIsAskedAtEveryStep)
{
    ScriptedPort port;
    DriveRig rig(port);
    Drive& d = *rig.drive;
    d.state.phaseX = 3;
    d.state.directionX = 1;
    d.stepX(); // half: 4, pattern 6
    d.energiseCoils();
    rig.half = false;
    d.stepX(); // full: 5 is above 4, so 1, pattern 1
    d.energiseCoils();
    rig.half = true;
    d.stepX(); // half: 2, pattern 3
    d.energiseCoils();
    EXPECT_EQ(port.dataWrites(), (std::vector<std::uint8_t>{6 + 16, 1 + 16, 3 + 16}));
    EXPECT_EQ(d.state.positionX, 3);
}

TEST(Phases, SteppingAloneWritesNothing)
{
    ScriptedPort port;
    DriveRig rig(port);
    rig.drive->state.directionX = 1;
    rig.drive->state.directionY = 1;
    rig.drive->stepX();
    rig.drive->stepY();
    EXPECT_TRUE(port.writes.empty());
}

} // namespace
} // namespace orlex::test
