// checkPresence: the presence test, which looks for one toggle of the plotter's clock line.
#include "drive/drive.h"

namespace orlex {

// Up to 100000 status reads, flat out and without letting events run. Success needs
// the clock seen high (128 or more) and then low (below 128).
bool Drive::checkPresence()
{
    constexpr long kMaxReads = 100000;
    int lastHigh = 127;
    for (long i = 0; i < kMaxReads; ++i) {
        const int v = readStatus();
        if (v >= kClockLine)
            lastHigh = v;
        if (lastHigh >= kClockLine && v < kClockLine) {
            state.connected = true;
            return true;
        }
    }
    state.connected = false;
    return false;
}

} // namespace orlex
