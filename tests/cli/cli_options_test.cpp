// Argument parsing of orlex-plotter-cli: accepted forms, defaults and refused combinations.
#include "cli/cli_options.h"
#include "cli/option_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

namespace orlex::cli {
namespace {

TEST(CliOptions, DrawTakesEveryOptionInBothForms)
{
    const ParsedOptions parsed = parseCliOptions({"draw", "--zoom=250", "plot.plt", "--settings", "m.txt",
                                                  "--full-step", "--simulate", "--clock", "500.5", "--realtime",
                                                  "--start=12.5,0", "--svg", "p.svg", "--trace=t.csv", "--progress"});
    ASSERT_TRUE(parsed.options) << parsed.options.message();
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
    ASSERT_TRUE(parsed.options) << parsed.options.message();
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
    ASSERT_TRUE(parsed.options) << parsed.options.message();
    EXPECT_EQ(parsed.options->port, PortKind::Direct);
    EXPECT_EQ(parsed.options->plotFile, "--odd-name.plt");
}

TEST(CliOptions, HelpWherever)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"-h"}, {"test", "--help"}, {"draw", "x.plt", "-h"}}) {
        const ParsedOptions parsed = parseCliOptions(args);
        ASSERT_TRUE(parsed.options) << parsed.options.message();
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
    ASSERT_FALSE(parsed.options);
    EXPECT_NE(parsed.options.message().find(GetParam().reasonPart), std::string::npos) << parsed.options.message();
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedArguments,
    ::testing::Values(
        RefusedCase{{}, "command"}, RefusedCase{{"plot"}, "unknown command"},
        RefusedCase{{"test"}, "plot file is missing"}, RefusedCase{{"test", ""}, "empty"},
        RefusedCase{{"test", "a.plt", "b.plt"}, "only one plot file"},
        RefusedCase{{"test", "a.plt", "--zoom", "0"}, "--zoom"},
        RefusedCase{{"test", "a.plt", "--zoom", "401"}, "--zoom"},
        RefusedCase{{"test", "a.plt", "--zoom", "1.5"}, "--zoom"}, RefusedCase{{"test", "a.plt", "--zoom"}, "--zoom"},
        RefusedCase{{"test", "a.plt", "--settings="}, "--settings"},
        RefusedCase{{"test", "a.plt", "--simulate"}, "draw, doctor and journal"},
        RefusedCase{{"test", "a.plt", "--trace", "t"}, "draw command"},
        RefusedCase{{"draw", "a.plt", "--json"}, "optimize, doctor and journal commands"},
        RefusedCase{{"test", "a.plt", "--bogus"}, "unknown option --bogus"},
        RefusedCase{{"draw", "a.plt", "--clock", "0"}, "--clock"},
        RefusedCase{{"draw", "a.plt", "--simulate", "--clock", "-5"}, "--clock"},
        RefusedCase{{"draw", "a.plt", "--simulate", "--clock", "fast"}, "--clock"},
        RefusedCase{{"draw", "a.plt", "--simulate", "--start", "30"}, "--start"},
        RefusedCase{{"draw", "a.plt", "--simulate", "--start", "-1,5"}, "--start"},
        RefusedCase{{"draw", "a.plt", "--simulate", "--start", "5,x"}, "--start"},
        RefusedCase{{"draw", "a.plt", "--port", "lpt"}, "--port"},
        RefusedCase{{"draw", "a.plt", "--port", "ppdev", "--port", "direct"}, "--port can be given only once"},
        RefusedCase{{"draw", "a.plt", "--simulate", "--port", "ppdev"}, "together"},
        RefusedCase{{"draw", "a.plt", "--svg", "p.svg"}, "need --simulate"},
        RefusedCase{{"draw", "a.plt", "--realtime"}, "need --simulate"},
        RefusedCase{{"convert", "a.svg", "-o", "b", "--text", "outline"}, "--text needs stroke or skip"}));

struct UsageErrorCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string line; // the whole message, one line
};

void PrintTo(const UsageErrorCase& c, std::ostream* os)
{
    *os << c.name;
}

class UsageError : public ::testing::TestWithParam<UsageErrorCase> {};

