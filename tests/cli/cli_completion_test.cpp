// The bash completion the build writes from the table of options, run by bash itself.
#include "cli/bash_completion.h"
#include "cli_runner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex::cli::testing {
namespace {

struct CompletionCase {
    const char* name;
    std::vector<std::string> words; // after the program's name; the last is the one completed
    std::string offered;            // COMPREPLY, one per line
};

void PrintTo(const CompletionCase& c, std::ostream* os)
{
    *os << c.name;
}

class Completion : public ::testing::TestWithParam<CompletionCase> {};

// A word of a bash array, quoted.
std::string quoted(const std::string& word)
{
    std::string text = "'";
    for (const char c : word)
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return text + "'";
}

TEST_P(Completion, OffersWhatTheCommandTakes)
{
    const CompletionCase& c = GetParam();
    TempFolder folder;
    writeFile(folder / "completion.bash", bashCompletionScript());
    std::string words = "orlex-plotter-cli";
    for (const std::string& w : c.words)
        words += " " + quoted(w);
    // compopt speaks only inside a real completion: its complaint goes to /dev/null.
    writeFile(folder / "run.bash", "source ./completion.bash\nCOMP_WORDS=(" + words
                                       + ")\nCOMP_CWORD=" + std::to_string(c.words.size())
                                       + "\n_orlex_plotter_cli 2>/dev/null\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n");
    CliProcess bash(folder.path(), {"--norc", "run.bash"}, "/bin/bash");
    const CliResult result = bash.wait();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, c.offered.empty() ? "\n" : c.offered);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Completion,
    ::testing::Values(CompletionCase{"Command", {"dr"}, "draw\n"},
                      CompletionCase{"HelpAndVersion", {"--"}, "--help\n--version\n"},
                      CompletionCase{"OptionOfTest", {"test", "a.plt", "--js"}, "--json\n"},
                      CompletionCase{"NotAnotherCommandsOption", {"convert", "a.svg", "--zo"}, ""},
                      CompletionCase{
                          "BothNamesOfOutput",
                          {"optimize", "a.plt", "-"},
                          "--settings\n--json\n--hpgl\n-o\n--output\n--no-reverse\n--merge\n--dedupe\n--simplify\n"
                          "--hide-covered\n--text\n--clock\n--help\n"},
                      CompletionCase{"Choices", {"draw", "a.plt", "--port", "d"}, "direct\n"},
                      CompletionCase{"ChoicesAfterEquals", {"draw", "a.plt", "--port", "=", "pp"}, "ppdev\n"},
                      CompletionCase{"NothingForANumber", {"draw", "a.plt", "--zoom", ""}, ""},
                      CompletionCase{"FileForSettings", {"stat", "a.plt", "--settings", "run.b"}, "run.bash\n"},
                      CompletionCase{"PlotFile", {"test", "completion.b"}, "completion.bash\n"},
                      CompletionCase{"OptionOfDoctor", {"doctor", "--me"}, "--measure\n"},
                      CompletionCase{"NoFileForDoctor", {"doctor", "completion.b"}, ""},
                      CompletionCase{"OptionsAfterAnOptionalValue", {"doctor", "--measure", "--js"}, "--json\n"}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex::cli::testing
