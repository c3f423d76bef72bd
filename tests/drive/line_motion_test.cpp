// lineTo against a scripted port: pen write, waits, and the exact coil bytes of a line.
#include "drive_rig.h"
#include "scripted_port.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace orlex::test {
namespace {

// The coil tables as the wiring defines them, walked independently of the drive: X runs
// forwards for a positive direction, Y backwards.
const std::vector<int> kHalf{1, 3, 2, 6, 4, 12, 8, 9};
const std::vector<int> kFull{1, 2, 4, 8};

struct Walker {
    bool half = true;
    int phaseX = 1, phaseY = 1; // 1-based, as in the drive state
    int dirX = 1, dirY = 1;

    int pattern(int& phase, int step) const
    {
        const int n = half ? 8 : 4;
        phase = ((phase - 1 + step) % n + n) % n + 1;
        return (half ? kHalf : kFull)[phase - 1];
    }

    // Bytes for outputs written as "X", "Y" or "XY", separated by blanks.
    std::vector<std::uint8_t> bytes(const std::string& outputs)
    {
        std::vector<std::uint8_t> result;
        int bitsX = (half ? kHalf : kFull)[phaseX - 1];
        int bitsY = 16 * (half ? kHalf : kFull)[phaseY - 1];
        std::size_t i = 0;
        while (i < outputs.size()) {
            const std::size_t end = std::min(outputs.find(' ', i), outputs.size());
            const std::string output = outputs.substr(i, end - i);
            if (output.find('X') != std::string::npos)
                bitsX = pattern(phaseX, dirX);
            if (output.find('Y') != std::string::npos)
                bitsY = 16 * pattern(phaseY, -dirY);
            result.push_back(static_cast<std::uint8_t>(bitsX + bitsY));
            i = end + 1;
        }
        return result;
    }
};

std::string repeat(const std::string& output, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i)
        s += (i ? " " : "") + output;
    return s;
}

// Clock toggling at every read: each waitClockCycles(n) reads the status 2n times.
struct LineRig {
    ScriptedPort port{{}, {255, 0}};
    DriveRig rig{port};
    Drive& d = *rig.drive;
};

struct LineCase {
    std::string name;
    double x, y; // plotter units; Lstep 50 half step is 10 units per step
    std::string outputs;
};

