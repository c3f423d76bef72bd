// "orlex-plotter-cli test": JSON and text results, exit statuses, settings lookup.
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <optional>
#include <regex>

namespace orlex::cli::testing {
namespace {

struct JsonCase {
    const char* name;
    std::string plot;
    std::vector<std::string> extraArguments;
    int status;
    std::vector<std::pair<std::string, std::string>> expected; // key, raw JSON value
};

void PrintTo(const JsonCase& c, std::ostream* os)
{
    *os << c.name;
}

class TestCommandJson : public ::testing::TestWithParam<JsonCase> {};

TEST_P(TestCommandJson, ReportsTheRunAsOneObject)
{
    const JsonCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "plot.plt", c.plot);
    std::vector<std::string> arguments{"test", "plot.plt", "--json"};
    arguments.insert(arguments.end(), c.extraArguments.begin(), c.extraArguments.end());

    const CliResult result = runCli(folder.path(), arguments);
    EXPECT_EQ(result.status, c.status) << result.err;
    ASSERT_EQ(result.out.front(), '{') << result.out;
    ASSERT_EQ(result.out.back(), '\n');
    EXPECT_EQ(result.out.find('\n'), result.out.size() - 1) << "one line";
    for (const char* key : {"min_x_mm", "min_y_mm", "max_x_mm", "max_y_mm", "max_x_limit_mm", "max_y_limit_mm", "fits",
                            "beeps", "end_of_file_caption", "skipped_pairs", "points"})
        EXPECT_TRUE(jsonValue(result.out, key)) << key << " missing in " << result.out;
    for (const auto& [key, value] : c.expected)
        EXPECT_EQ(jsonValue(result.out, key), value) << key << " in " << result.out;
    EXPECT_FALSE(fs::exists(folder / "seting.txt")) << "the tool never writes a settings file";
}

INSTANTIATE_TEST_SUITE_P(
    Table, TestCommandJson,
    ::testing::Values(
        JsonCase{"Zoom100",
                 "PU120,200;PD-400,200;",
                 {},
                 0,
                 {{"min_x_mm", "-10"},
                  {"min_y_mm", "0"},
                  {"max_x_mm", "3"},
                  {"max_y_mm", "5"},
                  {"max_x_limit_mm", "150"},
                  {"max_y_limit_mm", "150"},
                  {"fits", "true"},
                  {"beeps", "0"},
                  {"end_of_file_caption", "false"},
                  {"skipped_pairs", "0"},
                  {"points", "2"}}},
        JsonCase{"Zoom200",
                 "PU120,200;PD-400,200;",
                 {"--zoom", "200"},
                 0,
                 {{"min_x_mm", "-20"}, {"min_y_mm", "0"}, {"max_x_mm", "6"}, {"max_y_mm", "10"}, {"fits", "true"}}},
        JsonCase{
            "EndsInsideX", "PD40,0;PD100", {}, 0, {{"end_of_file_caption", "true"}, {"beeps", "2"}, {"points", "1"}}},
        JsonCase{"SkippedPair", "PA1-2,5;PD10,10;", {}, 0, {{"skipped_pairs", "1"}, {"points", "1"}}},
        JsonCase{"OneMillimetreTooWide", "PU-40,0;PD6000,0;", {}, 3, {{"min_x_mm", "-1"}, {"fits", "false"}}},
        JsonCase{"TooHighAlone", "PD0,6040;", {}, 3, {{"max_y_mm", "151"}, {"fits", "false"}}},
        JsonCase{
            "OutOfCoordinateRange", "PD40000,0;", {"--zoom", "1"}, 3, {{"fits", "false"}, {"out_of_range", "true"}}}),
    [](const auto& row) { return std::string(row.param.name); });

// Lstep 1: Maxx 300 cannot be reached in 16-bit half steps (163 mm at most). The test
// says so, goes on with the default 150, and a 200 mm plot is too big.
TEST(TestCommand, UnreachableTravelFallsBackAndTheBigPlotIsTooBig)
{
    TempFolder folder;
    writeFile(folder / "machine.txt", " 1 \r\n 50 \r\n 300 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n");
    writeFile(folder / "plot.plt", "PD8000,0;");
    const CliResult json = runCli(folder.path(), {"test", "plot.plt", "--settings", "machine.txt", "--json"});
    EXPECT_EQ(json.status, 3) << json.err;
    EXPECT_EQ(jsonValue(json.out, "fits"), "false") << json.out;
    EXPECT_EQ(jsonValue(json.out, "max_x_limit_mm"), "150") << json.out;
    EXPECT_NE(json.err.find("163 mm"), std::string::npos) << json.err;
}

TEST(TestCommand, WidthEqualToTheLimitFits)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", "PD6000,0;"); // 150 mm
    const CliResult result = runCli(folder.path(), {"test", "plot.plt", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(jsonValue(result.out, "max_x_mm"), "150");
    EXPECT_EQ(jsonValue(result.out, "fits"), "true");
}

TEST(TestCommand, TextReportShowsTheLabelsAndTheVerdict)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", "PU120,200;PD-400,200;PA1-2,5;");
    const CliResult result = runCli(folder.path(), {"test", "plot.plt"});
    EXPECT_EQ(result.status, 0);
    for (const char* line : {"min X: -10 mm\n", "min Y: 0 mm\n", "max X: 3 mm\n", "max Y: 5 mm\n",
                             "Limits: X 150 mm, Y 150 mm\n", "\nfits the machine\n"})
        EXPECT_NE(result.out.find(line), std::string::npos) << line << " in\n" << result.out;
    EXPECT_NE(result.err.find("1 coordinate pair was skipped"), std::string::npos) << result.err;
}

TEST(TestCommand, CoordinateRangeProblemIsExplainedAndTooBig)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", "PD40000,0;");
    const CliResult result = runCli(folder.path(), {"test", "plot.plt", "--zoom", "1"});
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.out.find("too big"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("coordinate range"), std::string::npos) << result.err;
}

