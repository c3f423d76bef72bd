// The draw journal from the command line: a --home draw on the virtual plotter killed with
// SIGKILL at a chosen port write, then draw --resume, put exactly one whole draw on the
// paper; a resume of a draw that is not the same any more is refused with what differs;
// journal shows and discards the record.
#include "cli/cli_options.h"
#include "cli/draw_command.h"
#include "cli_runner.h"
#include "drive/ports/paper_svg.h"
#include "run/ink.h"
#include "svg_ink.h"
#include "write_gate.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

namespace orlex::cli::testing {
namespace {

using orlex::test::InkStep;

// Ink steps a second at the default clock of 2000 Hz: a step is two clock cycles.
constexpr std::size_t kStepsASecond = 1000;

// The tests' journals live in their own folder.
class JournalCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("XDG_STATE_HOME", (folder / "state").c_str(), 1);
        writeFile(folder / "plot.plt", kThreeStrokes);
    }
    void TearDown() override { ::unsetenv("XDG_STATE_HOME"); }
    fs::path journal() const { return folder / "state/orlex/draw-virtual.journal"; }

    // A child process draws plot.plt with --home in this process's code on a virtual
    // plotter that parks the motion thread at port write `write`; once the journal has
    // caught up with the draw there, the child writes its paper to first.svg and is
    // killed with SIGKILL, as by a crash or a power cut.
    void killDrawAt(std::uint64_t write)
    {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            (void)std::freopen((folder / "first.out").c_str(), "w", stdout);
            (void)std::freopen((folder / "first.err").c_str(), "w", stderr);
            drawAndDieAt(write);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    }

    [[noreturn]] void drawAndDieAt(std::uint64_t write)
    {
        const ParsedOptions parsed = parseCliOptions({"draw", (folder / "plot.plt").string(), "--home", "--simulate"});
        std::optional<VirtualPlotter> plotter;
        const auto gate = std::make_shared<test::WriteGate>();
        gate->parkAt(write);
        DrawEnvironment environment;
        environment.openPort = [&](const PortRequest& request) {
            plotter.emplace(request.simulation);
            OpenedPort opened;
            opened.request = request;
            opened.backend = std::make_unique<test::GatedPort>(*plotter, gate);
            opened.virtualPlotter = &*plotter;
            return opened;
        };
        environment.journalKept = [&](std::uint64_t kept, std::uint64_t done) {
            if (!gate->parked() || kept != done)
                return;
            writeFile(folder / "first.svg", paperSvg(plotter->paper(), 150, 150));
            ::raise(SIGKILL);
        };
        (void)runDrawCommand(*parsed.options, environment);
        ::_exit(99); // the draw ended before the chosen write
    }

    TempFolder folder;
};

class KilledDraw : public JournalCli, public ::testing::WithParamInterface<std::uint64_t> {};

TEST_P(KilledDraw, AndItsResumeGiveOneWholeDraw)
{
    killDrawAt(GetParam());
    ASSERT_TRUE(fs::exists(journal()));
    const CliResult rest =
        runCli(folder.path(), {"draw", "--resume", "--simulate", "--start", "70,20", "--svg", "rest.svg"});
    ASSERT_EQ(rest.status, 0) << rest.err;
    EXPECT_FALSE(fs::exists(journal())) << "a draw that ended normally keeps no journal";
    const CliResult whole = runCli(folder.path(), {"draw", "plot.plt", "--home", "--simulate", "--svg", "whole.svg"});
    ASSERT_EQ(whole.status, 0) << whole.err;

    const std::set<InkStep> first = inkOf(folder / "first.svg");
    const std::set<InkStep> second = inkOf(folder / "rest.svg");
    std::set<InkStep> together = first;
    together.insert(second.begin(), second.end());
    EXPECT_EQ(together, inkOf(folder / "whole.svg"));
    std::size_t twice = 0;
    for (const InkStep& step : second)
        twice += first.count(step);
    EXPECT_LE(twice, kStepsASecond) << "more than the last second's lines drawn twice";
}

// In the homing, inside the first stroke, inside the second, in the last.
INSTANTIATE_TEST_SUITE_P(AtWrites, KilledDraw, ::testing::Values(100, 900, 1700, 2500));

struct Refusal {
    const char* name;
    std::vector<std::string> firstDraw; // after "draw plot.plt --simulate"
    void (*change)(const fs::path& folder);
    std::vector<std::string> resume; // after "draw --resume --simulate"
    const char* reason;
};

void nothing(const fs::path&) {}

