// The handler set and the defaults put back for every signal that would end the program.
#include "common/termination_signals.h"

#include <csignal>

namespace orlex {

namespace {

// The classic signals whose default action ends the process (SIGPIPE and SIGXFSZ are
// ignored instead; see installTerminationHandler).
constexpr int kClassicEndingSignals[] = {SIGHUP,    SIGINT,  SIGQUIT,   SIGUSR1, SIGUSR2, SIGALRM, SIGTERM,
                                         SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR};

// Every ending signal and SIGTSTP, without allocating (the handler may call this).
template <class Fn>
void forEachHandledSignal(Fn fn)
{
    for (int s : kClassicEndingSignals)
        fn(s);
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s)
        fn(s);
    fn(SIGTSTP);
}

// While a handler runs, the other handled signals wait: a second signal must not
// interrupt the first one's handler on the same thread before it has recorded the first.
void setAction(int signal, void (*handler)(int), int flags)
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    if (handler != SIG_DFL && handler != SIG_IGN)
        forEachHandledSignal([&action](int s) { sigaddset(&action.sa_mask, s); });
    action.sa_flags = flags;
    sigaction(signal, &action, nullptr);
}

} // namespace

static_assert(kTerminalStopSignal == SIGTSTP);

std::vector<int> endingSignals()
{
    std::vector<int> signals(std::begin(kClassicEndingSignals), std::end(kClassicEndingSignals));
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s)
        signals.push_back(s);
    return signals;
}

void installTerminationHandler(void (*handler)(int))
{
    forEachHandledSignal([handler](int s) { setAction(s, handler, SA_RESTART); });
    setAction(SIGPIPE, SIG_IGN, 0);
    setAction(SIGXFSZ, SIG_IGN, 0);
}

void restoreTerminationDefaults()
{
    forEachHandledSignal([](int s) { setAction(s, SIG_DFL, 0); });
    setAction(SIGPIPE, SIG_DFL, 0);
    setAction(SIGXFSZ, SIG_DFL, 0);
}

void stopProcess()
{
    ::raise(SIGSTOP);
}

} // namespace orlex
