// The virtual plotter's motors: coil bytes decoded into rotor turns, lost steps and carriage travel.
#include "drive/ports/virtual_plotter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex {
namespace {

constexpr double kStepX = 0.25, kStepY = 0.1;

VirtualPlotter makePlotter()
{
    VirtualPlotterConfig config;
    config.startXmm = 30;
    config.startYmm = 20;
    config.stepLengthXmm = kStepX;
    config.stepLengthYmm = kStepY;
    return VirtualPlotter(config);
}

struct MotionCase {
    std::string name;
    std::vector<std::uint8_t> bytes; // written to the data register in order
    long turnsX, turnsY;             // carriage travel in 45-degree turns
    long stepsX, stepsY, lostX, lostY;
};

class VirtualMotors : public ::testing::TestWithParam<MotionCase> {};

TEST_P(VirtualMotors, DecodeCoilBytes)
{
    const MotionCase& c = GetParam();
    VirtualPlotter plotter = makePlotter();
    const long startX = plotter.xHalfSteps(), startY = plotter.yHalfSteps();
    for (std::uint8_t byte : c.bytes)
        plotter.write(Register::Data, byte);
    EXPECT_EQ(plotter.xHalfSteps() - startX, c.turnsX);
    EXPECT_EQ(plotter.yHalfSteps() - startY, c.turnsY);
    EXPECT_DOUBLE_EQ(plotter.xMillimetres(), 30 + c.turnsX * kStepX);
    EXPECT_DOUBLE_EQ(plotter.yMillimetres(), 20 + c.turnsY * kStepY);
    EXPECT_EQ(plotter.counters().stepsX, c.stepsX);
    EXPECT_EQ(plotter.counters().stepsY, c.stepsY);
    EXPECT_EQ(plotter.counters().lostStepsX, c.lostX);
    EXPECT_EQ(plotter.counters().lostStepsY, c.lostY);
}

INSTANTIATE_TEST_SUITE_P(Sequences, VirtualMotors,
                         ::testing::Values(
                             // X half-step table forwards (right) and backwards (left), a full turn of the cycle each.
                             MotionCase{"XHalfRight", {1, 3, 2, 6, 4, 12, 8, 9, 1}, 8, 0, 8, 0, 0, 0},
                             MotionCase{"XHalfLeft", {1, 9, 8, 12, 4, 6, 2, 3, 1}, -8, 0, 8, 0, 0, 0},
                             // Wave drive: each step is 90 degrees, two 45-degree turns of travel.
                             MotionCase{"XWaveRight", {1, 2, 4, 8, 1}, 8, 0, 4, 0, 0, 0},
                             MotionCase{"XWaveLeft", {1, 8, 4, 2, 1}, -8, 0, 4, 0, 0, 0},
                             // Y: the table run backwards (as a positive directionY does) moves the carriage up.
                             MotionCase{"YHalfUp", {16, 144, 128, 192, 64, 96, 32, 48, 16}, 0, 8, 0, 8, 0, 0},
                             MotionCase{"YHalfDown", {16, 48, 32, 96, 64, 192, 128, 144, 16}, 0, -8, 0, 8, 0, 0},
                             MotionCase{"YWaveUp", {16, 128, 64, 32, 16}, 0, 8, 0, 4, 0, 0},
                             MotionCase{"YWaveDown", {16, 32, 64, 128, 16}, 0, -8, 0, 4, 0, 0},
                             // Both motors in one write: 1+16, then X right and Y up together.
                             MotionCase{"Diagonal", {17, 3 + 144, 2 + 128}, 2, 2, 2, 2, 0, 0},
                             // Switching from half to wave drive mid-way keeps counting from the rotor.
                             MotionCase{"HalfThenWave", {1, 3, 2, 4, 8}, 6, 0, 4, 0, 0, 0},
                             // The rotors start on the detent of pattern 1: a first write of the next pattern
                             // of the cycle is already a step, and of pattern 1 itself is none.
                             MotionCase{"FirstWriteIsAStep", {3 + 144}, 1, 1, 1, 1, 0, 0},
                             MotionCase{"FirstWriteOfPatternOne", {1 + 16}, 0, 0, 0, 0, 0, 0},
                             // Writing the same byte again changes nothing.
                             MotionCase{"RepeatedByte", {1, 3, 3, 3}, 1, 0, 1, 0, 0, 0},
                             // 180 degrees: the rotor cannot tell which way to go and stays; the next neighbour
                             // of where it stayed still moves it.
                             MotionCase{"HalfTurnLost", {1, 4, 3}, 1, 0, 1, 0, 1, 0},
                             MotionCase{"WaveHalfTurnLost", {16, 64}, 0, 0, 0, 0, 0, 1},
                             // 135 degrees is lost as well.
                             MotionCase{"ThreeEighthsLost", {1, 6}, 0, 0, 0, 0, 1, 0},
                             // Patterns outside the cycle: opposite coils, three or four coils.
                             MotionCase{"OppositeCoilsLost", {1, 5, 10, 7, 15}, 0, 0, 0, 0, 4, 0},
                             MotionCase{"YOutsideCycleLost", {16, 16 * 11, 16 * 13, 16 * 14}, 0, 0, 0, 0, 0, 3},
                             // De-energise, then the same pattern again: nothing moves.
                             MotionCase{"ReenergiseSamePattern", {1, 3, 0, 3}, 1, 0, 1, 0, 0, 0},
                             // De-energise, then a neighbour of the rotor's position: one turn from there.
                             MotionCase{"ReenergiseNeighbour", {1, 3, 0, 2}, 2, 0, 2, 0, 0, 0},
                             MotionCase{"ReenergiseBackwards", {1, 3, 0, 9}, -1, 0, 2, 0, 0, 0},
                             // Y off while X moves on: Y's rotor keeps its place.
                             MotionCase{"OneMotorOff", {17, 3, 2 + 16}, 2, 0, 2, 0, 0, 0}),
                         [](const ::testing::TestParamInfo<MotionCase>& row) { return row.param.name; });

TEST(VirtualMotors, StepSequenceFromStartUpPatternsMovesByStepLength)
{
    // The drive starts with coilsX = 1, coilsY = 16 and steps from there.
    VirtualPlotter plotter = makePlotter();
    plotter.write(Register::Data, 1 + 16);
    const std::uint8_t xRight[] = {3, 2, 6, 4};
    for (std::uint8_t x : xRight)
        plotter.write(Register::Data, x + 16);
    EXPECT_DOUBLE_EQ(plotter.xMillimetres(), 31);
    EXPECT_DOUBLE_EQ(plotter.yMillimetres(), 20);
}

TEST(VirtualMotors, SetStepLengthsRescalesTheCarriage)
{
    VirtualPlotter plotter = makePlotter();
    const long turns = plotter.xHalfSteps();
    plotter.setStepLengths(0.5, 0.2);
    EXPECT_EQ(plotter.xHalfSteps(), turns);
    EXPECT_DOUBLE_EQ(plotter.xMillimetres(), turns * 0.5);
    EXPECT_DOUBLE_EQ(plotter.yMillimetres(), plotter.yHalfSteps() * 0.2);
}

TEST(VirtualMotors, MeaninglessStepLengthStartsAtHome)
{
    VirtualPlotterConfig config;
    config.stepLengthXmm = 0;
    config.stepLengthYmm = -1;
    VirtualPlotter plotter(config);
    EXPECT_EQ(plotter.xHalfSteps(), 0);
    EXPECT_EQ(plotter.yHalfSteps(), 0);
}

} // namespace
} // namespace orlex
