// Signal handlers that record the signal and nothing else (async-signal-safe).
#include "cli/interrupt.h"

#include "common/termination_signals.h"

#include <atomic>
#include <csignal>

namespace orlex::cli {

namespace {

// Lock-free, so the handler may touch them; read by the session's threads.
std::atomic<int> g_firstSignal{0};
std::atomic<int> g_terminalStops{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onSignal(int signal)
{
    if (signal == SIGTSTP) {
        g_terminalStops.fetch_add(1);
        return;
    }
    int none = 0;
    g_firstSignal.compare_exchange_strong(none, signal); // later ones change nothing
}

} // namespace

InterruptWatch::InterruptWatch()
{
    g_firstSignal.store(0);
    g_terminalStops.store(0);
    installTerminationHandler(onSignal);
}

InterruptWatch::~InterruptWatch()
{
    restoreTerminationDefaults();
}

int interruptSignal()
{
    return g_firstSignal.load();
}

const std::atomic<int>& interruptFlag()
{
    return g_firstSignal;
}

void noteHangUp()
{
    int none = 0;
    g_firstSignal.compare_exchange_strong(none, SIGHUP);
}

bool takeTerminalStop()
{
    int pending = g_terminalStops.load();
    while (pending > 0)
        if (g_terminalStops.compare_exchange_weak(pending, 0))
            return true;
    return false;
}

} // namespace orlex::cli
