// lineTo: pen command, then a straight line to a target, stepped out on the port.
#include "drive/drive.h"

#include <cstdlib>

namespace orlex {

namespace {

int directionOf(long difference)
{
    return difference > 0 ? 1 : difference < 0 ? -1 : 0;
}

} // namespace

MoveResult Drive::lineTo(const StepTarget& target, Pen pen)
{
    MoveResult result;
    if (stopRequested()) { // the run is ending: not even the pen moves
        result.stopped = true;
        return result;
    }
    if (!target.ok()) {
        result.refusal = target.refusal;
        result.reason = target.reason;
        return result; // nothing is written
    }
    return stepTo(target.x, target.y, pen);
}

MoveResult Drive::stepTo(std::int16_t x, std::int16_t y, Pen pen)
{
    MoveResult result;
    // The pen is written and given four cycles on every call, even for an empty move.
    if (pen == Pen::Down)
        penDown();
    else
        penUp();
    ++counters.penCommands;
    waitClockCycles(kPenSettleCycles);
    if (stopRequested() || !holdWhilePaused(pen)) {
        result.stopped = true;
        return result;
    }

    // Up to 65535 steps apart (32767 to -32768): long, not 16 bits. positionX/positionY hold
    // whole numbers, so the differences are exact.
    long dX = static_cast<long>(x - state.positionX);
    long dY = static_cast<long>(y - state.positionY);
    state.directionX = directionOf(dX);
    state.directionY = static_cast<std::int16_t>(directionOf(dY));
    dX = std::labs(dX);
    dY = std::labs(dY);

    // One or two single steps, one port write, the two-cycle wait; nothing else.
    interpolate(dX, dY, [this, &result, pen](bool moveX, bool moveY) {
        if (moveX)
            stepX();
        if (moveY)
            stepY();
        energiseCoils();
        ++counters.stepOutputs;
        waitClockCycles(kStepCycles);
        if (stopRequested() || !holdWhilePaused(pen)) {
            result.stopped = true;
            return false;
        }
        return true;
    });
    return result;
}

bool Drive::holdWhilePaused(Pen pen)
{
    if (!pauseRequested())
        return !stopRequested();
    penUp();
    port_->flush(); // the lift is on record before the hold is told
    holding_.store(true, std::memory_order_release);
    holdsBegun_.fetch_add(1, std::memory_order_release);
    for (;;) {
        const std::uint32_t seen = commands_.load(std::memory_order_acquire);
        if (!pauseRequested() || stopRequested())
            break;
        commands_.wait(seen, std::memory_order_acquire); // until the next command
    }
    holding_.store(false, std::memory_order_release);
    if (stopRequested())
        return false;
    if (pen == Pen::Down) {
        penDown();
        waitClockCycles(kPenSettleCycles);
    }
    return !stopRequested();
}

} // namespace orlex