// One line naming the problem and where the help is, never the whole help.
TEST_P(UsageError, IsOneLinePointingToTheHelp)
{
    const ParsedOptions parsed = parseCliOptions(GetParam().arguments);
    ASSERT_FALSE(parsed.options);
    EXPECT_EQ(usageErrorText(parsed), GetParam().line + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, UsageError,
    ::testing::Values(
        UsageErrorCase{"TypoOfAnOption",
                       {"test", "a.plt", "--jsn"},
                       "orlex-plotter-cli: unknown option --jsn; did you mean --json? (see orlex-plotter-cli test "
                       "--help)"},
        UsageErrorCase{"TypoWithAValue",
                       {"draw", "a.plt", "--frm-point=3"},
                       "orlex-plotter-cli: unknown option --frm-point; did you mean --from-point? (see "
                       "orlex-plotter-cli draw --help)"},
        UsageErrorCase{"SwappedLetters",
                       {"draw", "a.plt", "--smiulate"},
                       "orlex-plotter-cli: unknown option --smiulate; did you mean --simulate? (see "
                       "orlex-plotter-cli draw --help)"},
        UsageErrorCase{"NothingNear",
                       {"stat", "a.plt", "--colour"},
                       "orlex-plotter-cli: unknown option --colour (see orlex-plotter-cli stat --help)"},
        UsageErrorCase{"OnlyTheCommandsOptionsAreOffered",
                       {"convert", "a.svg", "--zom", "2"},
                       "orlex-plotter-cli: unknown option --zom (see orlex-plotter-cli convert --help)"},
        UsageErrorCase{"OptionOfAnotherCommand",
                       {"test", "a.plt", "--home"},
                       "orlex-plotter-cli: --home belongs to the draw command (see orlex-plotter-cli test --help)"},
        UsageErrorCase{"FlagWithAValue",
                       {"draw", "a.plt", "--home=yes"},
                       "orlex-plotter-cli: --home takes no value (see orlex-plotter-cli draw --help)"},
        UsageErrorCase{"TypoOfACommand",
                       {"tset", "a.plt"},
                       "orlex-plotter-cli: unknown command tset; did you mean test? (see orlex-plotter-cli --help)"},
        UsageErrorCase{"NoCommand",
                       {},
                       "orlex-plotter-cli: a command is needed: test, stat, draw, optimize, convert or doctor (see "
                       "orlex-plotter-cli --help)"},
        UsageErrorCase{"OptionsBeforeTheCommand",
                       {"--zoom", "50", "test", "a.plt"},
                       "orlex-plotter-cli: a command is needed before the options: test, stat, draw, optimize, "
                       "convert or doctor (see orlex-plotter-cli --help)"},
        UsageErrorCase{"HelpOfNoSuchCommand",
                       {"--help", "drw"},
                       "orlex-plotter-cli: unknown command drw; did you mean draw? (see orlex-plotter-cli --help)"}),
    [](const auto& row) { return std::string(row.param.name); });

struct HelpCase {
    const char* name;
    std::vector<std::string> arguments;
    Command shown;
    std::string firstLine;
};

void PrintTo(const HelpCase& c, std::ostream* os)
{
    *os << c.name;
}

class CommandHelp : public ::testing::TestWithParam<HelpCase> {};

// Each command has its own help, within 80 columns, naming only the options it takes.
TEST_P(CommandHelp, IsTheCommandsOwn)
{
    const ParsedOptions parsed = parseCliOptions(GetParam().arguments);
    ASSERT_TRUE(parsed.options) << parsed.options.message();
    EXPECT_EQ(parsed.options->command, Command::Help);
    EXPECT_EQ(parsed.options->helpCommand, GetParam().shown);
    const std::string text = helpText(parsed.options->helpCommand);
    EXPECT_EQ(text.substr(0, text.find('\n')), GetParam().firstLine);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 80u) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandHelp,
    ::testing::Values(HelpCase{"Overview",
                               {"--help"},
                               Command::Help,
                               "Usage: orlex-plotter-cli test FILE [--zoom N] [--settings PATH] [--json]"},
                      HelpCase{"StatAfterItsFile",
                               {"stat", "a.plt", "-h"},
                               Command::Stat,
                               "Usage: orlex-plotter-cli stat FILE [--zoom N] [--settings PATH] [--json]"},
                      HelpCase{"DrawByHelpCommand",
                               {"help", "draw"},
                               Command::Draw,
                               "Usage: orlex-plotter-cli draw FILE [--zoom N] [--settings PATH]"},
                      HelpCase{"Convert",
                               {"convert", "--help"},
                               Command::Convert,
                               "Usage: orlex-plotter-cli convert IN -o OUT.plt [--settings PATH]"}),
    [](const auto& row) { return std::string(row.param.name); });

