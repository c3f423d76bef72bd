// The one step count of a draw, and its time.
#include "plan/draw_time.h"

#include "common/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace orlex {

namespace {

bool usable(double length)
{
    return std::isfinite(length) && length > 0;
}

} // namespace

std::optional<double> DrawCounts::seconds(double stepPeriodSeconds) const
{
    if (!valid || !std::isfinite(stepPeriodSeconds) || stepPeriodSeconds <= 0)
        return std::nullopt;
    return static_cast<double>(stepPeriods()) * stepPeriodSeconds;
}

StepCountSink::StepCountSink(StepLengths lengths, bool halfStep, std::int16_t zoom)
    : lengthsUsable_(usable(lengths.x) && usable(lengths.y)), scaleX_(stepScale(lengths.x, halfStep, zoom)),
      scaleY_(stepScale(lengths.y, halfStep, zoom))
{
    counts_.valid = lengthsUsable_;
}

void StepCountSink::unreachable(double x, double y)
{
    if (counts_.valid)
        counts_.firstUnreachable = Position{x, y};
    counts_.valid = false;
}

Result<DrawCounts> countDrawOutputs(const PlotEvents& events, StepLengths stepLengths, bool halfStep, std::int16_t zoom)
{
    if (!usable(stepLengths.x) || !usable(stepLengths.y))
        return failure("The step lengths must be numbers above 0 (hundredths of a millimetre per full step).");
    StepCountSink counter(stepLengths, halfStep, zoom);
    for (const PlotEvent& event : events)
        if (const PlotPoint* p = std::get_if<PlotPoint>(&event)) // SP moves nothing
            counter.point(p->x, p->y, p->penDown ? Pen::Down : Pen::Up);
    if (const std::optional<Position> far = counter.counts().firstUnreachable)
        return failure("The point " + numberText(far->x) + "," + numberText(far->y)
                       + " lies beyond the motors' step range.");
    return counter.counts();
}

Result<double> estimatedSeconds(const PlotEvents& events, StepLengths stepLengths, bool halfStep, std::int16_t zoom,
                                double clockHz)
{
    if (!std::isfinite(clockHz) || clockHz <= 0)
        return failure("The plotter clock must be a frequency above 0 Hz.");
    const Result<DrawCounts> counts = countDrawOutputs(events, stepLengths, halfStep, zoom);
    if (!counts)
        return counts.error();
    if (const std::optional<double> seconds = counts->seconds(stepPeriodSeconds(clockHz)))
        return *seconds;
    return failure("The drawing time cannot be estimated.");
}

} // namespace orlex
