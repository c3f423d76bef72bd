// Counts, lengths and extents of small plots worked out by hand; and a plot counted in
// parts, joined, counts the same as in one go.
#include "plan/draw_time.h"
#include "plan/plot_statistics.h"
#include "plan_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

namespace orlex {
namespace {

using test::down;
using test::up;

struct StatisticsCase {
    const char* name;
    PlotEvents events;
    std::uint64_t points, strokes, lifts, selections;
    double downUnits, upUnits;
    Extents extents;
};

class Statistics : public ::testing::TestWithParam<StatisticsCase> {};

TEST_P(Statistics, MatchesHandCount)
{
    const StatisticsCase& c = GetParam();
    const PlotStatistics s = computeStatistics(c.events);
    EXPECT_EQ(s.points, c.points);
    EXPECT_EQ(s.strokes, c.strokes);
    EXPECT_EQ(s.penLifts, c.lifts);
    EXPECT_EQ(s.penSelections, c.selections);
    EXPECT_DOUBLE_EQ(s.penDownMillimetres, c.downUnits * 0.025);
    EXPECT_DOUBLE_EQ(s.penUpMillimetres, c.upUnits * 0.025);
    EXPECT_EQ(s.units, c.extents);
    const Extents mm{c.extents.minX * 0.025, c.extents.minY * 0.025, c.extents.maxX * 0.025, c.extents.maxY * 0.025};
    EXPECT_EQ(s.millimetres, mm);
}

INSTANTIATE_TEST_SUITE_P(
    Plots, Statistics,
    ::testing::Values(
        StatisticsCase{"Empty", {}, 0, 0, 0, 0, 0, 0, {}},
        StatisticsCase{
            "FinalStrokeIsLifted", {up(10, 0), down(10, 40), down(40, 80)}, 3, 1, 1, 0, 90, 10, {0, 0, 40, 80}},
        // The pen travels 50 (a 30-40-50 triangle), then 400, after its last stroke.
        StatisticsCase{"TravelAfterLastStrokeCounted",
                       {down(0, 30), up(40, 0), up(40, 400)},
                       3,
                       1,
                       1,
                       0,
                       30,
                       450,
                       {0, 0, 40, 400}},
        StatisticsCase{"TravelThroughEveryPenUpPoint",
                       {up(0, 30), down(40, 60), up(40, 0), up(80, 0), down(80, 10)},
                       5,
                       2,
                       2,
                       0,
                       60,
                       130,
                       {0, 0, 80, 60}},
        StatisticsCase{
            "SpEndsAStrokeWithoutLift", {down(10, 0), SelectPen{'2'}, down(20, 0)}, 2, 2, 1, 1, 20, 0, {0, 0, 20, 0}},
        StatisticsCase{"OriginInExtents",
                       {up(-40, -80), down(-40, -50), up(-10, -20)},
                       3,
                       1,
                       1,
                       0,
                       30,
                       89.44271909999159 + 42.42640687119285, // to (-40, -80), then 30 by 30 to (-10, -20)
                       {-40, -80, 0, 0}}),
    [](const ::testing::TestParamInfo<StatisticsCase>& p) { return std::string(p.param.name); });

// Everything a counter gives, bit for bit, in one comparable line.
std::string everything(const PlotStatistics& s, const DrawCounts& c)
{
    const auto bits = [](double v) {
        std::uint64_t b = 0;
        std::memcpy(&b, &v, sizeof b);
        return std::to_string(b) + " ";
    };
    return std::to_string(s.points) + " " + std::to_string(s.strokes) + " " + std::to_string(s.penLifts) + " "
           + std::to_string(s.penSelections) + " " + bits(s.penDownMillimetres) + bits(s.penUpMillimetres)
           + bits(s.units.minX) + bits(s.units.minY) + bits(s.units.maxX) + bits(s.units.maxY) + "| "
           + std::to_string(c.stepOutputs) + " " + std::to_string(c.penCommands) + " " + std::to_string(c.valid) + " "
           + (c.firstUnreachable ? bits(c.firstUnreachable->x) + bits(c.firstUnreachable->y) : "- ") + bits(c.minStepsX)
           + bits(c.maxStepsX) + bits(c.minStepsY) + bits(c.maxStepsY);
}

// Events [from, to) counted by new counters, as a part of a plot.
struct Counted {
    StatisticsCounter statistics;
    StepCountSink steps{{1.5, 2.5}, true, 70};
};
Counted count(const PlotEvents& events, std::size_t from, std::size_t to)
{
    Counted counted;
    for (std::size_t i = from; i < to; ++i) {
        counted.statistics.add(events[i]);
        if (const PlotPoint* p = std::get_if<PlotPoint>(&events[i]))
            counted.steps.point(p->x, p->y, p->penDown ? Pen::Down : Pen::Up);
    }
    return counted;
}

// Random plots of points with fractions, pen selections and now and then a point beyond
// the step range, cut in three at every pair of places: the joined parts count what the
// whole counts, to the last bit of every length.
TEST(CountedInParts, JoinedPartsCountWhatTheWholeCounts)
{
    std::mt19937 random(3);
    for (int plot = 0; plot < 40; ++plot) {
        PlotEvents events;
        const int length = 1 + plot % 13;
        for (int i = 0; i < length; ++i) {
            if (random() % 5 == 0)
                events.push_back(SelectPen{static_cast<char>('1' + random() % 3)});
            else if (plot % 4 == 3 && random() % 9 == 0)
                events.push_back(PlotPoint{4e6, -1.0, random() % 2 == 0});
            else
                events.push_back(PlotPoint{static_cast<double>(random() % 2001) / 7 - 100,
                                           static_cast<double>(random() % 2001) / 3 - 300, random() % 3 != 0});
        }
        const Counted whole = count(events, 0, events.size());
        const std::string want = everything(whole.statistics.result(), whole.steps.counts());
        for (std::size_t first = 0; first <= events.size(); ++first)
            for (std::size_t second = first; second <= events.size(); ++second) {
                Counted joined = count(events, 0, first);
                const Counted middle = count(events, first, second), last = count(events, second, events.size());
                joined.statistics.join(middle.statistics);
                joined.steps.join(middle.steps);
                joined.statistics.join(last.statistics);
                joined.steps.join(last.steps);
                EXPECT_EQ(everything(joined.statistics.result(), joined.steps.counts()), want)
                    << "plot " << plot << " cut at " << first << " and " << second;
            }
    }
}

// The sum does not depend on the order of its terms, bit for bit, where a plain sum of
// doubles does; a term beyond its range still counts.
TEST(CountedInParts, ExactSumIsTheSameInAnyOrder)
{
    std::vector<double> terms;
    std::mt19937 random(5);
    for (int i = 0; i < 1000; ++i) { // two draws in turn, so that every compiler makes the same terms
        const double whole = std::sqrt(static_cast<double>(random() % 100000));
        terms.push_back(whole + 1e-9 * static_cast<double>(random() % 1000));
    }
    ExactSum forwards, backwards;
    double plainF = 0, plainB = 0;
    for (std::size_t i = 0; i < terms.size(); ++i) {
        forwards.add(terms[i]);
        backwards.add(terms[terms.size() - 1 - i]);
        plainF += terms[i];
        plainB += terms[terms.size() - 1 - i];
    }
    EXPECT_NE(plainF, plainB); // so the order could show
    EXPECT_EQ(forwards.value(), backwards.value());
    EXPECT_NEAR(forwards.value(), plainF, 1e-9);
    ExactSum withHuge = forwards;
    withHuge.add(1e30);
    withHuge.subtract(terms[0]);
    EXPECT_DOUBLE_EQ(withHuge.value(), 1e30);
    withHuge.subtract(1e30);
    withHuge.add(terms[0]);
    EXPECT_EQ(withHuge.value(), forwards.value());
}

} // namespace
} // namespace orlex
