// Carrying on after a stop from the command line: a draw with --home interrupted by a
// signal says where it stopped, and --from-point draws the rest, so that the two runs
// together put exactly one whole draw on the paper. Also the pen-change question on a
// terminal.
#include "cli_runner.h"
#include "run/ink.h"
#include "svg_ink.h"
#include "trace_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include <poll.h>
#include <pty.h>

namespace orlex::cli::testing {
namespace {

using orlex::test::InkStep;

TEST(Resume, StoppedDrawAndTheRestGiveOneWholeDraw)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", kThreeStrokes);
    CliProcess first(folder.path(), {"draw", "plot.plt", "--home", "--simulate", "--realtime", "--clock", "1000",
                                     "--svg", "first.svg"});
    ASSERT_TRUE(first.waitForOutput("Drawing plot.plt")) << readFile(first.errFile());
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    ASSERT_EQ(::kill(first.pid(), SIGINT), 0);
    const CliResult stopped = first.wait();
    ASSERT_EQ(stopped.status, 130) << stopped.err;
    std::smatch at;
    ASSERT_TRUE(std::regex_search(stopped.out, at, std::regex(R"(Stopped at point (\d+) of 9\n)"))) << stopped.out;
    const std::string point = at[1];
    // The rest gets a paper of its own, so the first run's stays.
    EXPECT_NE(stopped.err.find("To draw the rest: orlex-plotter-cli draw plot.plt --home --simulate --realtime --clock "
                               "1000 --svg first-from-"
                               + point + ".svg --from-point " + point + "\n"),
              std::string::npos)
        << stopped.err;

    // The second run starts elsewhere: homing finds the origin again.
    const CliResult rest = runCli(folder.path(), {"draw", "plot.plt", "--from-point", point, "--simulate", "--start",
                                                  "70,20", "--svg", "rest.svg"});
    ASSERT_EQ(rest.status, 0) << rest.err;
    EXPECT_NE(rest.out.find("from point " + point + " of 9"), std::string::npos) << rest.out;

    const CliResult whole = runCli(folder.path(), {"draw", "plot.plt", "--home", "--simulate", "--svg", "whole.svg"});
    ASSERT_EQ(whole.status, 0) << whole.err;
    std::set<InkStep> together = inkOf(folder / "first.svg");
    ASSERT_FALSE(together.empty());
    ASSERT_LT(together.size(), inkOf(folder / "whole.svg").size()) << "the first run was not interrupted";
    const std::set<InkStep> second = inkOf(folder / "rest.svg");
    together.insert(second.begin(), second.end());
    EXPECT_EQ(together, inkOf(folder / "whole.svg"));
}

class BadFromPoint : public ::testing::TestWithParam<const char*> {};

TEST_P(BadFromPoint, IsRefusedBeforeAnythingMoves)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", kThreeStrokes);
    const CliResult r =
        runCli(folder.path(), {"draw", "plot.plt", "--from-point", GetParam(), "--simulate", "--trace", "t.csv"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--from-point"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(folder / "t.csv"));
}

INSTANTIATE_TEST_SUITE_P(Values, BadFromPoint, ::testing::Values("0", "-3", "2.5", "x", "", "10"));

// The tool on a terminal of its own (a pseudo-terminal), for the pen-change question.
class OnTerminal {
public:
    explicit OnTerminal(const fs::path& folder, std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), ORLEX_CLI_BINARY);
        pid_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            std::vector<char*> argv;
            for (std::string& a : arguments)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            if (::chdir(folder.c_str()) == 0)
                ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~OnTerminal()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(master_);
    }

    // Reads what the tool writes until `text` appears; false when it does not in time.
    bool waitFor(const std::string& text)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (output.find(text) == std::string::npos) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            pollfd in{master_, POLLIN, 0};
            if (::poll(&in, 1, 100) <= 0)
                continue;
            char buffer[512];
            const ssize_t got = ::read(master_, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            output.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }
    void type(const std::string& keys) { ASSERT_EQ(::write(master_, keys.data(), keys.size()), ssize_t(keys.size())); }
    int exitStatus()
    {
        waitFor("\x01never"); // drain until the tool closes the terminal
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string output;

private:
    int master_ = -1;
    pid_t pid_ = -1;
};

// Pen 2 goes on drawing from where pen 1 stopped, without a pen-up move in between.
constexpr const char* kTwoPens = "IN;SP1;PU400,400;PD800,400;SP1;PD800,800;SP2;PD400,800,400,400;SP0;PU;";

TEST(PenChange, WaitsForEnterWithThePenUp)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", kTwoPens);
    OnTerminal tool(folder.path(),
                    {"draw", "plot.plt", "--simulate", "--pause-at-pen-change", "--trace", "paused.csv"});
    ASSERT_TRUE(tool.waitFor("Put in pen 2, then press Enter")) << tool.output;
    tool.type("\n");
    EXPECT_EQ(tool.exitStatus(), 0) << tool.output;
    EXPECT_EQ(tool.output.find("Put in pen 1"), std::string::npos) << tool.output;
    EXPECT_EQ(tool.output.find("Put in pen 0"), std::string::npos) << tool.output;
    EXPECT_NE(tool.output.find("Points: 5"), std::string::npos) << tool.output;

    // The same coil bytes as without the option; only the pen came up for the change.
    ASSERT_EQ(runCli(folder.path(), {"draw", "plot.plt", "--simulate", "--trace", "plain.csv"}).status, 0);
    const std::vector<TraceLine> paused = readTrace(folder / "paused.csv");
    const std::vector<TraceLine> plain = readTrace(folder / "plain.csv");
    EXPECT_EQ(valuesOf(paused, "data"), valuesOf(plain, "data"));
    std::vector<int> penWrites = valuesOf(plain, "control");
    // Pen commands of the plain draw: up for homing.. the fourth point's line is the first
    // of pen 2; the lift for the change comes just before its pen-down command.
    const std::vector<int> pausedPen = valuesOf(paused, "control");
    ASSERT_EQ(pausedPen.size(), penWrites.size() + 1);
    const auto firstDifference =
        std::mismatch(penWrites.begin(), penWrites.end(), pausedPen.begin()).second - pausedPen.begin();
    EXPECT_EQ(pausedPen[firstDifference], 1);
    penWrites.insert(penWrites.begin() + firstDifference, 1);
    EXPECT_EQ(pausedPen, penWrites);
}

TEST(PenChange, CtrlCAtTheQuestionStops)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", kTwoPens);
    OnTerminal tool(folder.path(), {"draw", "plot.plt", "--simulate", "--pause-at-pen-change"});
    ASSERT_TRUE(tool.waitFor("Put in pen 2")) << tool.output;
    tool.type("\x03");
    EXPECT_EQ(tool.exitStatus(), 130) << tool.output;
    EXPECT_NE(tool.output.find("Stopped at point 4 of 5"), std::string::npos) << tool.output;
}

TEST(PenChange, WithoutATerminalIsRefused)
{
    TempFolder folder;
    writeFile(folder / "plot.plt", kTwoPens);
    // setsid: no controlling terminal, as under a service manager.
    CliProcess process(
        folder.path(),
        {"-w", ORLEX_CLI_BINARY, "draw", "plot.plt", "--simulate", "--pause-at-pen-change", "--trace", "t.csv"},
        "/usr/bin/setsid");
    const CliResult r = process.wait();
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("needs a terminal"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(folder / "t.csv"));
}

} // namespace
} // namespace orlex::cli::testing
