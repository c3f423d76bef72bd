// Signals during a draw. The handler only records them; the draw session notices them
// between steps and ends the draw through its safe end. Once the first signal that would
// end the tool has come, later ones are counted and otherwise ignored, so that nothing
// cuts the safe end short; the tool then exits with the first signal's status. Ctrl-Z
// (SIGTSTP) is recorded as a request to pause the draw and then stop the tool.
#pragma once

#include <atomic>

namespace orlex::cli {

// Installs the handler for as long as it lives, with nothing recorded yet, and puts the
// default actions back when it goes.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
};

// The first signal that asks the tool to end (SIGINT, SIGTERM, SIGHUP, SIGQUIT, ...), or 0.
int interruptSignal();
// The same, as the flag the handler sets (for Drive::alsoStopWhen).
const std::atomic<int>& interruptFlag();

// Treats a hang-up found some other way (the terminal gone while a prompt reads it) as
// SIGHUP, unless another signal came first.
void noteHangUp();

// True once for every Ctrl-Z since the last call.
bool takeTerminalStop();

} // namespace orlex::cli
