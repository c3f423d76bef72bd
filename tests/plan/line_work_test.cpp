// The line work, one table per step by tolerance: what joins and what does not, what is
// a retrace and what a parallel line 2 x MM away, what a pen change keeps apart, which
// points simplify away; golden pieces for the lines fills hide.
#include "plan/covered_lines.h"
#include "plan/line_dedupe.h"
#include "plan/line_work.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <sstream>
#include <string>

namespace orlex {

void PrintTo(const Position& p, std::ostream* os)
{
    *os << p.x << "," << p.y;
}

namespace {

using Points = std::vector<Position>;
// A group's pen ('\0' for the group before the first SP) and its strokes.
using Groups = std::vector<std::pair<char, std::vector<Points>>>;

std::vector<StrokeGroup> groupsOf(const Groups& in)
{
    std::vector<StrokeGroup> out;
    for (const auto& [pen, strokes] : in) {
        StrokeGroup& g = out.emplace_back();
        if (pen != '\0')
            g.pen = pen;
        for (const Points& s : strokes)
            g.strokes.push_back(Stroke{s});
    }
    return out;
}

Groups plain(const std::vector<StrokeGroup>& groups)
{
    Groups out;
    for (const StrokeGroup& g : groups) {
        auto& [pen, strokes] = out.emplace_back(g.pen.value_or('\0'), std::vector<Points>{});
        for (const Stroke& s : g.strokes)
            strokes.push_back(s.points);
    }
    return out;
}

struct LineCase {
    const char* name;
    double toleranceMm; // 0.05 mm is 2 plotter units
    Groups in;
    Groups expected;
    std::uint64_t count = 0; // joins, segments dropped, points removed
    bool reverse = true;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string caseName(const ::testing::TestParamInfo<LineCase>& info)
{
    return info.param.name;
}

// One step of the line work, chosen by the test suite's name, over a case of the table.
class LineStepTable : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineStepTable, ChangesWhatTheToleranceSays)
{
    const std::string suite = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
    LineWorkOptions options;
    options.allowReverse = GetParam().reverse;
    (suite.starts_with("Merge")    ? options.mergeMm
     : suite.starts_with("Dedupe") ? options.dedupeMm
                                   : options.simplifyMm) = GetParam().toleranceMm;
    std::vector<StrokeGroup> groups = groupsOf(GetParam().in);
    const std::vector<LineStepChange> changes = applyLineWork(groups, options);
    EXPECT_EQ(plain(groups), GetParam().expected);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].count, GetParam().count);
}

const Points kLine{{0, 0}, {400, 0}}; // 10 mm
const Points kSquare{{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}};

INSTANTIATE_TEST_SUITE_P(Merge, LineStepTable,
                         ::testing::Values(LineCase{"EndsMeet",
                                                    0.05,
                                                    {{'1', {kLine, {{400, 0}, {400, 400}}}}},
                                                    {{'1', {{{0, 0}, {400, 0}, {400, 400}}}}},
                                                    1},
                                           LineCase{"EndsWithinTolerance",
                                                    0.05,
                                                    {{'1', {kLine, {{401, 1}, {400, 400}}}}},
                                                    {{'1', {{{0, 0}, {400, 0}, {401, 1}, {400, 400}}}}},
                                                    1},
                                           LineCase{"EndsTwiceTheToleranceApart",
                                                    0.05,
                                                    {{'1', {kLine, {{404, 0}, {400, 400}}}}},
                                                    {{'1', {kLine, {{404, 0}, {400, 400}}}}},
                                                    0},
                                           LineCase{"LargerTolerance",
                                                    0.1,
                                                    {{'1', {kLine, {{404, 0}, {400, 400}}}}},
                                                    {{'1', {{{0, 0}, {400, 0}, {404, 0}, {400, 400}}}}},
                                                    1},
                                           LineCase{"ReversedToJoin",
                                                    0.05,
                                                    {{'1', {kLine, {{400, 400}, {400, 0}}}}},
                                                    {{'1', {{{0, 0}, {400, 0}, {400, 400}}}}},
                                                    1},
                                           LineCase{"NoReverse",
                                                    0.05,
                                                    {{'1', {kLine, {{400, 400}, {400, 0}}}}},
                                                    {{'1', {kLine, {{400, 400}, {400, 0}}}}},
                                                    0,
                                                    false},
                                           LineCase{"GrowsAtItsStart",
                                                    0.05,
                                                    {{'1', {{{400, 0}, {800, 0}}, kLine}}},
                                                    {{'1', {{{0, 0}, {400, 0}, {800, 0}}}}},
                                                    1},
                                           LineCase{"NearestEndWins",
                                                    0.05,
                                                    {{'1', {kLine, {{401, 0}, {401, 300}}, {{400, 0}, {0, 300}}}}},
                                                    {{'1', {{{0, 0}, {400, 0}, {0, 300}}, {{401, 0}, {401, 300}}}}},
                                                    1},
                                           LineCase{"PenChangeBetween",
                                                    0.05,
                                                    {{'1', {kLine}}, {'2', {{{400, 0}, {400, 400}}}}},
                                                    {{'1', {kLine}}, {'2', {{{400, 0}, {400, 400}}}}},
                                                    0},
                                           LineCase{"SamePenSelectedAgain",
                                                    0.05,
                                                    {{'1', {kLine}}, {'1', {{{400, 0}, {400, 400}}}}},
                                                    {{'1', {kLine}}, {'1', {{{400, 0}, {400, 400}}}}},
                                                    0},
                                           LineCase{"ExactOnly",
                                                    0,
                                                    {{'1', {kLine, {{400, 0}, {0, 9}}, {{401, 0}, {9, 9}}}}},
                                                    {{'1', {{{0, 0}, {400, 0}, {0, 9}}, {{401, 0}, {9, 9}}}}},
                                                    1}),
                         caseName);

