// Signal handlers that record the signal and nothing else (async-signal-safe).
#include "cli/interrupt.h"

#include "common/termination_signals.h"

#include <csignal>

namespace orlex::cli {

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void onInterrupt(int signal)
{
    g_signal = signal;
    restoreTerminationDefaults(); // so a second signal ends the tool at once
}

} // namespace

void installInterruptHandlers()
{
    installTerminationHandler(onInterrupt);
    // A closed output pipe must not kill the tool before it has made the machine safe.
    std::signal(SIGPIPE, SIG_IGN);
}

int interruptSignal()
{
    return g_signal;
}

} // namespace orlex::cli
