// Ctrl-C (SIGINT) and SIGTERM during a draw: the handler only records the signal; the
// draw loop notices it between steps and ends the run itself.
#pragma once

namespace orlex::cli {

void installInterruptHandlers();

// The signal that arrived (SIGINT, SIGTERM), or 0.
int interruptSignal();

// How many such signals arrived; a second one asks to end at once.
int interruptCount();

} // namespace orlex::cli