struct ResumeCase {
    const char* name;
    std::vector<std::string> arguments;
    std::uint64_t point;
    std::string command;
};

void PrintTo(const ResumeCase& c, std::ostream* os)
{
    *os << c.name;
}

class Resume : public ::testing::TestWithParam<ResumeCase> {};

// The line a stopped draw prints: this command again, from the point where it stopped.
TEST_P(Resume, CommandDrawsTheRest)
{
    const ParsedOptions parsed = parseCliOptions(GetParam().arguments);
    ASSERT_TRUE(parsed.options) << parsed.options.message();
    EXPECT_EQ(resumeCommand(*parsed.options, GetParam().point), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Resume,
    ::testing::Values(
        ResumeCase{"Plain", {"draw", "a.plt", "--home"}, 812, "orlex-plotter-cli draw a.plt --home --from-point 812"},
        ResumeCase{"EarlierFromPointReplaced",
                   {"draw", "a.plt", "--from-point", "100", "--zoom=50"},
                   812,
                   "orlex-plotter-cli draw a.plt --zoom=50 --from-point 812"},
        ResumeCase{"EarlierFromPointWithEquals",
                   {"draw", "--from-point=100", "a.plt"},
                   7,
                   "orlex-plotter-cli draw a.plt --from-point 7"},
        ResumeCase{"QuotedForTheShell",
                   {"draw", "my plot's.plt", "--home"},
                   3,
                   "orlex-plotter-cli draw 'my plot'\\''s.plt' --home --from-point 3"},
        ResumeCase{"BeforeTheDoubleDash",
                   {"draw", "--home", "--", "-odd.plt"},
                   3,
                   "orlex-plotter-cli draw --home --from-point 3 -- -odd.plt"}),
    [](const auto& row) { return std::string(row.param.name); });

// The manual page in roff, its hyphens as "\-": what the page names, with plain hyphens.
std::string manPageText()
{
    std::ifstream in(ORLEX_CLI_MAN_PAGE, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::size_t at = 0; (at = text.find("\\-", at)) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

class ManPage : public ::testing::TestWithParam<Command> {};

// The manual page keeps up with the help: every option and JSON key a command's help names.
TEST_P(ManPage, NamesWhatTheHelpNames)
{
    const std::string page = manPageText();
    ASSERT_FALSE(page.empty()) << ORLEX_CLI_MAN_PAGE;
    const std::string help = helpText(GetParam());
    // Options (a dash after a blank or a bracket: not "home-built") and JSON keys.
    const std::regex named(R"((?:^|[\s\[])(--?[a-z][a-z-]*)|\b([a-z]+(?:_[a-z]+)+)\b)");
    std::size_t count = 0;
    for (auto it = std::sregex_iterator(help.begin(), help.end(), named); it != std::sregex_iterator(); ++it) {
        const std::string name = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
        EXPECT_NE(page.find(name), std::string::npos) << name << " is not in the manual page";
        ++count;
    }
    EXPECT_GT(count, 3u);
}

INSTANTIATE_TEST_SUITE_P(Commands, ManPage,
                         ::testing::Values(Command::Help, Command::Test, Command::Stat, Command::Draw,
                                           Command::Optimize, Command::Convert, Command::Doctor, Command::Journal),
                         [](const auto& row) { return std::to_string(static_cast<int>(row.param)); });

TEST(ManPage, NamesEveryOptionOfTheTable)
{
    const std::string page = manPageText();
    for (const OptionRule& rule : optionTable()) {
        EXPECT_NE(page.find(rule.name), std::string::npos) << rule.name;
        EXPECT_NE(page.find(rule.alias), std::string::npos) << rule.alias;
    }
}

} // namespace
} // namespace orlex::cli
