// optimize's line work from the command line: without a new option the file is written
// byte for byte as before; the options' values and refusals; what the report says.
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orlex::cli::testing {
namespace {

fs::path testData()
{
    return fs::path(std::getenv("ORLEX_TEST_DATA") ? std::getenv("ORLEX_TEST_DATA") : ".");
}

// The examples and test plots, each beside the file optimize wrote of it before the line
// work existed (tests/data/plan/optimized/NAME.plt).
TEST(LineWork, WithoutItOptimizeWritesTheSameBytesAsBefore)
{
    const fs::path data = testData();
    if (!fs::exists(data / "plan" / "optimized"))
        GTEST_SKIP() << "ORLEX_TEST_DATA is not set";
    int compared = 0;
    for (const auto& golden : fs::directory_iterator(data / "plan" / "optimized")) {
        const std::string name = golden.path().stem().string(); // "star.plt" of "star.plt.plt"
        fs::path input;
        for (const fs::path& folder : {data / ".." / ".." / "examples", data / "plan", data / "svg"})
            if (fs::exists(folder / name))
                input = folder / name;
        ASSERT_FALSE(input.empty()) << name;
        SCOPED_TRACE(name);
        TempFolder folder;
        // Text of an SVG is left out, as it was when the files were written.
        const CliResult result = runCli(folder.path(), {"optimize", input.string(), "-o", "out.plt", "--text", "skip"});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(readFile(folder / "out.plt"), readFile(golden.path()));
        EXPECT_EQ(result.out.find("mm:"), std::string::npos) << result.out; // no line-work report
        ++compared;
    }
    EXPECT_GE(compared, 15);
}

struct OptionCase {
    const char* name;
    std::vector<std::string> options;
    int status;
    const char* out; // in stdout (exit 0) or stderr
};

void PrintTo(const OptionCase& c, std::ostream* os)
{
    *os << c.name;
}

class LineWorkOptions : public ::testing::TestWithParam<OptionCase> {};

// Two strokes that meet, a retrace and a point on a straight line, in a plot file.
constexpr const char* kMeetingStrokes = "IN;SP1;PU0,0;PD400,0;PU400,0;PD400,200,400,400;PU0,0;PD400,0;";

TEST_P(LineWorkOptions, TakeTheirValuesAndReport)
{
    TempFolder folder;
    writeFile(folder / "in.plt", kMeetingStrokes);
    writeFile(folder / "in.svg",
              R"(<svg xmlns="http://www.w3.org/2000/svg" width="10mm" height="10mm" viewBox="0 0 10 10">)"
              R"(<line x1="0" y1="5" x2="10" y2="5" stroke="black"/><rect x="4" y="4" width="2")"
              R"( height="2"/></svg>)");
    std::vector<std::string> arguments{"optimize"};
    arguments.insert(arguments.end(), GetParam().options.begin(), GetParam().options.end());
    arguments.insert(arguments.end(), {"-o", "out.plt"});
    const CliResult result = runCli(folder.path(), arguments);
    EXPECT_EQ(result.status, GetParam().status) << result.err;
    const std::string& said = GetParam().status == 0 ? result.out : result.err;
    EXPECT_NE(said.find(GetParam().out), std::string::npos) << said;
    EXPECT_EQ(fs::exists(folder / "out.plt"), GetParam().status == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Options, LineWorkOptions,
    ::testing::Values(
        OptionCase{
            "MergeDefault", {"in.plt", "--merge"}, 0, "Merge 0.05 mm: 2 joins, 0 mm of gaps drawn; pen lifts 2 -> 1"},
        OptionCase{"MergeWithEquals", {"in.plt", "--merge=0.1"}, 0, "Merge 0.1 mm: 2 joins"},
        OptionCase{"MergeValueAfter", {"--merge", "0.1", "in.plt"}, 0, "Merge 0.1 mm: 2 joins"},
        OptionCase{"MergeTooFar", {"in.plt", "--merge=11"}, 2, "--merge takes a distance in mm from 0 to 10"},
        OptionCase{
            "DedupeDefault", {"in.plt", "--dedupe"}, 0, "Dedupe 0.05 mm: 1 segments dropped wholly or in part, 10 mm"},
        OptionCase{"DedupeZero", {"in.plt", "--dedupe=0"}, 2, "--dedupe takes a distance in mm from 0.001 to 10"},
        OptionCase{"Simplify", {"in.plt", "--simplify", "0.05"}, 0, "Simplify 0.05 mm: 1 points removed"},
        OptionCase{
            "SimplifyNeedsAValue", {"in.plt", "--simplify"}, 2, "--simplify needs a distance in mm from 0.001 to 10"},
        OptionCase{"AllInOrder",
                   {"in.plt", "--simplify=0.05", "--merge", "--dedupe"},
                   0,
                   "Dedupe 0.05 mm: 1 segments dropped wholly or in part, 10 mm; pen lifts 2 -> 1, pen-down segments "
                   "4 -> 3, pen-down length 30 -> 20 mm, time "},
        OptionCase{"MergeJson",
                   {"in.plt", "--merge", "--json"},
                   0,
                   "\"line_work\": [{\"step\": \"merge\", \"tolerance_mm\": 0.050, \"count\": 2,"},
        OptionCase{"HideCovered",
                   {"in.svg", "--hide-covered"},
                   0,
                   "Hide covered: 1 segments hidden wholly or in part, 2 mm; pen lifts 1 -> 2"},
        OptionCase{"HideCoveredNeedsAnSvg", {"in.plt", "--hide-covered"}, 2, "--hide-covered needs an SVG drawing"},
        OptionCase{"NoReverseKeepsDirections", {"in.plt", "--merge", "--no-reverse"}, 0, "Merge 0.05 mm: 1 joins"}),
    [](const ::testing::TestParamInfo<OptionCase>& p) { return std::string(p.param.name); });

} // namespace
} // namespace orlex::cli::testing
