// How a draw ends when signals come at chosen moments: the draw command runs in this
// process on a virtual plotter behind a port that parks the motion thread at a chosen
// write, a signal (or two) is sent there, and the machine must end with the pen up and
// every coil off, the exit status that of the first signal.
#include "cli/cli_options.h"
#include "cli/draw_command.h"
#include "cli/interrupt.h"
#include "cli/pen_prompt.h"
#include "cli_runner.h"
#include "write_gate.h"

#include <gtest/gtest.h>

#include <csignal>
#include <future>
#include <thread>

#include <sys/socket.h>

namespace orlex::cli::testing {
namespace {

using test::WriteGate;

// Two lines of 100 mm each (400 half steps), a pen change between them.
constexpr const char* kTwoLinesAndPenChange = "PD4000,0;SP2;PD4000,4000;";

enum class At {
    MidLine,        // the 100th write, inside the first line
    Homing,         // the 20th write of a --home draw, inside the homing
    PenChange,      // the operator is asked for pen 2
    TerminalStop,   // stopped by Ctrl-Z, the pen up; the signal comes while stopped
    TerminalGoOn,   // stopped by Ctrl-Z; after fg the operator says go on, then puts in pen 2
    SafeEnd,        // the second signal while the safe end lifts the pen
    RightAfter,     // the second signal as soon as the first is seen
    TerminalGone,   // the terminal closes at the pen change: as SIGHUP
    PenChangeFault, // the port breaks as the pen comes up for the pen change
    FileChanged     // no signal: the plot file grows on disk between the test and the drawing
};

struct SignalCase {
    const char* name;
    At at;
    int first;  // the signal that ends the draw (0: none is sent)
    int second; // another one during the end (0: none)
    int status; // the exit status
};

void PrintTo(const SignalCase& c, std::ostream* os)
{
    *os << c.name;
}

// The draw command on its own thread, with the test's port, terminal and process stop.
class SignalledDraw {
public:
    explicit SignalledDraw(const SignalCase& c) : case_(c)
    {
        writeFile(folder_ / "plot.plt", kTwoLinesAndPenChange);
        writeFile(folder_ / "seting.txt", " 50 \r\n 50 \r\n 150 \r\n 150 \r\n 80 \r\n 80 \r\n 5 \r\n 5 \r\n&H378\r\n");
        ::socketpair(AF_UNIX, SOCK_STREAM, 0, terminal_);
    }
    ~SignalledDraw()
    {
        gate_->release();
        if (operator_ >= 0)
            ::close(operator_);
    }

    int run()
    {
        std::vector<std::string> args{"draw",       (folder_ / "plot.plt").string(),   "--simulate",
                                      "--settings", (folder_ / "seting.txt").string(), "--pause-at-pen-change"};
        if (case_.at == At::Homing)
            args.push_back("--home");
        if (case_.at == At::PenChangeFault)
            args.insert(args.end(), {"--simulate-port-fault", "403"}); // the pen-up write of the pen change
        const ParsedOptions parsed = parseCliOptions(args);
        EXPECT_TRUE(parsed.options) << parsed.options.message();
        options_ = *parsed.options;

        DrawEnvironment environment;
        environment.openPort = [this](const PortRequest& request) {
            plotter_.emplace(request.simulation);
            OpenedPort opened;
            opened.request = request;
            opened.backend = std::make_unique<test::GatedPort>(*plotter_, gate_);
            opened.virtualPlotter = &*plotter_;
            return opened;
        };
        environment.openTerminal = [this] { return std::make_unique<PenPrompt>(terminal_[0]); };
        operator_ = terminal_[1];
        environment.stopProcess = [this] {
            penUpWhenStopped_ = plotter_->controlLatch() == kPenUpControl;
            if (case_.first != 0)
                ::kill(::getpid(), case_.first); // a signal while the tool is stopped
        };
        switch (case_.at) {
        case At::MidLine: gate_->parkAt(100); break;
        case At::Homing: gate_->parkAt(20); break;
        case At::SafeEnd:
        case At::RightAfter: gate_->parkAt(100); break;
        case At::TerminalStop:
        case At::TerminalGoOn: gate_->parkAt(100); break;
        case At::FileChanged: gate_->parkAt(1); break; // the pen lift at the claim, before any reading
        default: break;
        }
        std::future<int> status = std::async(std::launch::async, [&] { return runDrawCommand(options_, environment); });
        act();
        return status.get();
    }

    VirtualPlotter& plotter() { return *plotter_; }
    bool penUpWhenStopped() const { return penUpWhenStopped_; }

private:
    // Waits until the tool has seen the signal it was sent.
    static void untilSeen()
    {
        while (interruptSignal() == 0)
            std::this_thread::yield();
    }
    // Reads the question the tool asks on its terminal.
    std::string question()
    {
        std::string text;
        char c = 0;
        while (text.find(": ") == std::string::npos && ::read(operator_, &c, 1) == 1)
            text += c;
        return text;
    }

