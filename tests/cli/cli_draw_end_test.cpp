// How "orlex-plotter-cli draw" ends: the coil bytes of a normal draw, the pen up and the
// coils off after every way out (normal end, SIGINT, SIGTERM, SIGHUP), and a settings
// file with problems refused before anything moves.
#include "cli_runner.h"
#include "trace_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sstream>

namespace orlex::cli::testing {
namespace {

fs::path goldenFolder()
{
    const char* data = std::getenv("ORLEX_TEST_DATA");
    return fs::path(data != nullptr ? data : "tests/data") / "golden";
}

std::vector<int> goldenCoils(const std::string& name)
{
    std::vector<int> values;
    std::istringstream in(readFile(goldenFolder() / (name + ".coils")));
    for (int v; in >> v;)
        values.push_back(v);
    return values;
}

struct GoldenCase {
    const char* name; // the .coils file under tests/data/golden
    const char* plot; // under examples/ or tests/data/golden
    std::vector<std::string> options;
};

void PrintTo(const GoldenCase& c, std::ostream* os)
{
    *os << c.name;
}

class GoldenCoils : public ::testing::TestWithParam<GoldenCase> {};

// The data bytes of a draw, "Pen to 0" included, recorded once from the first release:
// changes around the run (pen lifts, the safe end) must not touch them.
TEST_P(GoldenCoils, DrawSendsTheRecordedCoilBytesThenEndsSafely)
{
    const GoldenCase& c = GetParam();
    TempFolder folder;
    const fs::path plot = std::string(c.plot).find("negative") != std::string::npos
                              ? goldenFolder() / c.plot
                              : goldenFolder().parent_path().parent_path().parent_path() / "examples" / c.plot;
    std::vector<std::string> arguments{"draw", plot.string(), "--simulate", "--trace", "trace.csv"};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    const CliResult result = runCli(folder.path(), arguments);
    ASSERT_EQ(result.status, 0) << result.err;

    const std::vector<TraceLine> trace = readTrace(folder / "trace.csv");
    ASSERT_TRUE(endsSafely(trace));
    EXPECT_EQ(trace.front().reg + "," + std::to_string(trace.front().value), "control,1"); // pen up once claimed
    std::vector<int> coils = valuesOf(trace, "data");
    coils.pop_back(); // the coils-off of the safe end
    EXPECT_EQ(coils, goldenCoils(c.name));
}

INSTANTIATE_TEST_SUITE_P(Files, GoldenCoils,
                         ::testing::Values(GoldenCase{"star", "star.plt", {}},
                                           GoldenCase{"starfullstep", "star.plt", {"--full-step"}},
                                           GoldenCase{"starzoom150", "star.plt", {"--zoom", "150"}},
                                           GoldenCase{"square", "square.plt", {}},
                                           GoldenCase{"spiral", "spiral.plt", {}},
                                           GoldenCase{"spiralfullstep", "spiral.plt", {"--full-step"}},
                                           GoldenCase{"negative", "negative.plt", {}},
                                           GoldenCase{"negativefullstep", "negative.plt", {"--full-step"}},
                                           GoldenCase{"negativezoom150", "negative.plt", {"--zoom", "150"}}),
                         [](const auto& row) { return std::string(row.param.name); });

class DrawSignal : public ::testing::TestWithParam<int> {};

// A signal in the middle of a draw ends it after the current step: pen up, coils off,
// the trace complete, exit 128 + the signal's number.
TEST_P(DrawSignal, EndsTheDrawSafely)
{
    const int signal = GetParam();
    TempFolder folder;
    // Three times 100 mm there and back: about 1.2 s per line at 2000 Hz in real time.
    writeFile(folder / "plot.plt", "PD4000,0,0,0,4000,0,0,0,4000,0,0,0;");
    CliProcess process(folder.path(),
                       {"draw", "plot.plt", "--simulate", "--realtime", "--clock", "2000", "--trace", "trace.csv"});
    ASSERT_GT(process.pid(), 0);
    ASSERT_TRUE(process.waitForOutput("Drawing plot.plt")) << readFile(process.errFile());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(::kill(process.pid(), signal), 0);
    const CliResult result = process.wait();

    EXPECT_EQ(result.status, 128 + signal) << result.err;
    EXPECT_NE(result.err.find("Interrupted"), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("Drawing time"), std::string::npos) << "the draw did not run to its end";
    const std::vector<TraceLine> trace = readTrace(folder / "trace.csv");
    EXPECT_TRUE(endsSafely(trace));
    EXPECT_GT(countWrites(trace, "data"), 10);
    EXPECT_LT(countWrites(trace, "data"), 2400);
}

INSTANTIATE_TEST_SUITE_P(Signals, DrawSignal, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& row) { return std::string(sigabbrev_np(row.param)); });

// A draw on a real machine at the wrong scale ruins the sheet: any problem of the
// settings file stops it before the port is opened. A test goes on with the defaults.
TEST(DrawCommand, SettingsFileWithAProblemIsRefused)
{
    TempFolder folder;
    writeFile(folder / "seting.txt", " 50 \r\n 50 \r\n 15x0 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n");
    writeFile(folder / "plot.plt", "PD400,0;");
    const CliResult draw = runCli(folder.path(), {"draw", "plot.plt", "--simulate", "--trace", "trace.csv"});
    EXPECT_EQ(draw.status, 2);
    for (const char* part : {"seting.txt", "line 3", "Maxx", "15x0", "Nothing was moved"})
        EXPECT_NE(draw.err.find(part), std::string::npos) << part << " in " << draw.err;
    EXPECT_FALSE(fs::exists(folder / "trace.csv"));

    const CliResult test = runCli(folder.path(), {"test", "plot.plt"});
    EXPECT_EQ(test.status, 0) << test.err;
    EXPECT_NE(test.err.find("the default 150 is used for this run"), std::string::npos) << test.err;
}

} // namespace
} // namespace orlex::cli::testing
