// Ctrl-C (SIGINT), SIGTERM and SIGHUP during a draw: the handler only records the signal;
// the draw loop notices it between steps and ends the run itself. A second signal ends
// the tool at once.
#pragma once

namespace orlex::cli {

void installInterruptHandlers();

// The signal that arrived (SIGINT, SIGTERM, SIGHUP), or 0.
int interruptSignal();

} // namespace orlex::cli
