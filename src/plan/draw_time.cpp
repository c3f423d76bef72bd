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

void StepCountSink::join(const StepCountSink& later)
{
    const DrawCounts& l = later.counts_;
    if (counts_.valid)
        counts_.firstUnreachable = l.firstUnreachable;
    counts_.valid = counts_.valid && l.valid;
    counts_.penCommands += l.penCommands;
    counts_.minStepsX = std::min(counts_.minStepsX, l.minStepsX);
    counts_.maxStepsX = std::max(counts_.maxStepsX, l.maxStepsX);
    counts_.minStepsY = std::min(counts_.minStepsY, l.minStepsY);
    counts_.maxStepsY = std::max(counts_.maxStepsY, l.maxStepsY);
    if (!later.reached_)
        return;
    // Its first line ran from step 0,0; it runs from where this sink stands.
    const auto outputsTo = [&](long fromX, long fromY) {
        return static_cast<std::uint64_t>(
            countOutputs(std::labs(later.firstX_ - fromX), std::labs(later.firstY_ - fromY)));
    };
    counts_.stepOutputs += l.stepOutputs - outputsTo(0, 0) + outputsTo(stepX_, stepY_);
    if (!reached_) {
        reached_ = true;
        firstX_ = later.firstX_;
        firstY_ = later.firstY_;
    }
    stepX_ = later.stepX_;
    stepY_ = later.stepY_;
}

DrawCounts stepExtremes(const Extents& units, StepLengths lengths, bool halfStep, std::int16_t zoom)
{
    DrawCounts counts;
    counts.valid = false;
    if (!usable(lengths.x) || !usable(lengths.y))
        return counts;
    const StepScale x = stepScale(lengths.x, halfStep, zoom);
    const StepScale y = stepScale(lengths.y, halfStep, zoom);
    // 0 first, as the sink starts from it: a -0 rounded from a small negative minimum
    // leaves it at 0.
    const double x0 = roundedSteps(units.minX, x), x1 = roundedSteps(units.maxX, x);
    const double y0 = roundedSteps(units.minY, y), y1 = roundedSteps(units.maxY, y);
    counts.minStepsX = std::min({0.0, x0, x1});
    counts.maxStepsX = std::max({0.0, x0, x1});
    counts.minStepsY = std::min({0.0, y0, y1});
    counts.maxStepsY = std::max({0.0, y0, y1});
    return counts;
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
