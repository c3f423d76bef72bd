// The parts of the full HP-GL reading on their own: the tokenizer, the hatching's limits,
// the three-point circle, the rotations, user dash patterns, the notes and the plain
// HPGL writer.
#include "full_hpgl_test_support.h"
#include "hpgl/full/command_scanner.h"
#include "hpgl/full/curves.h"
#include "hpgl/full/hatch_fill.h"
#include "hpgl/full/line_type.h"
#include "hpgl/full/plain_hpgl_writer.h"
#include "hpgl/full/plot_state.h"
#include "hpgl/full/read_outcome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace orlex::test {
namespace {

using namespace fullhpgl;
using Point = fullhpgl::Point;

// Each command of a file as "XY:n,n,..;", bad numbers as "?".
std::string tokens(const std::string& content)
{
    TempDir dir;
    const std::string path = dir.write("plot.plt", content);
    CommandScanner scanner(std::fopen(path.c_str(), "rb"), content.size());
    std::ostringstream out;
    out.precision(15);
    char a = 0, b = 0;
    while (scanner.nextMnemonic(a, b)) {
        out << a << b << ':';
        for (;;) {
            double v = 0;
            const CommandScanner::Param p = scanner.nextNumber(v);
            if (p == CommandScanner::Param::None)
                break;
            if (p == CommandScanner::Param::Bad)
                out << "?,";
            else
                out << v << ',';
        }
        out << ';';
    }
    return out.str();
}

TEST(CommandScanner, ReadsNumbersAsHpglWritesThem)
{
    EXPECT_EQ(tokens("PA+5,-.5 ,5.,1.2.3;pd12345678901234567890"), "PA:5,-0.5,5,1.2,0.3,;PD:1.23456789012346e+19,;");
    EXPECT_EQ(tokens("PU1-2PD- ,.;X9;IN"), "PU:1,-2,;PD:?,?,;IN:;");
    EXPECT_EQ(tokens("PA" + std::string(CommandScanner::kMaxNumberLength + 1, '1') + ",7"), "PA:?,7,;");
    EXPECT_EQ(tokens("\x1b.I81;;17:\x1b*c100XSP3"), "SP:3,;");
    // Whole numbers of one to seven digits are read eight bytes at a time; the rest not.
    EXPECT_EQ(tokens("PA1,-12,123 1234;12345,123456\n1234567,12345678,1234567.5,-7PU"), "PA:1,-12,123,1234,;PU:;");
    EXPECT_EQ(tokens("PA12345,123456\n1234567,12345678,1234567.5,-7PU"),
              "PA:12345,123456,1234567,12345678,1234567.5,-7,;PU:;");
}

TEST(CommandScanner, ReadsNumbersAcrossBlocks)
{
    // Numbers of every length end exactly at, or straddle, the end of the first block.
    for (std::size_t pad = 0; pad < 12; ++pad) {
        const std::string head = "PA" + std::string(CommandScanner::kBlockSize - 8 + pad, ',');
        EXPECT_EQ(tokens(head + "-1234567.25,99;"), "PA:-1234567.25,99,;") << pad;
    }
}

TEST(HatchFill, RefusesPastItsLinesOrItsWork)
{
    const Polygon square{rectangleRing({0, 0}, {1000, 1000})};
    const auto ignore = [](Point, Point) { return true; };
    std::uint64_t work = 1'000'000;
    // Lines at y = 0, 10, ... 1000: 101 of them, each crossing-tested against 4 edges.
    EXPECT_EQ(hatchPolygon(square, {10, 0}, 100, work, ignore), HatchEnd::TooManyLines);
    EXPECT_EQ(hatchPolygon(square, {10, 0}, 101, work, ignore), HatchEnd::Done);
    EXPECT_EQ(work, 1'000'000u - 101 * 4);
    work = 403;
    EXPECT_EQ(hatchPolygon(square, {10, 0}, 101, work, ignore), HatchEnd::TooMuchWork);
    EXPECT_EQ(work, 403u);
    // So far out that the next line's number equals this one's in a double: still one line.
    work = 1000;
    EXPECT_EQ(hatchPolygon({rectangleRing({0, 1e18}, {1000, 1e18})}, {10, 0}, 101, work, ignore), HatchEnd::Done);
}

TEST(Curves, CircleThroughThreePoints)
{
    const std::optional<Point> c = circleCentre({0, 0}, {100, 100}, {200, 0});
    ASSERT_TRUE(c);
    EXPECT_NEAR(c->x, 100, 1e-9);
    EXPECT_NEAR(c->y, 0, 1e-9);
    EXPECT_NEAR(sweepThrough(*c, {0, 0}, {100, 100}, {200, 0}), -180, 1e-9);
    EXPECT_NEAR(sweepThrough(*c, {0, 0}, {100, -100}, {200, 0}), 180, 1e-9);
    EXPECT_NEAR(sweepThrough(*c, {0, 0}, {200, 0}, {100, 100}), 270, 1e-9);
    EXPECT_FALSE(circleCentre({0, 0}, {1, 1}, {3, 3}));
    EXPECT_EQ(chordCount(360, 5), 72u);
    EXPECT_EQ(chordCount(-100, 45), 3u);
    EXPECT_EQ(chordCount(0, 5), 1u);
}

TEST(PlotState, EveryRotationTurnsBackExactly)
{
    PlotState state(11880, 8400);
    for (int degrees : {0, 90, 180, 270}) {
        state.setRotation(degrees);
        const Point back = state.fromPhysical(state.toPhysical({123, 456}));
        EXPECT_EQ(back.x, 123) << degrees;
        EXPECT_EQ(back.y, 456) << degrees;
    }
    EXPECT_FALSE(state.setScale({ScaleKind::Anisotropic, 0, 1, 5, 5}));
    EXPECT_FALSE(state.setInputPoints({1, 1}, {2, 1}));
}

TEST(DashPatterns, UserPatternsAreFractionsEndingWithAGap)
{
    DashPatterns patterns;
    EXPECT_TRUE(patterns.define(3, {1, 3, 4}));
    EXPECT_EQ(patterns[3], (DashPattern{0.125, 0.375, 0.5, 0}));
    EXPECT_FALSE(patterns.define(3, {1, -1}));
    EXPECT_FALSE(patterns.define(3, {0, 0}));
    EXPECT_EQ(patterns[3], (DashPattern{0.125, 0.375, 0.5, 0}));
    patterns.reset(3);
    EXPECT_EQ(patterns[3], (DashPattern{0.7, 0.3}));
}

TEST(ReadOutcome, KeepsTheFirstRefusalAndNamesAFewMnemonics)
{
    ReadOutcome outcome;
    outcome.command[0] = 'C';
    outcome.command[1] = 'I';
    outcome.commandOffset = 42;
    outcome.refuse("first", true);
    outcome.refuse("second", false);
    ASSERT_TRUE(outcome.refusal);
    EXPECT_EQ(outcome.refusal->message, "first (CI at byte 42)");
    EXPECT_EQ(outcome.refusal->kind, Error::Kind::TooBig);
    for (const char* m : {"AB", "CD", "EF", "GH", "IJ", "KL", "MN", "AB"})
        outcome.note(NoteKind::Unknown, m);
    EXPECT_EQ(outcome.noteSentences(), std::vector<std::string>{"8 AB/CD/EF/GH/IJ/KL unknown commands were skipped"});
}

TEST(PlainHpglWriter, WritesWholeUnitsInPenRuns)
{
    std::ostringstream out;
    PlainHpglWriter writer(out);
    writer.point(1.4, 2.6, Pen::Up);
    writer.point(3, 4, Pen::Down);
    writer.point(5.5, 6.5, Pen::Down); // half to even
    writer.selectPen('2');
    writer.point(-0.5, 0, Pen::Up);
    writer.finish();
    EXPECT_EQ(out.str(), "PA;PU1,3;\nPD3,4,6,6;\nSP2;\nPU0,0;\n");
}

TEST_F(FullReading, ToldOfEachBlockRead)
{
    std::vector<std::uint64_t> told;
    options.onBlockRead = [&](std::uint64_t bytes, std::uint64_t size) {
        EXPECT_EQ(size, 200'000u);
        told.push_back(bytes);
    };
    read(std::string(200'000, ';'));
    ASSERT_FALSE(told.empty());
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_EQ(told.back(), 200'000u);
}

} // namespace
} // namespace orlex::test
