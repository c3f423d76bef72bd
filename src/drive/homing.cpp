// Homing against the two switches, bounded by the axis travel, and the move to the origin.
#include "drive/drive.h"

#include "common/number_text.h"

#include <cmath>

namespace orlex {

namespace {

struct HomingBound {
    long steps = 0;       // steps towards the switch before giving up
    double travelMm = 0;  // the axis travel, for the message
};

// The axis travel in steps of the current mode (Max * 100 / Lstep full steps, * 200 half
// steps) plus 10 %. The settings hold a step length above 0 and a reachable travel.
HomingBound homingBound(double travelMm, double stepLength, bool halfStep)
{
    const double steps = std::nearbyint(travelMm * (halfStep ? 200.0 : 100.0) / stepLength * 1.1);
    return HomingBound{steps > 0 ? static_cast<long>(steps) : 0, travelMm};
}

} // namespace

std::string HomeResult::message() const
{
    switch (outcome) {
    case Outcome::Homed:
        return {};
    case Outcome::NotConnected:
        return kNotConnectedText;
    case Outcome::Stopped:
        return "Homing stopped before the pen reached home.";
    case Outcome::SwitchNeverClosed:
        break;
    }
    const std::string name(1, axis);
    std::string text = "Homing stopped: the " + name + " home switch did not close after "
                       + std::to_string(steps) + " steps";
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
    HomeResult result;
    // Without the plotter's clock every step delay would wait for ever.
    if (!state.connected) {
        result.outcome = HomeResult::Outcome::NotConnected;
        return result;
    }

    const bool half = halfStep();
    const HomingBound boundX = homingBound(settings_.travelXmm, settings_.stepLengthX, half);
    const HomingBound boundY = homingBound(settings_.travelYmm, settings_.stepLengthY, half);
    long stepsX = 0; // steps taken towards each switch, the diagonal phase included
    long stepsY = 0;

    auto giveUp = [&result](char axis, long steps, const HomingBound& bound) {
        result.outcome = HomeResult::Outcome::SwitchNeverClosed;
        result.axis = axis;
        result.steps = steps;
        result.travelMm = bound.travelMm;
        return result;
    };
    auto stopped = [&result]() {
        result.outcome = HomeResult::Outcome::Stopped;
        return result;
    };

    // Nothing but a pen-down drawing move happens with the pen down.
    liftPenAndSettle();
    if (stopRequested())
        return stopped();

    readHomeSwitches();
    state.directionX = -1;
    state.directionY = -1;

    // Diagonally until the first switch closes.
    while (state.xSwitch != 0 && state.ySwitch != 0) {
        if (stepsX >= boundX.steps)
            return giveUp('X', stepsX, boundX);
        if (stepsY >= boundY.steps)
            return giveUp('Y', stepsY, boundY);
        stepX();
        stepY();
        energiseCoils();
        waitClockCycles(kStepCycles);
        ++stepsX;
        ++stepsY;
        readHomeSwitches();
        if (stopRequested())
            return stopped();
    }
    while (state.xSwitch != 0) {
        if (stepsX >= boundX.steps)
            return giveUp('X', stepsX, boundX);
        stepX();
        energiseCoils();
        waitClockCycles(kStepCycles);
        ++stepsX;
        readHomeSwitches();
        if (stopRequested())
            return stopped();
    }
    while (state.ySwitch != 0) {
        if (stepsY >= boundY.steps)
            return giveUp('Y', stepsY, boundY);
        stepY();
        energiseCoils();
        waitClockCycles(kStepCycles);
        ++stepsY;
        readHomeSwitches();
        if (stopRequested())
            return stopped();
    }

    // Back off four steps on both axes; the switches are not read again.
    state.directionX = 1;
    state.directionY = 1;
    for (int i = 0; i < 4; ++i) {
        stepY();
        stepX();
        energiseCoils();
        waitClockCycles(kBackOffCycles);
        if (stopRequested())
            return stopped();
    }
    return result;
}

MoveResult Drive::moveToOrigin(double plotMinX, double plotMinY, std::int16_t zoom)
{
    state.positionX = 0;
    state.positionY = 0;
    // Millimetres to plotter units (40 per mm), with the zoom that lineTo applies
    // taken out again, so the pen moves |plotMin| millimetres on paper.
    const double y = (std::fabs(plotMinY) * 40) / (zoom / 100.0);
    const double x = (std::fabs(plotMinX) * 40) / (zoom / 100.0);
    return lineTo(x, y, Pen::Up, zoom);
}

} // namespace orlex
