// The classic reading's census of what it passes over, and the full reading of plain
// files: the same points as the classic reading gives.
#include "full_hpgl_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace orlex::test {
namespace {

struct CensusCase {
    const char* name;
    std::string file;
    std::vector<std::pair<std::string, std::uint64_t>> counts;
    std::string sentence;
};

std::ostream& operator<<(std::ostream& os, const CensusCase& c)
{
    return os << c.name;
}

class ClassicCensus : public ::testing::TestWithParam<CensusCase> {};

TEST_P(ClassicCensus, CountsAndSays)
{
    TempDir dir;
    const ClassicIgnoredCommands census = findCommandsClassicIgnores(dir.write("plot.plt", GetParam().file));
    EXPECT_EQ(census.counts, GetParam().counts);
    EXPECT_EQ(census.sentence(), GetParam().sentence);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ClassicCensus,
    ::testing::Values(
        CensusCase{"scaling circles and labels",
                   "IN;SC0,1,0,1;PU0,0;CI10;CI10;LBa CI in a label\x03PD1,1;",
                   {{"SC", 1}, {"CI", 2}, {"LB", 1}},
                   "This plot uses SC scaling, 2 circles (CI) and 1 label (LB) that the classic reading ignores: "
                   "Options > Full HP-GL draws them"},
        CensusCase{"one circle",
                   "CI5;",
                   {{"CI", 1}},
                   "This plot uses 1 circle (CI) that the classic reading ignores: Options > Full HP-GL draws it"},
        CensusCase{"scaling alone",
                   "SC0,1,0,1;PD1,1;",
                   {{"SC", 1}},
                   "This plot uses SC scaling that the classic reading ignores: Options > Full HP-GL draws it"},
        CensusCase{"settings that change nothing", "IN;SC;LT;RO0;IW;IP;SP1;PU0,0;PD1,1;VS5;", {}, ""},
        CensusCase{"a new label terminator",
                   "DT#;LBtext with EA in it#EA5,5;",
                   {{"LB", 1}, {"EA", 1}},
                   "This plot uses 1 label (LB) and 1 rectangle (EA) that the classic reading ignores: "
                   "Options > Full HP-GL draws them"},
        CensusCase{"polygons and dashes",
                   "LT2;PM0;PD1,1;PM2;FP;EP;PM0;PD2,2;PM2;EP;",
                   {{"LT", 1}, {"FP", 1}, {"EP", 2}},
                   "This plot uses LT line types, 1 filled polygon (FP) and 2 polygon outlines (EP) that the classic "
                   "reading ignores: Options > Full HP-GL draws them"}),
    rowName<CensusCase>);

// The points of the classic reading, as a sink sees them.
struct ClassicPoints : PlotSink {
    bool point(double x, double y, Pen pen) override
    {
        points.push_back({x, y, pen == Pen::Down});
        return true;
    }
    std::vector<SinkPoint> points;
};

TEST(FullAndClassic, ReadPlainFilesAlike)
{
    const char* dataFolder = std::getenv("ORLEX_TEST_DATA");
    ASSERT_NE(dataFolder, nullptr) << "ORLEX_TEST_DATA names tests/data (ctest sets it)";
    const std::filesystem::path data = dataFolder;
    for (const char* name : {"hostile/star.plt", "hostile/square.plt", "hostile/spiral.plt", "golden/negative.plt",
                             "hostile/pr_walk_out.plt", "hostile/minus_zero.plt"}) {
        const std::string path = (data / name).string();
        ClassicPoints classic;
        readClassicPlot(path, classic);
        RecordingSink full;
        const FullReadResult result = readFullHpgl(path, full);
        EXPECT_FALSE(result.refusal) << name << ": " << result.refusal->message;
        EXPECT_TRUE(samePoints(full.points, classic.points, 0)) << name;
    }
}

} // namespace
} // namespace orlex::test
