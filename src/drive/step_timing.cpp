// waitClockCycles: waits a number of cycles of the plotter's clock on status bit 7.
#include "drive/drive.h"

namespace orlex {

// A cycle counts when a reading of 128 or more is followed by one of 128 or less. The
// thresholds overlap on purpose: a status of exactly 128 both starts and ends a cycle.
// Pending events run at a bounded rate (EventPacer), normally right after a cycle ended,
// where a handler has the most time before the next high phase must be seen; on a clock
// that does not toggle, also while waiting for either level. There is no timeout: a
// clock line that never toggles keeps waitClockCycles polling, while the window stays responsive
// through the events it lets run, until a stop request (Stop, Esc, a signal) ends the
// wait at once; the caller then ends its run.
void Drive::waitClockCycles(std::int16_t cycles)
{
    for (std::int16_t n = 0; n < cycles && !stopRequested_;) {
        if (readStatus() >= kClockLine) {
            while (readStatus() > kClockLine) {
                pacer_.poll(hooks_.processEvents);
                if (stopRequested_)
                    return;
            }
            ++n;
            pacer_.atEdge(hooks_.processEvents);
            continue;
        }
        pacer_.poll(hooks_.processEvents);
    }
}

} // namespace orlex