struct PositionCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    bool positionUnknown; // the warning that the pen must stand at the plot's origin
    bool homed = false;   // a draw that homed says its steps include the homing
};

void PrintTo(const PositionCase& c, std::ostream* os)
{
    *os << c.name;
}

class PositionWarning : public ::testing::TestWithParam<PositionCase> {};

// Where the pen stands decides whether a plot fits; the tool says so when it cannot know.
TEST_P(PositionWarning, IsGivenOnlyWhileThePositionIsUnknown)
{
    const PositionCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "plot.plt", "PD400,400;");
    writeFile(folder / "negative.plt", "PU-400,0;PD400,400;");
    writeFile(folder / "big.plt", "PD8000,0;");
    const CliResult result = runCli(folder.path(), c.arguments);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(result.err.find("Position unknown: the plot fits only if the pen stands at its origin\n")
                  != std::string::npos,
              c.positionUnknown)
        << result.err;
    EXPECT_EQ(result.out.find("(homing included)") != std::string::npos, c.homed) << result.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PositionWarning,
    ::testing::Values(PositionCase{"Test", {"test", "plot.plt"}, 0, true},
                      PositionCase{"TestJson", {"test", "plot.plt", "--json"}, 0, true},
                      PositionCase{"TestOfAPlotThatHomesFirst", {"test", "negative.plt"}, 0, false},
                      PositionCase{"TooBigSaysNothingOfIt", {"test", "big.plt"}, 3, false},
                      PositionCase{"DrawWithHome", {"draw", "plot.plt", "--simulate", "--home"}, 0, false, true},
                      PositionCase{"DrawFromTheVirtualStart", {"draw", "plot.plt", "--simulate"}, 0, false},
                      PositionCase{"Stat", {"stat", "plot.plt"}, 0, false}),
    [](const auto& row) { return std::string(row.param.name); });

struct UnreadableCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string messagePart;
};

void PrintTo(const UnreadableCase& c, std::ostream* os)
{
    *os << c.name;
}

