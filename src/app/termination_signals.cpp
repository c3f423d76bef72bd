// A self-pipe that carries the ending signals and SIGTSTP from their handler to the event loop.
#include "app/termination_signals.h"

#include "common/termination_signals.h"

#include <QSocketNotifier>

#include <array>
#include <atomic>

#include <fcntl.h>
#include <unistd.h>

namespace orlex::app {

namespace {

std::array<int, 2> g_pipe{-1, -1};

// The first ending signal, taken by whichever thread's handler got there first: only
// that one goes into the pipe, so the program's exit status is the first signal's even
// when two arrive on different threads at once.
std::atomic<int> g_firstEnding{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void recordSignal(int signal)
{
    // Only async-signal-safe calls.
    int none = 0;
    if (signal != kTerminalStopSignal && !g_firstEnding.compare_exchange_strong(none, signal))
        return; // the program is ending already and ignores later ones
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::pipe2(g_pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return; // the signals keep their default action
    notifier_ = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readPipe);

    installTerminationHandler(recordSignal);
}

TerminationSignals::~TerminationSignals()
{
    restoreTerminationDefaults();
}

void TerminationSignals::readPipe()
{
    unsigned char number = 0;
    while (::read(g_pipe[0], &number, 1) == 1)
        emit received(number);
}

} // namespace orlex::app
