// A signal that would end the window's program ends it as File > Exit does: the pen up,
// then every coil off, the trace written out, exit 128 + the first signal's number; a
// second signal right after the first does not cut that short.
#include "cli_runner.h"
#include "trace_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace orlex::cli::testing {
namespace {

// Whether `signal` is in the mask of a line of /proc/PID/status ("SigCgt:", "ShdPnd:").
bool inMask(pid_t pid, const std::string& field, int signal)
{
    std::istringstream status(readFile("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) {
            const unsigned long long mask = std::stoull(line.substr(field.size()), nullptr, 16);
            return (mask >> (signal - 1)) & 1;
        }
    }
    return false;
}

// True once the process catches `signal` (its handler is installed).
bool catches(pid_t pid, int signal)
{
    return inMask(pid, "SigCgt:", signal);
}

struct SignalPair {
    int first;
    int second; // 0: none
};

class WindowSignal : public ::testing::TestWithParam<SignalPair> {};

TEST_P(WindowSignal, EndsTheProgramSafely)
{
    const int signal = GetParam().first;
    TempFolder folder;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    CliProcess process(folder.path(), {"--simulate", "--trace", "trace.csv"}, ORLEX_APP_BINARY);
    ASSERT_GT(process.pid(), 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!catches(process.pid(), signal) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(catches(process.pid(), signal)) << readFile(process.errFile());

    ASSERT_EQ(::kill(process.pid(), signal), 0);
    if (GetParam().second != 0) {
        // Two signals pending at once are taken lowest number first, so the second is
        // sent once the first has been taken.
        while (inMask(process.pid(), "ShdPnd:", signal))
            std::this_thread::yield();
        ASSERT_EQ(::kill(process.pid(), GetParam().second), 0);
    }
    const CliResult result = process.wait();

    EXPECT_EQ(result.status, 128 + signal) << result.err;
    const std::vector<TraceLine> trace = readTrace(folder / "trace.csv");
    ASSERT_EQ(trace.size(), 3u) << readFile(folder / "trace.csv"); // start-up pen up, then the end
    EXPECT_EQ(trace.front().reg, "control");
    EXPECT_TRUE(endsSafely(trace));
}

INSTANTIATE_TEST_SUITE_P(Signals, WindowSignal,
                         ::testing::Values(SignalPair{SIGINT, 0}, SignalPair{SIGTERM, 0}, SignalPair{SIGHUP, 0},
                                           SignalPair{SIGQUIT, 0}, SignalPair{SIGUSR1, 0}, SignalPair{SIGALRM, 0},
                                           SignalPair{SIGINT, SIGINT}, SignalPair{SIGTERM, SIGHUP}),
                         [](const auto& row) {
                             return std::string(sigabbrev_np(row.param.first))
                                    + (row.param.second ? std::string("Then") + sigabbrev_np(row.param.second) : "");
                         });

} // namespace
} // namespace orlex::cli::testing
