// Coordinates as the test run reads them, whichever way the reader takes: short whole
// numbers eight bytes at a time, anything else character by character, and numbers that
// straddle the reader's 64 KiB blocks. Values are fixed here, not read by another parser.
#include "hpgl_rig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex {
namespace {

using test::Rig;

constexpr std::size_t kBlock = 64 * 1024;

struct Executed {
    double x, y;
    bool operator==(const Executed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Executed& p)
{
    return os << "(" << p.x << "," << p.y << ")";
}

// The points exactly as executed, before any rounding by the canvas.
struct PointRecorder : PlotSink {
    bool point(double x, double y, Pen) override
    {
        points.push_back({x, y});
        return true;
    }
    std::vector<Executed> points;
};

struct NumberCase {
    const char* name;
    std::string file;
    std::vector<Executed> points;
    std::uint64_t skipped = 0;
};

std::ostream& operator<<(std::ostream& os, const NumberCase& c)
{
    return os << c.name;
}

class NumberReading : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberReading, GivesTheseValues)
{
    const NumberCase& c = GetParam();
    Rig rig;
    PointRecorder recorder;
    const RunResult result = rig.run(rig.dir.write("plot.plt", c.file), RunMode::Test, &recorder);
    EXPECT_EQ(recorder.points, c.points);
    EXPECT_EQ(result.skippedPairs, c.skipped);
}

// "IN;" then digits the scanner passes over, up to the end of the first block: the short
// second block of `tail` lies in a buffer whose bytes after it are still those digits.
std::string afterDigitFilledBlock(const std::string& tail)
{
    return "IN;" + std::string(kBlock - 3, '9') + tail;
}

INSTANTIATE_TEST_SUITE_P(
    Files, NumberReading,
    ::testing::Values(
        NumberCase{"OneToSevenDigits",
                   "PA1,-22;PD333,4444,-55555,666666,1234567,-7654321;",
                   {{1, -22}, {333, 4444}, {-55555, 666666}, {1234567, -7654321}}},
        NumberCase{"EightDigitsAndMore",
                   "PA12345678,-87654321,123456789012345,-9;",
                   {{12345678, -87654321}, {123456789012345.0, -9}}},
        NumberCase{"LeadingZeros", "PA0000007,-0000000,000000000000000000000042,8;", {{7, 0}, {42, 8}}},
        NumberCase{"Decimals", "PA1.5,-2.25,.5,7.,0.125,-.75;", {{1.5, -2.25}, {0.5, 7}, {0.125, -0.75}}},
        NumberCase{"PlusSignsSeparate", "PA+7,+8,9+10;", {{7, 8}, {9, 10}}},
        NumberCase{"MisplacedSignsAndPoints", "PA7-,8,--1,2,1.2.3,4,5,-;PA9,10;", {{9, 10}}, 4},
        NumberCase{"SeparatorsOfAnyKind", "PA1 ,\t2\r\n3\r\n,4;PD5 6 ,7,\r\n8;", {{1, 2}, {3, 4}, {5, 6}, {7, 8}}},
        NumberCase{
            "CrLfBetweenPairsAndCommands", "PD10,20\r\n30,40\r\nPU;\r\nPR-5,5\r\n;", {{10, 20}, {30, 40}, {25, 45}}},
        NumberCase{"RelativeShortNumbers", "PA100,100;PR-1,2,30,-40;", {{100, 100}, {99, 102}, {129, 62}}},
        NumberCase{"LetterEndsY", "PD10,20PU30,40;", {{10, 20}, {30, 40}}},
        NumberCase{"FileEndsRightAfterY", "PA12,34", {{12, 34}}},
        NumberCase{"FileEndsAfterSevenDigits", "PA1234567,-1234567", {{1234567, -1234567}}},
        NumberCase{"StaleDigitsAfterTheLastBlock", afterDigitFilledBlock("PA5,6"), {{5, 6}}},
        NumberCase{"StaleDigitsAfterNegativeY", afterDigitFilledBlock("PA5,-6"), {{5, -6}}}),
    [](const ::testing::TestParamInfo<NumberCase>& row) { return std::string(row.param.name); });

// A pair and a relative pair placed so that the block boundary falls at every character
// of them in turn: inside X, on the separator, inside Y, on the characters after it.
class BlockBoundary : public ::testing::TestWithParam<int> {};

TEST_P(BlockBoundary, SplitsNoNumber)
{
    const std::string pairs = "1234567,-7654321;PR-5,5\r\n,12.5,-3;";
    const std::size_t before = kBlock - static_cast<std::size_t>(GetParam());
    Rig rig;
    PointRecorder recorder;
    const RunResult result =
        rig.run(rig.dir.write("plot.plt", "PA" + std::string(before - 2, ' ') + pairs), RunMode::Test, &recorder);
    const std::vector<Executed> expected{{1234567, -7654321}, {1234562, -7654316}, {1234574.5, -7654319}};
    EXPECT_EQ(recorder.points, expected);
    EXPECT_EQ(result.skippedPairs, 0u);
}

INSTANTIATE_TEST_SUITE_P(EveryCharacter, BlockBoundary, ::testing::Range(0, 36));

// The command-line tool's canvas draws nothing: the preview pen still ends at the last
// point, rounded, as if every line had been drawn.
TEST(NullCanvasPreview, PenEndsAtTheLastPoint)
{
    Rig rig;
    NullCanvas canvas;
    rig.preview.setCanvas(canvas);
    rig.preview.lastX = 3;
    rig.preview.lastY = 4;
    rig.test("IN;");
    EXPECT_EQ(rig.preview.lastX, 3);
    EXPECT_EQ(rig.preview.lastY, 4);

    const RunResult result = rig.test("PA100,200;PD2.5,-3.5;");
    EXPECT_EQ(result.points, 2u);
    EXPECT_EQ(rig.preview.lastX, 2);
    EXPECT_EQ(rig.preview.lastY, -4);
}

} // namespace
} // namespace orlex