class TestCommandFailure : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(TestCommandFailure, ExitsWithTwoAndSaysWhy)
{
    TempFolder folder;
    fs::create_directory(folder / "folder.plt");
    writeFile(folder / "plot.plt", "PD10,10;");
    const CliResult result = runCli(folder.path(), GetParam().arguments);
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_NE(result.err.find(GetParam().messagePart), std::string::npos) << result.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, TestCommandFailure,
    ::testing::Values(UnreadableCase{"MissingFile", {"test", "absent.plt"}, "absent.plt"},
                      UnreadableCase{"Folder", {"test", "folder.plt"}, "folder.plt"},
                      UnreadableCase{"NoCommand", {}, "a command is needed"},
                      UnreadableCase{"BadZoom", {"test", "plot.plt", "--zoom", "0"}, "--zoom"},
                      UnreadableCase{"MissingSettings", {"test", "plot.plt", "--settings", "none.txt"}, "none.txt"},
                      UnreadableCase{
                          "SettingsIsAFolder", {"test", "plot.plt", "--settings", "folder.plt"}, "folder.plt"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(TestCommand, UnreadablePermissionsGiveTwo)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    TempFolder folder;
    writeFile(folder / "plot.plt", "PD10,10;");
    fs::permissions(folder / "plot.plt", fs::perms::none);
    const CliResult result = runCli(folder.path(), {"test", "plot.plt"});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("plot.plt"), std::string::npos) << result.err;
}

TEST(TestCommand, ReadsSetingTxtOfTheWorkingFolderWithoutRewritingIt)
{
    TempFolder folder;
    const std::string settings = " 50 \r\n 50 \r\n 10 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n";
    writeFile(folder / "seting.txt", settings);
    writeFile(folder / "plot.plt", "PU120,200;PD-400,200;"); // 13 mm wide
    const CliResult result = runCli(folder.path(), {"test", "plot.plt", "--json"});
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(jsonValue(result.out, "max_x_limit_mm"), "10");
    EXPECT_EQ(jsonValue(result.out, "fits"), "false");
    EXPECT_EQ(readFile(folder / "seting.txt"), settings);
}

TEST(TestCommand, SettingsOptionWinsAndBadLinesFallBackToDefaultsWithAWarning)
{
    TempFolder folder;
    writeFile(folder / "seting.txt", " 50 \r\n 50 \r\n 10 \r\n 10 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n");
    const std::string other = " 50 \r\n 50 \r\n wide \r\n 20 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n";
    writeFile(folder / "other.txt", other);
    writeFile(folder / "plot.plt", "PU120,200;PD-400,200;");
    const CliResult result = runCli(folder.path(), {"test", "plot.plt", "--settings", "other.txt", "--json"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(jsonValue(result.out, "max_x_limit_mm"), "150"); // the default for the bad line
    EXPECT_EQ(jsonValue(result.out, "max_y_limit_mm"), "20");
    EXPECT_NE(result.err.find("line 3 (Maxx)"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("wide"), std::string::npos) << result.err;
    EXPECT_EQ(readFile(folder / "other.txt"), other);
}

struct AnswerCase {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    std::string outStart; // stdout begins with it
    std::string err;      // the whole of stderr
};

void PrintTo(const AnswerCase& c, std::ostream* os)
{
    *os << c.name;
}

class ToolAnswer : public ::testing::TestWithParam<AnswerCase> {};

// Help and version on stdout with status 0; a usage error is one line on stderr.
TEST_P(ToolAnswer, IsShortAndOnTheRightStream)
{
    const AnswerCase& c = GetParam();
    TempFolder folder;
    const CliResult result = runCli(folder.path(), c.arguments);
    EXPECT_EQ(result.status, c.status);
    EXPECT_TRUE(result.out.starts_with(c.outStart)) << result.out;
    EXPECT_EQ(result.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ToolAnswer,
    ::testing::Values(
        AnswerCase{"Version", {"--version"}, 0, "orlex-plotter-cli ", ""},
        AnswerCase{"DrawHelp", {"draw", "--help"}, 0, "Usage: orlex-plotter-cli draw FILE", ""},
        AnswerCase{"Typo",
                   {"stat", "plot.plt", "--jsn"},
                   2,
                   "",
                   "orlex-plotter-cli: unknown option --jsn; did you mean --json? (see orlex-plotter-cli stat "
                   "--help)\n"},
        AnswerCase{"MissingFile",
                   {"optimize"},
                   2,
                   "",
                   "orlex-plotter-cli: the plot file is missing (see orlex-plotter-cli optimize --help)\n"}),
    [](const auto& row) { return std::string(row.param.name); });

// The keys a command's help lists after "JSON keys (--json):", in its order.
std::vector<std::string> helpJsonKeys(const std::string& help)
{
    const std::string marker = "JSON keys (--json):";
    const auto at = help.find(marker);
    if (at == std::string::npos)
        return {};
    const std::string list = help.substr(at + marker.size(), help.find("\n\n", at) - at - marker.size());
    std::vector<std::string> keys;
    std::regex key("[a-z_]+");
    for (auto it = std::sregex_iterator(list.begin(), list.end(), key); it != std::sregex_iterator(); ++it)
        keys.push_back(it->str());
    return keys;
}

// The keys of the tool's one-line JSON object, in its order.
std::vector<std::string> outputJsonKeys(const std::string& json)
{
    std::vector<std::string> keys;
    std::regex key("\"([a-z_]+)\": ");
    for (auto it = std::sregex_iterator(json.begin(), json.end(), key); it != std::sregex_iterator(); ++it)
        keys.push_back((*it)[1]);
    return keys;
}

class JsonKeys : public ::testing::TestWithParam<const char*> {};

// What the help promises is what --json prints.
TEST_P(JsonKeys, AreThoseTheHelpLists)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", "PU0,0;PD400,0,400,400;PU800,400;PD800,0;");
    const std::string command = GetParam();
    const CliResult help = runCli(folder.path(), {command, "--help"});
    ASSERT_EQ(help.status, 0);
    std::vector<std::string> arguments{command, "plot.plt", "--json"};
    if (command == "optimize")
        arguments.insert(arguments.end(), {"-o", "out.plt"});
    const CliResult run = runCli(folder.path(), arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> promised = helpJsonKeys(help.out);
    EXPECT_FALSE(promised.empty()) << help.out;
    EXPECT_EQ(outputJsonKeys(run.out), promised) << run.out;
}

INSTANTIATE_TEST_SUITE_P(Commands, JsonKeys, ::testing::Values("test", "stat", "optimize"));

TEST(Help, PrintsTheUsageAndExitsWithZero)
{
    TempFolder folder;
    const CliResult result = runCli(folder.path(), {"--help"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("orlex-plotter-cli test FILE"), std::string::npos);
    EXPECT_NE(result.out.find("orlex-plotter-cli draw FILE"), std::string::npos);
    EXPECT_NE(result.out.find("--simulate-stopped-clock"), std::string::npos);
}

} // namespace
} // namespace orlex::cli::testing
