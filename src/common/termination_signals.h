// SIGINT, SIGTERM and SIGHUP, the signals that ask a program to end: setting a handler for
// all three, and putting their default action back.
#pragma once

namespace orlex {

// Sets `handler` for the three signals, with SA_RESTART.
void installTerminationHandler(void (*handler)(int));

// Puts the default action of the three back. Async-signal-safe: a handler calls it so that
// a second signal while the program is ending ends it at once.
void restoreTerminationDefaults();

} // namespace orlex