class LineBytes : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineBytes, WritesThePenThenTheExpectedCoilBytes)
{
    const LineCase& c = GetParam();
    LineRig r;
    const MoveResult result = r.d.lineTo(pointSteps(c.x, c.y, r.d.scaleAt(100)), Pen::Down);
    ASSERT_TRUE(result.ok()) << result.reason;
    EXPECT_EQ(r.port.controlWrites(), (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(r.port.writes.front(), (PortWrite{Register::Control, 0})); // the pen leaves first
    Walker w;
    w.dirX = c.x < 0 ? -1 : 1;
    w.dirY = c.y < 0 ? -1 : 1;
    const auto expected = w.bytes(c.outputs);
    EXPECT_EQ(r.port.dataWrites(), expected);
    // 4 cycles for the pen, then 2 per output.
    EXPECT_EQ(r.port.statusReads, 2 * (4 + 2 * static_cast<long>(expected.size())));
    EXPECT_EQ(r.d.state.positionX, c.x / 10);
    EXPECT_EQ(r.d.state.positionY, c.y / 10);
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, LineBytes,
                         ::testing::Values(
                             // X leads 4/3: Y on X steps 1, 3 and 4 (after step 2 the fraction is exactly 0.5).
                             LineCase{"FourByThree", 40, 30, "XY X XY XY"}, LineCase{"TwoByOne", 20, 10, "X XY"},
                             LineCase{"ThreeByThree", 30, 30, "XY XY XY"},
                             // Y leads 1/3: the X step comes with the second Y step.
                             LineCase{"OneByThree", 10, 30, "Y XY Y"}, LineCase{"XOnly", 50, 0, "X X X X X"},
                             LineCase{"YOnly", 0, 30, "Y Y Y"}, LineCase{"DownAndLeft", -40, -30, "XY X XY XY"},
                             LineCase{"LeftAndUp", -10, 30, "Y XY Y"}),
                         [](const auto& row) { return row.param.name; });

TEST(LineTo, FourByThreeAsLiteralBytes)
{
    LineRig r;
    r.d.lineTo(pointSteps(40, 30, r.d.scaleAt(100)), Pen::Up);
    // X 3, 2, 6, 4 with Y 144, 144, 128, 192.
    EXPECT_EQ(r.port.dataWrites(), (std::vector<std::uint8_t>{147, 146, 134, 196}));
    EXPECT_EQ(r.port.controlWrites(), (std::vector<std::uint8_t>{1}));
}

TEST(LineTo, MoveToTheCurrentPositionWritesThePenAndWaitsOnly)
{
    LineRig r;
    r.d.state.directionX = 1;
    r.d.state.directionY = -1;
    const MoveResult result = r.d.lineTo(pointSteps(0, 0, r.d.scaleAt(100)), Pen::Up);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(r.port.writes, (std::vector<PortWrite>{{Register::Control, 1}}));
    EXPECT_EQ(r.port.statusReads, 8); // four cycles
    EXPECT_EQ(r.d.state.directionX, 0);
    EXPECT_EQ(r.d.state.directionY, 0);
}

TEST(LineTo, HalfStepTakesTwiceTheStepsOfFullStep)
{
    LineRig half;
    half.d.lineTo(pointSteps(400, 200, half.d.scaleAt(100)), Pen::Down);
    LineRig full;
    full.rig.half = false;
    full.d.lineTo(pointSteps(400, 200, full.d.scaleAt(100)), Pen::Down);
    EXPECT_EQ(half.port.dataWrites().size(), 40u);
    EXPECT_EQ(full.port.dataWrites().size(), 20u);
    Walker w;
    w.half = false;
    EXPECT_EQ(full.port.dataWrites(), w.bytes(repeat("X XY", 10)));
}

TEST(LineTo, Zoom200WithStepLength10FullStepGives200XSteps)
{
    LineRig r;
    r.rig.settings.stepLengthX = 10;
    r.rig.half = false;
    r.d.lineTo(pointSteps(400, 0, r.d.scaleAt(200)), Pen::Up);
    Walker w;
    w.half = false;
    EXPECT_EQ(r.port.dataWrites(), w.bytes(repeat("X", 200)));
    EXPECT_EQ(r.d.state.positionX, 200);
}

TEST(LineTo, TargetLeftOfThePositionStepsLeft)
{
    LineRig r;
    r.d.lineTo(pointSteps(50, 0, r.d.scaleAt(100)), Pen::Up);
    r.port.writes.clear();
    r.d.lineTo(pointSteps(20, 0, r.d.scaleAt(100)), Pen::Up);
    EXPECT_EQ(r.d.state.directionX, -1);
    EXPECT_EQ(r.d.state.directionY, 0);
    EXPECT_EQ(r.d.state.positionX, 2);
    // From phase 6 (pattern 12) back to 5, 4, 3.
    EXPECT_EQ(r.port.dataWrites(), (std::vector<std::uint8_t>{4 + 16, 6 + 16, 2 + 16}));
}

TEST(LineTo, TheStepModeOfTheMoveConvertsTheTarget)
{
    LineRig r;
    r.rig.half = false;
    r.d.lineTo(pointSteps(100, 0, r.d.scaleAt(100)), Pen::Up); // 5 full steps
    r.rig.half = true;
    r.d.lineTo(pointSteps(100, 0, r.d.scaleAt(100)), Pen::Up); // the same target is 10 half steps: 5 more
    EXPECT_EQ(r.d.state.positionX, 10);
    EXPECT_EQ(r.port.dataWrites().size(), 10u);
}

TEST(LineTo, TheWidestMoveIs65535Steps)
{
    LineRig r;
    r.d.state.positionX = 32767;
    const MoveResult result = r.d.lineTo(pointSteps(-327680, 0, r.d.scaleAt(100)), Pen::Up);
    EXPECT_TRUE(result.ok()) << result.reason;
    EXPECT_EQ(r.port.dataWrites().size(), 65535u);
    EXPECT_EQ(r.d.state.positionX, -32768);
}

struct RefusedCase {
    std::string name;
    double x, y;
    double lstepx, lstepy;
    MoveRefusal refusal;
    std::string named;
};

class RefusedMove : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedMove, MovesNothingAndSaysWhy)
{
    const RefusedCase& c = GetParam();
    LineRig r;
    r.rig.settings.stepLengthX = c.lstepx;
    r.rig.settings.stepLengthY = c.lstepy;
    r.d.state.positionX = 3;
    r.d.state.directionX = 1;
    const MoveResult result = r.d.lineTo(pointSteps(c.x, c.y, r.d.scaleAt(100)), Pen::Down);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.refusal, c.refusal);
    EXPECT_NE(result.reason.find(c.named), std::string::npos) << result.reason;
    // Refused before anything reaches the port, not even the pen: a refused pen-down
    // point leaves no dab of ink. No state moves either.
    EXPECT_TRUE(r.port.writes.empty());
    EXPECT_EQ(r.d.state.positionX, 3);
    EXPECT_EQ(r.d.state.positionY, 0);
    EXPECT_EQ(r.d.state.directionX, 1);
    EXPECT_EQ(r.d.state.phaseX, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedMove,
    ::testing::Values(RefusedCase{"XOutOf16Bits", 400000, 10, 50, 50, MoveRefusal::OutOfRange, "400000"},
                      RefusedCase{"YOutOf16Bits", 10, -400000, 50, 50, MoveRefusal::OutOfRange, "-400000"},
                      RefusedCase{"StepLengthZero", 10, 10, 0, 50, MoveRefusal::ZeroStepLength, "Lstepx"},
                      RefusedCase{"CoordinateNaN", std::numeric_limits<double>::quiet_NaN(), 10, 50, 50,
                                  MoveRefusal::NotANumber, "nan"},
                      RefusedCase{"CoordinateInfinite", 10, std::numeric_limits<double>::infinity(), 50, 50,
                                  MoveRefusal::NotANumber, "inf"}),
    [](const auto& row) { return row.param.name; });

TEST(LineTo, StopRequestEndsTheMoveAfterTheCurrentStep)
{
    LineRig r;
    int dataWrites = 0;
    r.port.onWrite = [&](const PortWrite& w) {
        if (w.reg == Register::Data && ++dataWrites == 3)
            r.d.requestStop();
    };
    const MoveResult result = r.d.lineTo(pointSteps(100, 50, r.d.scaleAt(100)), Pen::Down);
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.refusal, MoveRefusal::None);
    EXPECT_EQ(r.port.dataWrites().size(), 3u);
    EXPECT_EQ(r.d.state.positionX, 3);
    // The stop ends the third step's wait at once, without another status read.
    EXPECT_EQ(r.port.statusReads, 2 * (4 + 2 * 2));
}

} // namespace
} // namespace orlex::test
