// The drawing-time estimate: what a draw sends, counted point by point with the drive's
// conversion and interpolation, so that the check, "stat" and the time an order saves all
// use one count.
#pragma once

#include "common/result.h"
#include "drive/clock_cycles.h"
#include "drive/line_steps.h"
#include "hpgl/plot_sink.h"
#include "plan/plot_events.h"
#include "plan/plot_statistics.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace orlex {

// Lstepx / Lstepy converted: hundredths of a millimetre per full step, above 0.
struct StepLengths {
    double x = 0;
    double y = 0;
};

struct DrawCounts {
    std::uint64_t stepOutputs = 0; // coil writes, each a two-cycle wait (one step period)
    std::uint64_t penCommands = 0; // one per point, each a four-cycle wait (two step periods)
    // False when a step length is not above 0 or a point lies beyond the 16-bit step range.
    bool valid = true;
    std::optional<Position> firstUnreachable; // the first point beyond the step range
    // The step positions reached, from step 0,0 at the plot's origin (rounded, not
    // range-checked; 0 when not computable).
    double minStepsX = 0, maxStepsX = 0, minStepsY = 0, maxStepsY = 0;

    std::uint64_t stepPeriods() const { return orlex::stepPeriods(stepOutputs, penCommands); }
    // The time at a step period (two clock cycles) of `stepPeriodSeconds`; nullopt when
    // the counts are not valid or the period is not above 0.
    std::optional<double> seconds(double stepPeriodSeconds) const;
};

// Counts one pen command per point and max(|dx|, |dy|) outputs per line in whole steps
// from step 0,0, in one step mode at one zoom.
class StepCountSink final : public PlotSink {
public:
    StepCountSink(StepLengths lengths, bool halfStep, std::int16_t zoom);
    bool point(double x, double y, Pen) override
    {
        add(x, y);
        return true;
    }
    // point() without the call through the sink, for a check that feeds several sinks.
    [[gnu::always_inline]] void add(double x, double y)
    {
        ++counts_.penCommands;
        if (!lengthsUsable_)
            return;
        const double sx = roundedSteps(x, scaleX_);
        const double sy = roundedSteps(y, scaleY_);
        counts_.minStepsX = std::min(counts_.minStepsX, sx);
        counts_.maxStepsX = std::max(counts_.maxStepsX, sx);
        counts_.minStepsY = std::min(counts_.minStepsY, sy);
        counts_.maxStepsY = std::max(counts_.maxStepsY, sy);
        if (!stepsInRange(sx) || !stepsInRange(sy)) {
            unreachable(x, y);
            return;
        }
        const long toX = static_cast<long>(sx);
        const long toY = static_cast<long>(sy);
        if (!reached_) [[unlikely]] {
            reached_ = true;
            firstX_ = toX;
            firstY_ = toY;
        }
        counts_.stepOutputs +=
            static_cast<std::uint64_t>(countOutputs(std::labs(toX - stepX_), std::labs(toY - stepY_)));
        stepX_ = toX;
        stepY_ = toY;
    }
    const DrawCounts& counts() const { return counts_; }
    // Adds what `later` counted: the points that follow this sink's, counted by a new sink
    // of the same scale that took its start for step 0,0. The counts are those of the
    // points counted in one go.
    void join(const StepCountSink& later);

private:
    void unreachable(double x, double y);
    DrawCounts counts_;
    bool lengthsUsable_;
    StepScale scaleX_, scaleY_;
    long stepX_ = 0, stepY_ = 0; // the step position the draw would reach
    bool reached_ = false;       // a point was in range; the first one was at:
    long firstX_ = 0, firstY_ = 0;
};

// The step extremes of points whose extremes in plotter units are `units` (the origin
// included), without converting every point: the conversion only grows (or, for a
// negative scale, only falls) with the units, so the extremes' steps are the extremes of
// the points' steps, to the bit as StepCountSink finds them. Nothing else is counted, so
// the counts are not valid for a time.
DrawCounts stepExtremes(const Extents& units, StepLengths lengths, bool halfStep, std::int16_t zoom);

// The counts of an event sequence. Fails when a step length is not above 0 or a point
// lies beyond the 16-bit step range.
Result<DrawCounts> countDrawOutputs(const PlotEvents& events, StepLengths stepLengths, bool halfStep,
                                    std::int16_t zoom);

// Their time, a step period being two cycles of a clock of `clockHz`.
Result<double> estimatedSeconds(const PlotEvents& events, StepLengths stepLengths, bool halfStep, std::int16_t zoom,
                                double clockHz);

} // namespace orlex
