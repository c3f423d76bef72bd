// Homing against the two switches, bounded by the axis travel, and the move to the origin.
#include "drive/drive.h"

#include "common/number_text.h"

#include <cmath>
#include <optional>
#include <tuple>
#include <utility>

namespace orlex {

namespace {

struct HomingBound {
    long steps = 0;      // steps towards the switch before giving up
    double travelMm = 0; // the axis travel, for the message
};

// The axis travel in steps of the current mode (Max * 100 / Lstep full steps, * 200 half
// steps) plus 10 %. The settings hold a step length above 0 and a reachable travel.
HomingBound homingBound(double travelMm, double stepLength, bool halfStep)
{
    const double steps = std::nearbyint(travelMm * (halfStep ? 200.0 : 100.0) / stepLength * 1.1);
    return HomingBound{steps > 0 ? static_cast<long>(steps) : 0, travelMm};
}

// Steps taken towards each switch so far, the diagonal phase included, and their bounds.
struct HomingProgress {
    HomingBound boundX, boundY;
    long stepsX = 0, stepsY = 0;
};

HomeResult switchNeverClosed(char axis, long steps, const HomingBound& bound)
{
    HomeResult result{HomeResult::Outcome::SwitchNeverClosed};
    result.axis = axis;
    result.steps = steps;
    result.travelMm = bound.travelMm;
    return result;
}

// Steps the axes asked for, together, while every one of their switches is open: one
// step each, one coil byte, the two-cycle wait, then the switches read again. Returns how
// the homing ended when it cannot go on: a switch that does not close within its bound,
// or a stop request.
std::optional<HomeResult> stepWhileSwitchesOpen(Drive& drive, bool moveX, bool moveY, HomingProgress& p)
{
    DriveState& s = drive.state;
    while ((!moveX || s.xSwitch != 0) && (!moveY || s.ySwitch != 0)) {
        if (moveX && p.stepsX >= p.boundX.steps)
            return switchNeverClosed('X', p.stepsX, p.boundX);
        if (moveY && p.stepsY >= p.boundY.steps)
            return switchNeverClosed('Y', p.stepsY, p.boundY);
        if (moveX) {
            drive.stepX();
            ++p.stepsX;
        }
        if (moveY) {
            drive.stepY();
            ++p.stepsY;
        }
        drive.energiseCoils();
        drive.waitClockCycles(kStepCycles);
        drive.readHomeSwitches();
        if (drive.stopRequested() || !drive.holdWhilePaused(Pen::Up))
            return HomeResult{HomeResult::Outcome::Stopped};
    }
    return std::nullopt;
}

} // namespace

std::string HomeResult::message() const
{
    switch (outcome) {
    case Outcome::Homed: return {};
    case Outcome::NotConnected: return kNotConnectedText;
    case Outcome::Stopped: return "Homing stopped before the pen reached home.";
    case Outcome::SwitchNeverClosed: break;
    }
    const std::string name(1, axis);
    std::string text =
        "Homing stopped: the " + name + " home switch did not close after " + std::to_string(steps) + " steps";
    if (travelMm > 0)
        text += " (more than the " + name + " travel of " + numberText(travelMm) + " mm)";
    return text + ". Check the switch and its wiring.";
}

void Drive::readHomeSwitches()
{
    const std::uint8_t v = readStatus();
    state.ySwitch = (v & kYHomeSwitch) != 0 ? 1 : 0;
    state.xSwitch = (v & kXHomeSwitch) != 0 ? 1 : 0;
}

HomeResult Drive::home()
{
    // Without the plotter's clock every step delay would wait for ever.
    if (!state.connected)
        return HomeResult{HomeResult::Outcome::NotConnected};

    // Nothing but a pen-down drawing move happens with the pen down.
    liftPenAndSettle();
    if (stopRequested())
        return HomeResult{HomeResult::Outcome::Stopped};

    state.carriageKnown = false; // until the switches close
    const bool half = halfStep();
    HomingProgress progress{homingBound(settings_.travelXmm, settings_.stepLengthX, half),
                            homingBound(settings_.travelYmm, settings_.stepLengthY, half)};
    readHomeSwitches();
    state.directionX = -1;
    state.directionY = -1;
    // Diagonally until the first switch closes, then each axis alone.
    for (const auto& [moveX, moveY] : {std::pair{true, true}, {true, false}, {false, true}})
        if (const std::optional<HomeResult> ended = stepWhileSwitchesOpen(*this, moveX, moveY, progress))
            return *ended;

    // Home: the position is known from here on.
    state.carriageKnown = true;
    state.carriageXmm = 0;
    state.carriageYmm = 0;
    // Back off four steps on both axes; the switches are not read again.
    state.directionX = 1;
    state.directionY = 1;
    for (int i = 0; i < kBackOffSteps; ++i) {
        stepY();
        stepX();
        energiseCoils();
        waitClockCycles(kBackOffCycles);
        if (stopRequested() || !holdWhilePaused(Pen::Up))
            return HomeResult{HomeResult::Outcome::Stopped};
    }
    return HomeResult{};
}

MoveResult Drive::moveToOrigin(const StepPair& target)
{
    state.positionX = 0;
    state.positionY = 0;
    if (stopRequested()) {
        MoveResult stopped;
        stopped.stopped = true;
        return stopped;
    }
    for (const auto& [axis, steps, length] :
         {std::tuple{'X', target.x, settings_.stepLengthX}, std::tuple{'Y', target.y, settings_.stepLengthY}}) {
        MoveResult refused;
        // A step length not above 0 is refused in the words of every other move.
        if (const StepConversion usable = unitsToSteps(0, length, halfStep(), 100, axis);
            usable.refusal != MoveRefusal::None) {
            refused.refusal = usable.refusal;
            refused.reason = usable.reason;
            return refused;
        }
        if (!stepsInRange(steps)) {
            refused.refusal = MoveRefusal::OutOfRange;
            refused.reason = std::string("The ") + axis + " move to the origin needs " + numberText(steps)
                             + " steps; only -32768 to 32767 steps can be reached.";
            return refused;
        }
    }
    return stepTo(static_cast<std::int16_t>(target.x), static_cast<std::int16_t>(target.y), Pen::Up);
}

} // namespace orlex