INSTANTIATE_TEST_SUITE_P(
    Dedupe, LineStepTable,
    ::testing::Values(
        LineCase{"ExactRetrace", 0.05, {{'1', {kLine, kLine}}}, {{'1', {kLine}}}, 1},
        LineCase{"ReversedRetrace", 0.05, {{'1', {kLine, {{400, 0}, {0, 0}}}}}, {{'1', {kLine}}}, 1},
        LineCase{"ParallelWithinTolerance", 0.05, {{'1', {kLine, {{0, 1.5}, {400, 1.5}}}}}, {{'1', {kLine}}}, 1},
        LineCase{"ParallelTwiceTheToleranceAway",
                 0.05,
                 {{'1', {kLine, {{0, 4}, {400, 4}}}}},
                 {{'1', {kLine, {{0, 4}, {400, 4}}}}},
                 0},
        LineCase{"ParallelWithLargerTolerance", 0.1, {{'1', {kLine, {{0, 4}, {400, 4}}}}}, {{'1', {kLine}}}, 1},
        LineCase{"OverlapKeepsTheRest",
                 0.05,
                 {{'1', {kLine, {{200, 0}, {600, 0}}}}},
                 {{'1', {kLine, {{402, 0}, {600, 0}}}}},
                 1},
        LineCase{"RetraceInTheMiddle",
                 0.05,
                 {{'1', {kLine, {{0, 100}, {0, 0}, {400, 0}, {400, 100}}}}},
                 {{'1', {kLine, {{0, 100}, {0, 2}}, {{400, 2}, {400, 100}}}}},
                 3},
        LineCase{"CrossingStays",
                 0.05,
                 {{'1', {kLine, {{200, -200}, {200, 200}}}}},
                 {{'1', {kLine, {{200, -200}, {200, 200}}}}},
                 0},
        LineCase{"LineEndingOnAnotherStays",
                 0.05,
                 {{'1', {kLine, {{200, 100}, {200, 0}}}}},
                 {{'1', {kLine, {{200, 100}, {200, 0}}}}},
                 0},
        LineCase{"FoldedBackInOneStroke",
                 0.05,
                 {{'1', {{{0, 0}, {400, 0}, {0, 0}}}}},
                 {{'1', {{{0, 0}, {400, 0}, {388, 0}}}}},
                 1},
        LineCase{"FinelyDividedLineIsNoRetrace",
                 0.05,
                 {{'1', {{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 0}}}}},
                 {{'1', {{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 0}}}}},
                 0},
        LineCase{"PenChangeBetween", 0.05, {{'1', {kLine}}, {'2', {kLine}}}, {{'1', {kLine}}, {'2', {kLine}}}, 0},
        LineCase{"SamePenSelectedAgain",
                 0.05,
                 {{'\0', {kLine}}, {'2', {kLine}}, {'1', {kLine}}},
                 {{'\0', {kLine}}, {'2', {kLine}}, {'1', {}}},
                 1}),
    caseName);

INSTANTIATE_TEST_SUITE_P(
    Simplify, LineStepTable,
    ::testing::Values(
        LineCase{"CollinearPoints", 0.05, {{'1', {{{0, 0}, {100, 0}, {400, 0}}}}}, {{'1', {kLine}}}, 1},
        LineCase{"BumpWithinTolerance", 0.05, {{'1', {{{0, 0}, {200, 1.9}, {400, 0}}}}}, {{'1', {kLine}}}, 1},
        LineCase{"BumpTwiceTheTolerance",
                 0.05,
                 {{'1', {{{0, 0}, {200, 4}, {400, 0}}}}},
                 {{'1', {{{0, 0}, {200, 4}, {400, 0}}}}},
                 0},
        LineCase{"BumpWithLargerTolerance", 0.1, {{'1', {{{0, 0}, {200, 4}, {400, 0}}}}}, {{'1', {kLine}}}, 1},
        LineCase{"ClosedStrokeStaysClosed", 0.05, {{'1', {kSquare}}}, {{'1', {kSquare}}}, 0},
        LineCase{
            "FoldBackStays", 0.05, {{'1', {{{0, 0}, {400, 0}, {200, 0}}}}}, {{'1', {{{0, 0}, {400, 0}, {200, 0}}}}}, 0},
        LineCase{"EachGroupAlone",
                 0.05,
                 {{'1', {{{0, 0}, {100, 0}, {400, 0}}}}, {'2', {{{0, 0}, {100, 1}, {400, 0}}}}},
                 {{'1', {kLine}}, {'2', {kLine}}},
                 2}),
    caseName);

