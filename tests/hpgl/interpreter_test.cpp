// The interpreter's grammar in test mode: points with pen states, beeps, caption, extents
// and skipped pairs for a table of small plot files.
#include "hpgl_rig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex {
namespace {

using test::Point;
using test::Rig;

constexpr bool U = false; // pen up
constexpr bool D = true;  // pen down

struct Extents {
    std::int16_t minX, minY, maxX, maxY;
};

struct Case {
    const char* name;
    std::string file;
    std::vector<Point> points;
    int beeps = 0;
    bool caption = false;
    Extents extents = {0, 0, 0, 0};
    std::uint64_t skipped = 0;
};

std::ostream& operator<<(std::ostream& os, const Case& c)
{
    return os << c.name;
}

class Interpreter : public ::testing::TestWithParam<Case> {};

TEST_P(Interpreter, TestRun)
{
    const Case& c = GetParam();
    Rig rig;
    const RunResult result = rig.test(c.file);

    EXPECT_FALSE(result.openError);
    EXPECT_EQ(rig.points(), c.points);
    EXPECT_EQ(result.points, c.points.size());
    EXPECT_EQ(result.beeps, c.beeps);
    EXPECT_EQ(result.endOfFileCaption, c.caption);
    EXPECT_EQ(result.minX, c.extents.minX);
    EXPECT_EQ(result.minY, c.extents.minY);
    EXPECT_EQ(result.maxX, c.extents.maxX);
    EXPECT_EQ(result.maxY, c.extents.maxY);
    EXPECT_EQ(result.skippedPairs, c.skipped);
    EXPECT_FALSE(result.outOfRange);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Interpreter,
    ::testing::Values(
        Case{"UpThenTwoDownSegments",
             "PU;PA100,200;PD300,200,300,400;PU;",
             {{100, 200, U}, {300, 200, D}, {300, 400, D}},
             0,
             false,
             {0, 0, 300, 400}},
        Case{"BlanksAroundComma", "PA 100 , 200;", {{100, 200, U}}, 0, false, {0, 0, 100, 200}},
        Case{"CommaOnly", "PA100,200;", {{100, 200, U}}, 0, false, {0, 0, 100, 200}},
        Case{"BlankOnly", "PA100 200;", {{100, 200, U}}, 0, false, {0, 0, 100, 200}},
        Case{"PlusIgnored", "PA+100,+200;", {{100, 200, U}}, 0, false, {0, 0, 100, 200}},
        Case{"Negative", "PA-50,-60;", {{-50, -60, U}}, 0, false, {-50, -60, 0, 0}},
        Case{"LineEndsAreSeparators", "PD 1 , 2 ,\r\n 3 ; 4 ;\r\n", {{1, 2, D}, {3, 4, D}}, 0, false, {0, 0, 3, 4}},
        Case{"LowerCaseIsPassedOver", "pu100,100;", {}, 1},
        Case{"OtherMnemonicsPassOver", "IN;CI100;VS10;IP0,0,10,10;PA5,6;", {{5, 6, U}}, 0, false, {0, 0, 5, 6}},
        Case{"SpConsumesPenNumber", "SP1;PD10,10;", {{10, 10, D}}, 0, false, {0, 0, 10, 10}},
        Case{"SpConsumesSemicolon", "SP;PD10,10;", {{10, 10, D}}, 0, false, {0, 0, 10, 10}},
        // The D after SP is its pen number, so no PD is seen and the digits pass over.
        Case{"SpHidesFollowingLetter", "SPD10,10;", {}, 1},
        Case{"PenUpHiddenInLabel", "PD;LBPUMP\x03;PA10,10;", {{10, 10, U}}, 0, false, {0, 0, 10, 10}},
        Case{"OverlappingPairs", "PPD10,10;", {{10, 10, D}}, 0, false, {0, 0, 10, 10}},
        Case{"Relative", "PA0,0;PR10,10,10,10;", {{0, 0, U}, {10, 10, U}, {20, 20, U}}, 0, false, {0, 0, 20, 20}},
        Case{"RelativeThenAbsolute",
             "PR10,10;PR-30,5;PA5,5;",
             {{10, 10, U}, {-20, 15, U}, {5, 5, U}},
             0,
             false,
             {-20, 0, 10, 15}},
        Case{"ExtentsExample", "PU120,200;PD-400,200;", {{120, 200, U}, {-400, 200, D}}, 0, false, {-400, 0, 120, 200}},
        // Extents round -3.5 to -4; the canvas rounds 4695 + 3.5 twips to the even 4698.
        Case{"ExtentsRoundHalfToEven", "PA2.5,-3.5;", {{2, -3, U}}, 0, false, {0, -4, 2, 0}},
        Case{"LetterRightAfterY", "PD10,20PU30,40;", {{10, 20, D}, {30, 40, U}}, 0, false, {0, 0, 30, 40}},
        Case{"EmptyFile", "", {}, 1}, Case{"NoMnemonic", "IN;", {}, 1}, Case{"EndsInsideX", "PU;PD100", {}, 2, true},
        Case{"EndsInsideXOfSecondPair", "PD1,2,100", {{1, 2, D}}, 2, true, {0, 0, 1, 2}},
        Case{"EndsAfterXSeparator", "PA10,", {}, 0},
        Case{"EndsAfterLetter", "PA10,20;P", {{10, 20, U}}, 0, false, {0, 0, 10, 20}},
        Case{"LastPairRunsIntoEnd", "PD100,200", {{100, 200, D}}, 0, false, {0, 0, 100, 200}},
        Case{"LastPairRunsIntoEndAfterBlank", "PA 100 , 200", {{100, 200, U}}, 0, false, {0, 0, 100, 200}},
        Case{"EndsAfterSp", "PD10,10;SP", {{10, 10, D}}, 1, false, {0, 0, 10, 10}}, Case{"OnlySp", "SP", {}, 1},
        Case{"XWithoutYBeforeLetter", "PD;PA10;PU20,30;", {{20, 30, U}}, 0, false, {0, 0, 20, 30}, 1},
        // The letter that ends X is discarded, so "U" starts where Y should: skipped.
        Case{"XEndedByLetter", "PA10PU20,30;", {}, 1, false, {0, 0, 0, 0}, 1},
        Case{"InvalidNumbersSkipped", "PD1-2,5;PA1.2.3,4;PA-,.;PA7,8;", {{7, 8, D}}, 0, false, {0, 0, 7, 8}, 3},
        Case{"SkippedPairDoesNotMoveRelative",
             "PR5,5,1--,1,5,5;",
             {{5, 5, U}, {10, 10, U}},
             0,
             false,
             {0, 0, 10, 10},
             1},
        Case{
            "TooLongNumberSkipped", "PA" + std::string(100, '1') + ",5;PA1,2;", {{1, 2, U}}, 0, false, {0, 0, 1, 2}, 1},
        Case{"LongestNumberAccepted", "PA" + std::string(60, '0') + "7,8;", {{7, 8, U}}, 0, false, {0, 0, 7, 8}}),
    [](const ::testing::TestParamInfo<Case>& row) { return std::string(row.param.name); });

TEST(InterpreterSkips, MessageNamesCountOffsetAndTextOfTheFirst)
{
    Rig rig;
    const RunResult result = rig.test("IN;PA1-2,5;PA1.2.3,4;PD10;PU;");
    EXPECT_EQ(result.skippedPairs, 3u);
    ASSERT_TRUE(result.firstSkipped);
    EXPECT_EQ(result.firstSkipped->offset, 5u);
    EXPECT_EQ(result.firstSkipped->text, "1-2,5");
    EXPECT_EQ(result.skippedMessage(),
              "3 coordinate pairs were skipped because they are not valid numbers; the first, at "
              "byte 5, was \"1-2,5\".");
}

TEST(InterpreterSkips, OneSkippedPairAndNone)
{
    Rig rig;
    EXPECT_EQ(rig.test("PA10,20;").skippedMessage(), "");
    const RunResult result = rig.test("PA10;PU");
    EXPECT_EQ(result.skippedPairs, 1u);
    EXPECT_EQ(result.skippedMessage(),
              "1 coordinate pair was skipped because its values are not valid numbers; it was at "
              "byte 2: \"10\".");
}

TEST(InterpreterSkips, TooLongTextIsShownCut)
{
    Rig rig;
    const RunResult result = rig.test("PA" + std::string(1000, '9') + ",1;");
    ASSERT_TRUE(result.firstSkipped);
    EXPECT_EQ(result.firstSkipped->text, std::string(64, '9') + "...,1");
}

TEST(InterpreterModes, HiddenPenUpMovesDrawNothing)
{
    Rig rig;
    rig.preview.penUpColour = kHidden;
    rig.test("PU100,200;PD300,200;PU0,0;");
    ASSERT_EQ(rig.canvas.lines.size(), 1u);
    const long h = rig.canvas.heightUnits();
    EXPECT_EQ(rig.canvas.lines[0], (test::RecordedLine{100, h - 200, 300, h - 200, kBlack}));
    EXPECT_EQ(rig.preview.lastX, 0);
}

TEST(InterpreterModes, EveryRunStartsWithPenUpAbsoluteAtOrigin)
{
    Rig rig;
    rig.test("PD;PR10,10;");
    const RunResult second = rig.test("PA5,5;");
    EXPECT_EQ(rig.points().back(), (Point{5, 5, U}));
    EXPECT_EQ(second.maxX, 5);
}

TEST(InterpreterModes, TheRunEndsWithThePenStateTheFileLeft)
{
    // The last "PU" has no pair: nothing moves and the drawn segments stay pen-down.
    Rig rig;
    rig.test("PU;PA100,200;PD300,200,300,400;PU;");
    EXPECT_EQ(rig.canvas.lines.back().colour, kBlack);
}

} // namespace
} // namespace orlex
