// Argument parsing of orlex-plotter-cli: accepted forms, defaults and refused combinations.
#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace orlex::cli {
namespace {

TEST(CliOptions, DrawTakesEveryOptionInBothForms)
{
    const ParsedOptions parsed = parseCliOptions({"draw", "--zoom=250", "plot.plt", "--settings", "m.txt",
                                                  "--full-step", "--simulate", "--clock", "500.5", "--realtime",
                                                  "--start=12.5,0", "--svg", "p.svg", "--trace=t.csv", "--progress"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const CliOptions& o = *parsed.options;
    EXPECT_EQ(o.command, Command::Draw);
    EXPECT_EQ(o.plotFile, "plot.plt");
    EXPECT_EQ(o.zoom, 250);
    EXPECT_EQ(o.settingsFile, "m.txt");
    EXPECT_TRUE(o.fullStep);
    EXPECT_TRUE(o.simulate);
    EXPECT_EQ(o.clockHz, 500.5);
    EXPECT_TRUE(o.realTime);
    EXPECT_EQ(o.startXmm, 12.5);
    EXPECT_EQ(o.startYmm, 0);
    EXPECT_EQ(o.svgFile, "p.svg");
    EXPECT_EQ(o.traceFile, "t.csv");
    EXPECT_TRUE(o.progress);
}

TEST(CliOptions, DefaultsOfADraw)
{
    const ParsedOptions parsed = parseCliOptions({"draw", "plot.plt"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    const CliOptions& o = *parsed.options;
    EXPECT_EQ(o.zoom, 100);
    EXPECT_FALSE(o.settingsFile);
    EXPECT_FALSE(o.fullStep);
    EXPECT_FALSE(o.simulate);
    EXPECT_EQ(o.clockHz, 2000);
    EXPECT_FALSE(o.realTime);
    EXPECT_EQ(o.startXmm, 30);
    EXPECT_EQ(o.startYmm, 30);
    EXPECT_FALSE(o.port);
}

TEST(CliOptions, PortKindsAndTheFileAfterDoubleDash)
{
    const ParsedOptions parsed = parseCliOptions({"draw", "--port", "direct", "--", "--odd-name.plt"});
    ASSERT_TRUE(parsed.options) << parsed.error;
    EXPECT_EQ(parsed.options->port, PortKind::Direct);
    EXPECT_EQ(parsed.options->plotFile, "--odd-name.plt");
}

TEST(CliOptions, HelpWherever)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"test", "--help"}, {"draw", "x.plt", "-h"}}) {
        const ParsedOptions parsed = parseCliOptions(args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->command, Command::Help);
    }
}

struct RefusedCase {
    std::vector<std::string> arguments;
    std::string reasonPart;
};

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    for (const std::string& a : c.arguments)
        *os << a << " ";
}

class RefusedArguments : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedArguments, AreExplained)
{
    const ParsedOptions parsed = parseCliOptions(GetParam().arguments);
    EXPECT_FALSE(parsed.options);
    EXPECT_NE(parsed.error.find(GetParam().reasonPart), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedArguments,
                         ::testing::Values(RefusedCase{{}, "command"}, RefusedCase{{"plot"}, "unknown command"},
                                           RefusedCase{{"test"}, "plot file is missing"},
                                           RefusedCase{{"test", ""}, "empty"},
                                           RefusedCase{{"test", "a.plt", "b.plt"}, "only one plot file"},
                                           RefusedCase{{"test", "a.plt", "--zoom", "0"}, "--zoom"},
                                           RefusedCase{{"test", "a.plt", "--zoom", "401"}, "--zoom"},
                                           RefusedCase{{"test", "a.plt", "--zoom", "1.5"}, "--zoom"},
                                           RefusedCase{{"test", "a.plt", "--zoom"}, "--zoom"},
                                           RefusedCase{{"test", "a.plt", "--settings="}, "--settings"},
                                           RefusedCase{{"test", "a.plt", "--simulate"}, "draw command"},
                                           RefusedCase{{"test", "a.plt", "--trace", "t"}, "draw command"},
                                           RefusedCase{{"draw", "a.plt", "--json"}, "test, stat and optimize commands"},
                                           RefusedCase{{"test", "a.plt", "--bogus"}, "unknown option '--bogus'"},
                                           RefusedCase{{"draw", "a.plt", "--clock", "0"}, "--clock"},
                                           RefusedCase{{"draw", "a.plt", "--simulate", "--clock", "-5"}, "--clock"},
                                           RefusedCase{{"draw", "a.plt", "--simulate", "--clock", "fast"}, "--clock"},
                                           RefusedCase{{"draw", "a.plt", "--simulate", "--start", "30"}, "--start"},
                                           RefusedCase{{"draw", "a.plt", "--simulate", "--start", "-1,5"}, "--start"},
                                           RefusedCase{{"draw", "a.plt", "--simulate", "--start", "5,x"}, "--start"},
                                           RefusedCase{{"draw", "a.plt", "--port", "lpt"}, "--port"},
                                           RefusedCase{{"draw", "a.plt", "--port", "ppdev", "--port", "direct"},
                                                       "--port can be given only once"},
                                           RefusedCase{{"draw", "a.plt", "--simulate", "--port", "ppdev"}, "together"},
                                           RefusedCase{{"draw", "a.plt", "--svg", "p.svg"}, "need --simulate"},
                                           RefusedCase{{"draw", "a.plt", "--realtime"}, "need --simulate"}));

} // namespace
} // namespace orlex::cli
