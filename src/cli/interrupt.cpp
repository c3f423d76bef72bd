// Signal handlers that set flags and nothing else (async-signal-safe).
#include "cli/interrupt.h"

#include <csignal>

namespace orlex::cli {

namespace {

volatile std::sig_atomic_t g_signal = 0;
volatile std::sig_atomic_t g_count = 0;

extern "C" void onInterrupt(int signal)
{
    g_signal = signal;
    g_count = g_count + 1;
}

} // namespace

void installInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int interruptSignal()
{
    return g_signal;
}

int interruptCount()
{
    return g_count;
}

} // namespace orlex::cli