// A fine curve keeps within the tolerance of every point it had, with far fewer points.
TEST(SimplifyCurve, StaysWithinTheTolerance)
{
    Points circle;
    for (int k = 0; k < 720; ++k)
        circle.push_back({4000 * std::cos(k * M_PI / 360), 4000 * std::sin(k * M_PI / 360)});
    circle.push_back(circle.front());
    std::vector<StrokeGroup> groups = groupsOf({{'1', {circle}}});
    LineWorkOptions options;
    options.simplifyMm = 0.05;
    applyLineWork(groups, options);
    const Points& kept = groups[0].strokes[0].points;
    EXPECT_LT(kept.size(), 200u);
    EXPECT_EQ(kept.front(), kept.back());
    for (const Position& p : circle) {
        double nearest = INFINITY;
        for (std::size_t i = 0; i + 1 < kept.size(); ++i) {
            double lo, hi;
            if (spanWithin(p, p, kept[i], kept[i + 1], 2, lo, hi))
                nearest = 0;
        }
        EXPECT_EQ(nearest, 0) << p.x << "," << p.y;
    }
}

// The steps in order, each measured on the plot the one before left: lifts, segments,
// length, time.
TEST(LineWork, ReportsEachStepBeforeAndAfter)
{
    std::vector<StrokeGroup> groups = groupsOf({{'1', {kLine, kLine, {{401, 0}, {401, 100}, {401, 200}}}}});
    LineWorkOptions options;
    options.dedupeMm = options.mergeMm = options.simplifyMm = 0.05;
    const DrawTiming timing{{50, 50}, true, 100, 2000};
    const std::vector<LineStepChange> changes = applyLineWork(groups, options, &timing);
    std::string texts;
    for (const LineStepChange& c : changes)
        texts += lineStepText(c) + "\n";
    EXPECT_EQ(texts, "Dedupe 0.05 mm: 1 segments dropped wholly or in part, 10 mm; pen lifts 3 -> 2, pen-down "
                     "segments 4 -> 3, pen-down length 25 -> 15 mm, time 0.15 s -> 0.07 s\n"
                     "Merge 0.05 mm: 1 joins, 0 mm of gaps drawn; pen lifts 2 -> 1, pen-down segments 3 -> 4, "
                     "pen-down length 15 -> 15 mm, time 0.07 s -> 0.07 s\n"
                     "Simplify 0.05 mm: 2 points removed; pen lifts 1 -> 1, pen-down segments 4 -> 2, pen-down "
                     "length 15 -> 15 mm, time 0.07 s -> 0.06 s\n");
}

// Paint order: fills hide what was painted before them, never what comes after; a hole
// shows what is beneath; a line on a fill's edge stays.
TEST(HideCovered, GoldenPieces)
{
    const auto square = [](double x0, double y0, double x1, double y1) {
        return std::vector<Position>{{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    };
    std::vector<PaintedLine> lines{{1, {{0, 0}, {1000, 0}}},
                                   {2, {{500, -200}, {500, 200}}},
                                   {1, {{0, 500}, {1000, 500}}},
                                   {1, {{0, -100}, {1000, -100}}}};
    const std::vector<FillOutline> fills{{{square(400, -100, 600, 100)}, false, 1},
                                         {{square(450, 150, 550, 250)}, false, 2},
                                         {{square(100, 400, 900, 600), square(300, 450, 700, 550)}, true, 3},
                                         {{square(200, -100, 300, -50)}, false, 4}};
    const Result<HiddenCount> hidden = hideCovered(lines, fills, 1);
    ASSERT_TRUE(hidden);
    std::ostringstream out;
    for (const PaintedLine& l : lines) {
        out << "pen " << l.pen << ":";
        for (const Position& p : l.points)
            out << " " << p.x << "," << p.y;
        out << "\n";
    }
    EXPECT_EQ(out.str(), "pen 1: 0,0 400,0\n"
                         "pen 1: 600,0 1000,0\n"
                         "pen 2: 500,-200 500,150\n"
                         "pen 1: 0,500 100,500\n"
                         "pen 1: 300,500 700,500\n"
                         "pen 1: 900,500 1000,500\n"
                         "pen 1: 0,-100 1000,-100\n");
    EXPECT_EQ(hidden->segments, 3u);
    EXPECT_DOUBLE_EQ(hidden->length, 200 + 50 + 400);
}

} // namespace
} // namespace orlex
