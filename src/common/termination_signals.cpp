// The handler set and the default put back for SIGINT, SIGTERM and SIGHUP alike.
#include "common/termination_signals.h"

#include <array>
#include <csignal>

namespace orlex {

namespace {

constexpr std::array<int, 3> kTerminationSignals{SIGINT, SIGTERM, SIGHUP};

void setAction(void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = flags;
    for (int s : kTerminationSignals)
        sigaction(s, &action, nullptr);
}

} // namespace

void installTerminationHandler(void (*handler)(int))
{
    setAction(handler, SA_RESTART);
}

void restoreTerminationDefaults()
{
    setAction(SIG_DFL, 0);
}

} // namespace orlex
