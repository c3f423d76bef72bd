// Drawing-time estimate of an event sequence, with the test run's step conversion.
#include "plan/draw_time.h"

#include "common/number_text.h"
#include "drive/line_steps.h"
#include "hpgl/plot_extents.h"

#include <cmath>
#include <cstdlib>

namespace orlex {

Result<DrawCounts> countDrawOutputs(const PlotEvents& events, StepLengths stepLengths, bool halfStep, std::int16_t zoom)
{
    const auto usable = [](double length) { return std::isfinite(length) && length > 0; };
    if (!usable(stepLengths.x) || !usable(stepLengths.y))
        return failure("The step lengths must be numbers above 0 (hundredths of a millimetre per full step).");

    DrawCounts counts;
    long stepX = 0, stepY = 0;
    for (const PlotEvent& event : events) {
        const PlotPoint* p = std::get_if<PlotPoint>(&event);
        if (p == nullptr)
            continue; // SP moves nothing
        const double sx = roundedSteps(p->x, stepLengths.x, halfStep, zoom);
        const double sy = roundedSteps(p->y, stepLengths.y, halfStep, zoom);
        if (!stepsInRange(sx) || !stepsInRange(sy))
            return failure("The point " + numberText(p->x) + "," + numberText(p->y)
                           + " lies beyond the motors' step range.");
        const long toX = static_cast<long>(sx);
        const long toY = static_cast<long>(sy);
        counts.stepOutputs += static_cast<std::uint64_t>(countOutputs(std::labs(toX - stepX), std::labs(toY - stepY)));
        ++counts.penCommands;
        stepX = toX;
        stepY = toY;
    }
    return counts;
}

Result<double> estimatedSeconds(const PlotEvents& events, StepLengths stepLengths, bool halfStep, std::int16_t zoom,
                                double clockHz)
{
    if (!std::isfinite(clockHz) || clockHz <= 0)
        return failure("The plotter clock must be a frequency above 0 Hz.");
    const Result<DrawCounts> counts = countDrawOutputs(events, stepLengths, halfStep, zoom);
    if (!counts)
        return counts.error();
    RunResult run; // the program's estimate reads the test run's counts
    run.stepOutputs = counts->stepOutputs;
    run.penCommands = counts->penCommands;
    const std::optional<double> seconds = estimatedDrawSeconds(run, 2.0 / clockHz);
    if (!seconds)
        return failure("The drawing time cannot be estimated.");
    return *seconds;
}

} // namespace orlex
