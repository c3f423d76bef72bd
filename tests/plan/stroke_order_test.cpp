// Reordering keeps every segment in its group, never lengthens travel, and its moves
// find the shorter orders they are meant to find.
#include "plan/greedy_route.h"
#include "plan/route_improvement.h"
#include "plan/stroke_order.h"
#include "plan_test_support.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace orlex {
namespace {

using test::down;
using test::up;

using test::Shape;

PlotEvents reordered(const PlotEvents& in, const ReorderOptions& options = {})
{
    return strokeEvents(reorder(splitStrokes(in), options).groups);
}

// The strokes of each group as point lists, sorted; one direction per stroke when
// `eitherWay`, as a reversed stroke is the same stroke.
std::vector<std::vector<std::vector<Position>>> strokeSets(const std::vector<StrokeGroup>& groups, bool eitherWay)
{
    const auto key = [](const Position& a, const Position& b) { return std::tie(a.x, a.y) < std::tie(b.x, b.y); };
    std::vector<std::vector<std::vector<Position>>> sets;
    for (const StrokeGroup& g : groups) {
        auto& set = sets.emplace_back();
        for (const Stroke& s : g.strokes) {
            std::vector<Position> backwards(s.points.rbegin(), s.points.rend());
            const bool flip = eitherWay
                              && std::lexicographical_compare(backwards.begin(), backwards.end(), s.points.begin(),
                                                              s.points.end(), key);
            set.push_back(flip ? backwards : s.points);
        }
        std::sort(set.begin(), set.end(), [&](const auto& a, const auto& b) {
            return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), key);
        });
    }
    return sets;
}

class Reorder : public ::testing::TestWithParam<std::tuple<Shape, unsigned>> {};

