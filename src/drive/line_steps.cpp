// Conversion of plotter units to whole motor steps, and the output count of a line.
#include "drive/line_steps.h"

#include "common/number_text.h"

#include <cmath>
#include <limits>

namespace orlex {

namespace {

constexpr double kMillimetresPerUnit = 0.025; // one plotter unit

StepConversion refuse(MoveRefusal refusal, std::string reason)
{
    StepConversion c;
    c.refusal = refusal;
    c.reason = std::move(reason);
    return c;
}

} // namespace

StepConversion unitsToSteps(double units, double stepLength, bool halfStep, std::int16_t zoom, char axis)
{
    // Names for the operator's messages, built only when a conversion is refused.
    const auto prefix = [axis] { return axis ? std::string("The ") + axis + " " : std::string("The "); };
    const auto lengthName = [&prefix, axis] {
        return prefix() + "step length"
               + (axis ? std::string(" (Lstep") + static_cast<char>(axis - 'A' + 'a') + ")" : "");
    };

    // A negative length would mirror the drawing and drive the carriage the wrong way,
    // so it is refused like a zero length.
    if (!(stepLength > 0) || !std::isfinite(stepLength))
        return refuse(MoveRefusal::ZeroStepLength,
                      lengthName() + " is " + numberText(stepLength)
                          + "; it must be above 0 (hundredths of a millimetre per full step).");
    if (!std::isfinite(units))
        return refuse(MoveRefusal::NotANumber,
                      prefix() + "coordinate " + numberText(units) + " is not a finite number.");

    const double rounded = roundedSteps(units, stepLength, halfStep, zoom);
    if (!stepsInRange(rounded))
        return refuse(MoveRefusal::OutOfRange, prefix() + "coordinate " + numberText(units) + " needs "
                                                   + numberText(rounded)
                                                   + " steps; only -32768 to 32767 steps can be reached.");

    StepConversion c;
    c.steps = static_cast<std::int16_t>(rounded);
    return c;
}

double roundedSteps(double units, double stepLength, bool halfStep, std::int16_t zoom)
{
    // One step is stepLength / 200 mm in half-step mode, stepLength / 100 mm in full step.
    const double divisor = halfStep ? 200.0 : 100.0;
    return std::nearbyint(((units * kMillimetresPerUnit) / (stepLength / divisor)) * (zoom / 100.0));
}

bool stepsInRange(double rounded)
{
    return rounded >= std::numeric_limits<std::int16_t>::min() && rounded <= std::numeric_limits<std::int16_t>::max();
}

long countOutputs(long dX, long dY)
{
    // The leading axis steps at every output, and the accumulated fraction never falls
    // behind by more than the one step an output can make up, so the catch-up loop has
    // nothing left to do: a line takes max(dX, dY) outputs. The tests compare this with
    // interpolate() itself on every line up to 60 by 60 steps and on lines sampled across
    // the 16-bit range; the test run relies on it being O(1), since it counts every point
    // of a file.
    return dX > dY ? dX : dY;
}

} // namespace orlex
