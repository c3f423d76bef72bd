// Signal handlers that record the signal and nothing else (async-signal-safe).
#include "cli/interrupt.h"

#include <array>
#include <csignal>

namespace orlex::cli {

namespace {

volatile std::sig_atomic_t g_signal = 0;
constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

extern "C" void onInterrupt(int signal)
{
    g_signal = signal;
    // The default action comes back, so a second signal ends the tool at once.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    for (int s : kSignals)
        sigaction(s, &defaultAction, nullptr);
}

} // namespace

void installInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &action, nullptr);
    // A closed output pipe must not kill the tool before it has made the machine safe.
    std::signal(SIGPIPE, SIG_IGN);
}

int interruptSignal()
{
    return g_signal;
}

} // namespace orlex::cli