    void act()
    {
        switch (case_.at) {
        case At::MidLine:
        case At::Homing:
            ASSERT_TRUE(gate_->waitUntilParked());
            ::kill(::getpid(), case_.first);
            untilSeen();
            gate_->release();
            break;
        case At::SafeEnd:
            ASSERT_TRUE(gate_->waitUntilParked());
            gate_->parkAtNext(Register::Control, kPenUpControl); // the first write of the end
            ::kill(::getpid(), case_.first);
            untilSeen();
            gate_->release();
            ASSERT_TRUE(gate_->waitUntilParked());
            ::kill(::getpid(), case_.second);
            gate_->release();
            break;
        case At::RightAfter:
            ASSERT_TRUE(gate_->waitUntilParked());
            ::kill(::getpid(), case_.first);
            untilSeen();
            ::kill(::getpid(), case_.second);
            gate_->release();
            break;
        case At::PenChange:
            EXPECT_NE(question().find("Put in pen 2"), std::string::npos);
            ::kill(::getpid(), case_.first);
            break;
        case At::TerminalStop:
            ASSERT_TRUE(gate_->waitUntilParked());
            ::kill(::getpid(), SIGTSTP);
            gate_->release();
            break;
        case At::TerminalGoOn:
            ASSERT_TRUE(gate_->waitUntilParked());
            ::kill(::getpid(), SIGTSTP);
            gate_->release();
            EXPECT_NE(question().find("The draw is paused"), std::string::npos);
            ASSERT_EQ(::write(operator_, "\n", 1), 1);
            EXPECT_NE(question().find("Put in pen 2"), std::string::npos);
            ASSERT_EQ(::write(operator_, "\n", 1), 1);
            break;
        case At::TerminalGone:
            EXPECT_NE(question().find("Put in pen 2"), std::string::npos);
            ::close(std::exchange(operator_, -1));
            break;
        case At::PenChangeFault: break;
        case At::FileChanged:
            ASSERT_TRUE(gate_->waitUntilParked());
            writeFile(folder_ / "plot.plt", std::string(kTwoLinesAndPenChange) + "PU0,0;PD30000,30000;");
            gate_->release();
            EXPECT_NE(question().find("Put in pen 2"), std::string::npos);
            ASSERT_EQ(::write(operator_, "\n", 1), 1);
            break;
        }
    }

    const SignalCase case_;
    TempFolder folder_;
    CliOptions options_;
    std::optional<VirtualPlotter> plotter_;
    std::shared_ptr<WriteGate> gate_ = std::make_shared<WriteGate>();
    int terminal_[2] = {-1, -1}; // the tool's end, the operator's end
    int operator_ = -1;
    bool penUpWhenStopped_ = false;
};

class DrawSignals : public ::testing::TestWithParam<SignalCase> {};

TEST_P(DrawSignals, EndWithThePenUpAndTheCoilsOff)
{
    const SignalCase& c = GetParam();
    SignalledDraw draw(c);
    ::testing::internal::CaptureStdout();
    const int status = draw.run();
    const std::string out = ::testing::internal::GetCapturedStdout();

    EXPECT_EQ(status, c.status);
    if (c.at != At::PenChangeFault) { // a broken port takes no more writes
        EXPECT_EQ(draw.plotter().controlLatch(), kPenUpControl) << "the pen is down";
        EXPECT_EQ(draw.plotter().dataLatch(), kAllCoilsOff) << "the coils are on";
    }
    EXPECT_EQ(out.find("Stopped at point") != std::string::npos, c.status != 0) << out;
    if (c.at == At::FileChanged) { // the draw draws what its test read, no more
        EXPECT_EQ(out.find("Points: 4"), std::string::npos) << out;
        EXPECT_LE(draw.plotter().yMillimetres(), 30 + 100 + 0.5);
    }
    if (c.at == At::TerminalStop || c.at == At::TerminalGoOn) {
        EXPECT_TRUE(draw.penUpWhenStopped()) << "the tool stopped with the pen on the paper";
    }
}

INSTANTIATE_TEST_SUITE_P(Moments, DrawSignals,
                         ::testing::Values(SignalCase{"IntMidLine", At::MidLine, SIGINT, 0, 130},
                                           SignalCase{"QuitMidLine", At::MidLine, SIGQUIT, 0, 131},
                                           SignalCase{"Usr1MidLine", At::MidLine, SIGUSR1, 0, 128 + SIGUSR1},
                                           SignalCase{"AlrmMidLine", At::MidLine, SIGALRM, 0, 128 + SIGALRM},
                                           SignalCase{"TermInHoming", At::Homing, SIGTERM, 0, 143},
                                           SignalCase{"Usr2InHoming", At::Homing, SIGUSR2, 0, 128 + SIGUSR2},
                                           SignalCase{"QuitAtPenChange", At::PenChange, SIGQUIT, 0, 131},
                                           SignalCase{"HupAtPenChange", At::PenChange, SIGHUP, 0, 129},
                                           SignalCase{"TermWhileStoppedByCtrlZ", At::TerminalStop, SIGTERM, 0, 143},
                                           SignalCase{"CtrlZThenFgAndEnter", At::TerminalGoOn, 0, 0, 0},
                                           SignalCase{"IntThenIntInTheSafeEnd", At::SafeEnd, SIGINT, SIGINT, 130},
                                           SignalCase{"IntThenTermInTheSafeEnd", At::SafeEnd, SIGINT, SIGTERM, 130},
                                           SignalCase{"HupThenIntInTheSafeEnd", At::SafeEnd, SIGHUP, SIGINT, 129},
                                           SignalCase{"TermThenHupRightAfter", At::RightAfter, SIGTERM, SIGHUP, 143},
                                           SignalCase{"IntThenIntRightAfter", At::RightAfter, SIGINT, SIGINT, 130},
                                           SignalCase{"TerminalClosedAtPenChange", At::TerminalGone, 0, 0, 129},
                                           SignalCase{"PortFaultAtPenChange", At::PenChangeFault, 0, 0, 6},
                                           SignalCase{"PlotFileChangedDuringTheDraw", At::FileChanged, 0, 0, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex::cli::testing