TEST_P(Reorder, DrawsTheSameSegmentsWithNoLongerTravel)
{
    const PlotEvents in = test::generatePlot(std::get<0>(GetParam()), std::get<1>(GetParam()));
    const std::vector<StrokeGroup> groups = splitStrokes(in);
    for (const bool reverse : {true, false}) {
        for (const bool rotate : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "reverse " << reverse << ", rotate " << rotate);
            const ReorderOptions options{reverse, rotate, true, std::chrono::milliseconds(60000)};
            const OrderedPlot plot = reorder(groups, options);
            EXPECT_FALSE(plot.stoppedByTimeBudget);
            test::expectSameDrawing(in, strokeEvents(plot.groups));
            EXPECT_EQ(plot.groups, reorder(groups, options).groups); // the same on every run
            // The search starts from nearest-first and keeps only gains; it does not see a
            // parking move after the last stroke, which only the choice of routes weighs.
            if (groups.size() == 1 && !groups[0].parkAt) {
                ReorderOptions greedyOnly = options;
                greedyOnly.improve = false;
                EXPECT_LE(penUpTravel(plot.groups), penUpTravel(reorder(groups, greedyOnly).groups) + 1e-9);
            }
            if (!rotate) { // each stroke drawn whole, backwards only when allowed
                EXPECT_EQ(strokeSets(plot.groups, reverse), strokeSets(groups, reverse));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Plots, Reorder,
                         ::testing::Combine(::testing::Values(Shape::RandomStrokes, Shape::SharedEnds, Shape::PenGroups,
                                                              Shape::ZeroLength, Shape::Decimals, Shape::Loops),
                                            ::testing::Range(1u, 26u)),
                         [](const ::testing::TestParamInfo<std::tuple<Shape, unsigned>>& p) {
                             return std::string(test::shapeName(std::get<0>(p.param))) + "_"
                                    + std::to_string(std::get<1>(p.param));
                         });

Stroke line(std::vector<Position> points)
{
    return Stroke{std::move(points)};
}
Stroke dot(double x)
{
    return Stroke{{{x, 0}, {x, 0}}};
}

struct ImproveCase {
    const char* name;
    std::vector<Stroke> strokes;
    bool allowReverse;
    std::vector<std::uint32_t> order; // the route before
    double travel;                    // the shortest travel, which the search must reach
};

class Improve : public ::testing::TestWithParam<ImproveCase> {};

TEST_P(Improve, ReachesTheShortestTravel)
{
    const ImproveCase& c = GetParam();
    const GroupStrokes group(c.strokes, c.allowReverse, true);
    Route route;
    for (const std::uint32_t s : c.order)
        route.push_back({s, false, 0});
    ASSERT_TRUE(improveRoute(group, {0, 0}, route, std::chrono::steady_clock::time_point::max()));
    EXPECT_NEAR(routeTravel(group, {0, 0}, route), c.travel, 1e-9);
    std::vector<std::uint32_t> visited;
    for (const StrokeVisit& v : route)
        visited.push_back(v.stroke);
    std::sort(visited.begin(), visited.end());
    std::vector<std::uint32_t> all(c.order);
    std::sort(all.begin(), all.end());
    EXPECT_EQ(visited, all);
}

INSTANTIATE_TEST_SUITE_P(
    Moves, Improve,
    ::testing::Values(
        ImproveCase{"UncrossesARun", {dot(1), dot(2), dot(3), dot(4), dot(5), dot(6)}, true, {0, 1, 4, 3, 2, 5}, 6},
        ImproveCase{"MovesAStroke", {dot(1), dot(2), dot(3), dot(4), dot(5), dot(6)}, false, {0, 4, 1, 2, 3, 5}, 6},
        ImproveCase{"DrawsAStrokeBackwards", {line({{10, 0}, {0, 0}}), line({{10, 5}, {20, 5}})}, true, {0, 1}, 5},
        ImproveCase{"KeepsDirectionsWhenAsked", {line({{10, 0}, {0, 0}})}, false, {0}, 10},
        ImproveCase{"StartsALoopAtItsNearestPoint",
                    {line({{110, 110}, {10, 110}, {10, 10}, {110, 10}, {110, 110}})},
                    false,
                    {0},
                    std::sqrt(200.0)},
        ImproveCase{
            "FlipsARunOfStrokes",
            {line({{0, 10}, {0, 20}}), line({{0, 50}, {0, 40}}), line({{0, 30}, {0, 25}}), line({{0, 60}, {0, 70}})},
            true,
            {0, 1, 2, 3},
            10 + 5 + 10 + 10}),
    [](const ::testing::TestParamInfo<ImproveCase>& p) { return std::string(p.param.name); });

TEST(GroupStrokes, ClosedStrokeDrawnFromAnyPointEitherWay)
{
    const std::vector<Stroke> strokes{line({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}})};
    const GroupStrokes group(strokes, true, true);
    const PlotEvents original = strokeEvents({{std::nullopt, strokes}});
    for (std::uint32_t m = 0; m < 4; ++m) {
        for (const bool reversed : {false, true}) {
            const Stroke drawn = group.drawn({0, reversed, m});
            EXPECT_EQ(drawn.points.front(), strokes[0].points[m]);
            EXPECT_EQ(drawn.points.back(), strokes[0].points[m]);
            EXPECT_EQ(drawn.points[1], strokes[0].points[reversed ? (m + 3) % 4 : m + 1]);
            EXPECT_EQ(test::drawingOf(strokeEvents({{std::nullopt, {drawn}}})), test::drawingOf(original));
        }
    }
}

TEST(Reorder, FinelyDividedLoopStartsAtItsPointNearestTheOrigin)
{
    Stroke circle;
    for (int k = 0; k <= 200; ++k)
        circle.points.push_back({1000 + 500 * std::cos(k % 200 * std::numbers::pi / 100),
                                 500 * std::sin(k % 200 * std::numbers::pi / 100)});
    const OrderedPlot plot = reorder({{std::nullopt, {circle}}});
    EXPECT_EQ(plot.groups[0].strokes[0].points.front(), circle.points[100]);
}

TEST(Reorder, JoinsStrokesWhoseEndsMeet)
{
    const PlotEvents in{PlotPoint{0, 0, true}, PlotPoint{100, 0, true}, PlotPoint{300, 0, false},
                        PlotPoint{200, 0, true}, PlotPoint{100, 0, true}};
    const PlotStatistics after = computeStatistics(reordered(in));
    EXPECT_EQ(after.penLifts, 1u);
    EXPECT_EQ(after.strokes, 1u);
    EXPECT_EQ(after.penUpMillimetres, 0);
}

struct ParkingCase {
    const char* name;
    PlotEvents in;
    PlotEvents out; // reordered
};

void PrintTo(const ParkingCase& c, std::ostream* os)
{
    *os << c.name;
}

class Parking : public ::testing::TestWithParam<ParkingCase> {};

// The file's last pen-up move is drawn last, where the file has it, and counts as travel.
TEST_P(Parking, KeepsTheLastPenUpMove)
{
    const ParkingCase& c = GetParam();
    const PlotEvents out = reordered(c.in);
    EXPECT_TRUE(test::identical(out, c.out));
    EXPECT_DOUBLE_EQ(penUpTravel(reorder(splitStrokes(c.in)).groups) * 0.025, computeStatistics(out).penUpMillimetres);
}

INSTANTIATE_TEST_SUITE_P(
    Plots, Parking,
    ::testing::Values(
        // Far stroke first: 500 + 500 + 580. Near one first, both forwards: 10 + 480 + 90.
        ParkingCase{"AfterTheReorderedStrokes",
                    {up(500, 0), down(510, 0), up(10, 0), down(20, 0), up(600, 0)},
                    {up(10, 0), down(20, 0), up(500, 0), down(510, 0), up(600, 0)}},
        // Forwards 10 + 53.9, backwards 20 + 51: the file's way, and the pen parked before the SP.
        ParkingCase{"BeforeTheLastSp",
                    {up(10, 0), down(20, 0), up(0, 50), SelectPen{'0'}},
                    {up(10, 0), down(20, 0), up(0, 50), SelectPen{'0'}}},
        ParkingCase{"OnlyTheLastOfSeveralMoves",
                    {up(10, 0), down(20, 0), up(50, 50), up(30, 0)},
                    {up(10, 0), down(20, 0), up(30, 0)}},
        ParkingCase{"NoMoveWhereThePenAlreadyIs", {up(10, 0), down(20, 0), up(20, 0)}, {up(10, 0), down(20, 0)}},
        ParkingCase{"NoneAfterAPenDownEnd", {up(10, 0), down(20, 0)}, {up(10, 0), down(20, 0)}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(Reorder, KeepsTheFileOrderWhenGreedyIsLonger)
{
    // Nearest first goes 0 -> 1 -> -2 -> 4 (travel 10); the file's -2, 1, 4 travels 8.
    const std::vector<StrokeGroup> groups{{std::nullopt, {dot(-2), dot(1), dot(4)}}};
    ReorderOptions greedyOnly;
    greedyOnly.improve = false;
    const OrderedPlot plot = reorder(groups, greedyOnly);
    EXPECT_EQ(plot.groups, groups);
    EXPECT_EQ(plot.groupsInFileOrder, 1u);
    EXPECT_EQ(greedyRoute(GroupStrokes(groups[0].strokes, true, true), {0, 0}).front().stroke, 1u);
}

TEST(Reorder, TimeBudgetOnlyCutsTheImprovement)
{
    const std::vector<StrokeGroup> groups = splitStrokes(test::generatePlot(Shape::RandomStrokes, 7));
    ReorderOptions none, greedyOnly;
    none.timeBudget = std::chrono::milliseconds(0);
    greedyOnly.improve = false;
    const OrderedPlot plot = reorder(groups, none);
    EXPECT_TRUE(plot.stoppedByTimeBudget);
    EXPECT_EQ(plot.groups, reorder(groups, greedyOnly).groups);
}

TEST(Reorder, PlotWithANonFiniteCoordinateStaysInFileOrder)
{
    const std::vector<StrokeGroup> groups{
        {std::nullopt, {dot(5), line({{9, 9}, {std::numeric_limits<double>::quiet_NaN(), 0}}), dot(1)}}};
    const OrderedPlot plot = reorder(groups);
    EXPECT_EQ(plot.groupsInFileOrder, 1u);
    EXPECT_EQ(plot.groups[0].strokes[0], dot(5)); // nearest first would start at 1
}

TEST(Reorder, ImprovementShortensGreedyTravel)
{
    double greedy = 0, planned = 0;
    ReorderOptions greedyOnly;
    greedyOnly.improve = false;
    greedyOnly.allowRotate = false;
    for (unsigned seed = 1; seed <= 25; ++seed) {
        const std::vector<StrokeGroup> groups = splitStrokes(test::generatePlot(Shape::RandomStrokes, seed));
        greedy += penUpTravel(reorder(groups, greedyOnly).groups);
        planned += penUpTravel(reorder(groups).groups);
    }
    EXPECT_LT(planned, 0.9 * greedy);
}

} // namespace
} // namespace orlex