const Refusal kRefusals[] = {
    {"AByte",
     {"--home"},
     [](const fs::path& f) { writeFile(f / "plot.plt", std::string(kThreeStrokes) + "\n"); },
     {},
     "the plot file's bytes have changed since the draw began"},
    {"Zoom", {"--home"}, nothing, {"--zoom", "50"}, "the zoom was 100 %, now 50 %"},
    {"Settings",
     {"--home"},
     [](const fs::path& f) {
         writeFile(f / "seting.txt", " 40 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n");
     },
     {},
     "the setting Lstepx was 50, now 40"},
    {"NotFromHome", {}, nothing, {}, "began where the pen stood, not from home"},
    {"Unreadable",
     {"--home"},
     [](const fs::path& f) { writeFile(f / "state/orlex/draw-virtual.journal", "orlex draw journal 1\nfile=/x\n"); },
     {},
     "cannot be used"},
};

TEST_F(JournalCli, AResumeOfAnotherDrawIsRefused)
{
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.name);
        fs::remove(folder / "seting.txt");
        writeFile(folder / "plot.plt", kThreeStrokes);
        std::vector<std::string> first{"draw", "plot.plt", "--simulate", "--simulate-port-fault", "1500"};
        first.insert(first.end(), refusal.firstDraw.begin(), refusal.firstDraw.end());
        ASSERT_EQ(runCli(folder.path(), first).status, 6); // the cable is lost in the second stroke
        ASSERT_TRUE(fs::exists(journal()));
        refusal.change(folder.path());
        std::vector<std::string> resume{"draw", "--resume", "--simulate", "--trace", "t.csv"};
        resume.insert(resume.end(), refusal.resume.begin(), refusal.resume.end());
        const CliResult refused = runCli(folder.path(), resume);
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find(refusal.reason), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("Nothing was moved"), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(folder / "t.csv"));
    }
    // The unreadable journal was kept aside.
    std::size_t aside = 0;
    for (const auto& entry : fs::directory_iterator(folder / "state/orlex"))
        aside += entry.path().filename().string().find(".bad-") != std::string::npos ? 1 : 0;
    EXPECT_EQ(aside, 1u);
}

TEST_F(JournalCli, JournalShowsAndDiscardsTheRecord)
{
    ASSERT_EQ(
        runCli(folder.path(), {"draw", "plot.plt", "--home", "--simulate", "--simulate-port-fault", "1500"}).status, 6);
    const CliResult shown = runCli(folder.path(), {"journal", "--simulate"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_TRUE(
        std::regex_search(shown.out, std::regex("^The draw of " + (folder / "plot.plt").string()
                                                + R"( stopped at point [2-9] of 9, \d{4}-\d\d-\d\d \d\d:\d\d UTC: )"
                                                  R"([0-9.]+ % of the drawing done\n)")))
        << shown.out;
    EXPECT_NE(shown.out.find("To draw the rest: orlex-plotter-cli draw --resume --simulate\n"), std::string::npos);
    const CliResult json = runCli(folder.path(), {"journal", "--simulate", "--json"});
    EXPECT_EQ(jsonValue(json.out, "points"), "9") << json.out;
    EXPECT_EQ(jsonValue(json.out, "origin_from_home"), "true") << json.out;
    const CliResult discarded = runCli(folder.path(), {"journal", "--simulate", "--discard"});
    EXPECT_EQ(discarded.status, 0);
    EXPECT_FALSE(fs::exists(journal()));
    EXPECT_EQ(runCli(folder.path(), {"journal", "--simulate", "--json"}).out,
              "{\"journal\": null, \"port\": \"virtual\"}\n");
    EXPECT_EQ(runCli(folder.path(), {"draw", "--resume", "--simulate"}).status, 2);
}

// At 8 Hz the plot takes about 11 minutes: only its un-homed draw gets the note. The note
// comes before any motion, so the long draws end at a port fault on their 40th write: the
// virtual plotter then follows seconds of its clock instead of minutes.
TEST_F(JournalCli, ALongDrawNotFromHomeSaysItCannotBeResumed)
{
    const std::string note = "cannot be resumed in its place. Draw long plots with --home.";
    const std::vector<std::string> longDraw{"draw", "plot.plt", "--simulate", "--clock", "8", "--simulate-port-fault",
                                            "40"};
    const CliResult unhomed = runCli(folder.path(), longDraw);
    EXPECT_NE(unhomed.err.find(note), std::string::npos) << unhomed.err;
    std::vector<std::string> homedDraw = longDraw;
    homedDraw.push_back("--home");
    const CliResult homed = runCli(folder.path(), homedDraw);
    EXPECT_EQ(homed.err.find(note), std::string::npos) << homed.err;
    const CliResult shortDraw = runCli(folder.path(), {"draw", "plot.plt", "--simulate"});
    EXPECT_EQ(shortDraw.err.find(note), std::string::npos) << shortDraw.err;
}

} // namespace
} // namespace orlex::cli::testing
