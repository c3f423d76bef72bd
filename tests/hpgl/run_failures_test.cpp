// Runs that cannot read a file, and points beyond the 16-bit extents.
#include "hpgl_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace orlex {
namespace {

using test::Rig;

TEST(RunFailures, NoFileChosenBeepsOnceAndReportsZeros)
{
    Rig rig;
    for (RunMode mode : {RunMode::Test, RunMode::Draw}) {
        const RunResult result = rig.run("", mode);
        EXPECT_FALSE(result.openError);
        EXPECT_EQ(result.beeps, 1);
        EXPECT_FALSE(result.endOfFileCaption);
        EXPECT_EQ(result.points, 0u);
        EXPECT_EQ(result.minX, 0);
        EXPECT_EQ(result.maxY, 0);
    }
    EXPECT_TRUE(rig.canvas.lines.empty());
    EXPECT_EQ(rig.plotter.counters().penMoves, 0);
}

TEST(RunFailures, MissingFileIsReportedWithPathAndReason)
{
    Rig rig;
    const std::string path = (rig.dir.path() / "absent.plt").string();
    const RunResult result = rig.run(path, RunMode::Test);
    ASSERT_TRUE(result.openError);
    EXPECT_EQ(result.beeps, 0);
    EXPECT_NE(result.openError->message.find(path), std::string::npos) << result.openError->message;
    EXPECT_NE(result.openError->message.find("does not exist"), std::string::npos) << result.openError->message;
    EXPECT_TRUE(rig.canvas.lines.empty());
}

TEST(RunFailures, FolderIsReportedAsNotAFile)
{
    Rig rig;
    const RunResult result = rig.run(rig.dir.path().string(), RunMode::Draw);
    ASSERT_TRUE(result.openError);
    EXPECT_EQ(result.beeps, 0);
    EXPECT_NE(result.openError->message.find(rig.dir.path().string()), std::string::npos);
    EXPECT_NE(result.openError->message.find("folder"), std::string::npos) << result.openError->message;
}

TEST(RunFailures, UnreadableFileIsReported)
{
    Rig rig;
    const std::string path = rig.dir.write("locked.plt", "PD10,10;");
    std::filesystem::permissions(path, std::filesystem::perms::none);
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) { // root reads anything
        std::fclose(f);
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    const RunResult result = rig.run(path, RunMode::Test);
    ASSERT_TRUE(result.openError);
    EXPECT_NE(result.openError->message.find("permission"), std::string::npos) << result.openError->message;
    EXPECT_TRUE(rig.canvas.lines.empty());
}

struct RangeCase {
    const char* name;
    std::string file;
    bool outOfRange;
    std::int16_t minX, minY, maxX, maxY;
    std::uint64_t skipped;
};

class Range : public ::testing::TestWithParam<RangeCase> {};

TEST_P(Range, ExtentsStickAtTheLimits)
{
    const RangeCase& c = GetParam();
    Rig rig;
    const RunResult result = rig.test(c.file);
    EXPECT_EQ(result.outOfRange, c.outOfRange);
    EXPECT_EQ(result.minX, c.minX);
    EXPECT_EQ(result.minY, c.minY);
    EXPECT_EQ(result.maxX, c.maxX);
    EXPECT_EQ(result.maxY, c.maxY);
    EXPECT_EQ(result.skippedPairs, c.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Points, Range,
    ::testing::Values(RangeCase{"LargestFits", "PA32767,-32768;", false, 0, -32768, 32767, 0, 0},
                      RangeCase{"RoundsIntoRange", "PA32767.4,-32768.5;", false, 0, -32768, 32767, 0, 0},
                      RangeCase{"RoundsOutOfRange", "PA32767.5,0;", true, 0, 0, 32767, 0, 0},
                      RangeCase{"BeyondPositive", "PA40000,100;", true, 0, 0, 32767, 100, 0},
                      RangeCase{"BeyondNegative", "PA-40000,-70000;", true, -32768, -32768, 0, 0, 0},
                      RangeCase{"RelativeSteps", "PR30000,0,30000,0;", true, 0, 0, 32767, 0, 0},
                      // Sixty digits are a finite number far beyond the range, not a wrapped one.
                      RangeCase{"HugeFiniteValue", "PA" + std::string(60, '9') + ",1;", true, 0, 0, 32767, 1, 0},
                      // Beyond the text limit a digit string is no longer taken as a number.
                      RangeCase{"DigitStringTooLong", "PA1," + std::string(400, '9') + ";", false, 0, 0, 0, 0, 1}),
    [](const ::testing::TestParamInfo<RangeCase>& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex
