// The signals that would end the program or stop it at a terminal: setting one handler for
// all of them, and putting their default actions back. A program that runs a machine
// catches every one of them, so that however it is asked to end, it ends through its safe
// end (pen up, coils off, trace closed).
#pragma once

#include <vector>

namespace orlex {

// Every catchable signal whose default action ends the process and that another process
// or the terminal sends: SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM,
// SIGVTALRM, SIGPROF, SIGXCPU, SIGIO, SIGPWR, SIGSTKFLT and the real-time signals. Not
// the signals a fault raises (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT),
// after which nothing of the program can be trusted.
std::vector<int> endingSignals();

// SIGTSTP, Ctrl-Z at the terminal: the program lifts the pen first and then stops itself.
// (SIGTTIN and SIGTTOU keep their default: a caught SIGTTOU would be raised again and
// again by every write of a background process to its terminal.)
inline constexpr int kTerminalStopSignal = 20; // SIGTSTP on Linux

// Sets `handler` for every ending signal and for SIGTSTP, with SA_RESTART. SIGPIPE and
// SIGXFSZ are ignored, so that a write to a closed pipe or past the file size limit fails
// with an error the writer reports instead of ending the program.
void installTerminationHandler(void (*handler)(int));

// Puts the default action of all of them back. Async-signal-safe.
void restoreTerminationDefaults();

// Stops the process as SIGTSTP's default action would (SIGSTOP); returns once it is
// continued (SIGCONT, the shell's fg).
void stopProcess();

} // namespace orlex
