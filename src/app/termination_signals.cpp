// A self-pipe that carries SIGINT, SIGTERM and SIGHUP from their handler to the event loop.
#include "app/termination_signals.h"

#include <QSocketNotifier>

#include <array>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace orlex::app {

namespace {

std::array<int, 2> g_pipe{-1, -1};
constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

extern "C" void recordSignal(int signal)
{
    // Only async-signal-safe calls: the default action comes back for the next signal.
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    for (int s : kSignals)
        sigaction(s, &defaultAction, nullptr);
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

    struct sigaction action {};
    action.sa_handler = recordSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    for (int s : kSignals)
        sigaction(s, &defaultAction, nullptr);
}

void TerminationSignals::readPipe()
{
    unsigned char number = 0;
    while (::read(g_pipe[0], &number, 1) == 1)
        emit received(number);
}

} // namespace orlex::app
