// Conversion of plotter units to whole motor steps, and the output count of a line.
#include "drive/line_steps.h"

#include "common/number_text.h"

#include <cmath>
#include <limits>
#include <tuple>

namespace orlex {

namespace {

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

StepTarget pointSteps(double x, double y, const PlotScale& scale)
{
    StepTarget target;
    for (const auto& [axis, units, length, steps] :
         {std::tuple{'X', x, scale.stepLengthX, &target.x}, std::tuple{'Y', y, scale.stepLengthY, &target.y}}) {
        StepConversion converted = unitsToSteps(units, length, scale.halfStep, scale.zoom, axis);
        if (converted.refusal != MoveRefusal::None) {
            target.refusal = converted.refusal;
            target.reason = std::move(converted.reason);
            return target;
        }
        *steps = converted.steps;
    }
    return target;
}

} // namespace orlex
