// waitClockCycles: waits a number of cycles of the plotter's clock on status bit 7.
#include "drive/drive.h"

#include <thread>

namespace orlex {

// A cycle counts when a reading of 128 or more is followed by one of 128 or less. The
// thresholds overlap on purpose: a status of exactly 128 both starts and ends a cycle.
// A stop request is looked at before every status read: it ends the wait at once, also
// on a clock line that never toggles, and the caller then ends its run.
void Drive::waitClockCycles(std::int16_t cycles)
{
    for (std::int16_t n = 0; n < cycles;) {
        if (stopRequested())
            return;
        if (readStatus() >= kClockLine) {
            for (;;) {
                if (stopRequested())
                    return;
                if (readStatus() <= kClockLine)
                    break;
                if (shareProcessor_)
                    std::this_thread::yield();
            }
            ++n;
        } else if (shareProcessor_) {
            std::this_thread::yield();
        }
    }
}

std::optional<long> Drive::countStepWaits(std::chrono::milliseconds span)
{
    const auto end = std::chrono::steady_clock::now() + span;
    long count = 0;
    while (std::chrono::steady_clock::now() < end) {
        waitClockCycles(kStepCycles);
        if (stopRequested())
            return std::nullopt;
        ++count;
    }
    return count;
}

} // namespace orlex
