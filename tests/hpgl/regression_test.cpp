// Coordinates read the same through the whole-number shortcut and the full parse:
// signs, leading zeros, the 15-digit edge, fractions, and texts that are no number.
#include "hpgl_rig.h"

#include <gtest/gtest.h>

#include <optional>

#include <sys/stat.h>

namespace orlex::test {
namespace {

struct NumberCase {
    const char* name;
    std::string plot;
    std::optional<std::vector<Point>> points; // executed points, as the canvas got them
    std::int16_t minX, minY, maxX, maxY;
    bool outOfRange;
    std::uint64_t skipped;
    std::uint64_t executed;
};

void PrintTo(const NumberCase& c, std::ostream* os)
{
    *os << c.name;
}

class CoordinateNumbers : public ::testing::TestWithParam<NumberCase> {};

TEST_P(CoordinateNumbers, ReadAsTheirValue)
{
    const NumberCase& c = GetParam();
    Rig rig;
    const RunResult r = rig.test(c.plot);
    if (c.points) {
        EXPECT_EQ(rig.points(), *c.points);
    }
    EXPECT_EQ(r.points, c.executed);
    EXPECT_EQ(r.minX, c.minX);
    EXPECT_EQ(r.minY, c.minY);
    EXPECT_EQ(r.maxX, c.maxX);
    EXPECT_EQ(r.maxY, c.maxY);
    EXPECT_EQ(r.outOfRange, c.outOfRange);
    EXPECT_EQ(r.skippedPairs, c.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoordinateNumbers,
    ::testing::Values(
        NumberCase{"MinusZeroAndLeadingZeros", "PA-0,007;", std::vector<Point>{{0, 7, false}}, 0, 0, 0, 7, false, 0, 1},
        NumberCase{"NegativeWhole", "PD-400,-32768;", std::vector<Point>{{-400, -32768, true}}, -400, -32768, 0, 0,
                   false, 0, 1},
        NumberCase{"FifteenDigits", "PA123456789012345,1;PA-123456789012345,-1;", std::nullopt, -32768, -1, 32767, 1,
                   true, 0, 2},
        NumberCase{"ManyLeadingZerosTakeTheFullParse", "PA0000000000000000000400,5;",
                   std::vector<Point>{{400, 5, false}}, 0, 0, 400, 5, false, 0, 1},
        NumberCase{"FractionsRoundHalfToEven", "PA1.5,-2.5;PA-0.5,0.5;", std::nullopt, 0, -2, 2, 0, false, 0, 2},
        NumberCase{"LoneSignsAreNoNumber", "PA-,5;PA.,-;PA3,4;", std::vector<Point>{{3, 4, false}}, 0, 0, 3, 4, false,
                   2, 1},
        NumberCase{"MinusInsideIsNoNumber", "PA1-2,5;", std::vector<Point>{}, 0, 0, 0, 0, false, 1, 0}));

// A device or a pipe as the plot file would be read for ever (/dev/zero) or block the
// open (a FIFO nobody writes), and the test run does not yield: both are refused.
TEST(PlotFileKinds, DevicesAndPipesAreRefused)
{
    Rig rig;
    const std::string fifo = (rig.dir.path() / "pipe.plt").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo}) {
        for (RunMode mode : {RunMode::Test, RunMode::Draw}) {
            const RunResult r = rig.run(path, mode);
            ASSERT_TRUE(r.openError) << path;
            EXPECT_NE(r.openError->message.find(path), std::string::npos) << r.openError->message;
            EXPECT_NE(r.openError->message.find("not a plain file"), std::string::npos) << r.openError->message;
            EXPECT_EQ(r.points, 0u);
        }
    }
    EXPECT_TRUE(rig.plotter.paper().empty());
    EXPECT_EQ(rig.plotter.counters().penMoves, 0);
}

} // namespace
} // namespace orlex::test
