// The line work before the stroke order: retraces dropped, touching strokes joined,
// curves simplified, and what each step changed.
#pragma once

#include "plan/draw_time.h"
#include "plan/strokes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

inline constexpr double kDefaultMergeMm = 0.05;  // ends this close are joined
inline constexpr double kDefaultDedupeMm = 0.05; // a line this close to one drawn is a retrace

struct LineWorkOptions {
    std::optional<double> dedupeMm;   // drop retraces within this distance
    std::optional<double> mergeMm;    // join strokes whose ends meet within this distance
    std::optional<double> simplifyMm; // drop points that move no line by more than this
    bool allowReverse = true;         // merge may draw a stroke backwards
    bool any() const { return dedupeMm || mergeMm || simplifyMm; }
};

// How the figures estimate the drawing time: the draw's step lengths and mode, the zoom
// and the plotter's clock.
struct DrawTiming {
    StepLengths stepLengths;
    bool halfStep = true;
    std::int16_t zoom = 100;
    double clockHz = 2000;
};

// What the line work changes, counted on the plot as strokeEvents draws it.
struct LineFigures {
    std::uint64_t points = 0;   // every point, pen up or down
    std::uint64_t segments = 0; // pen-down segments
    std::uint64_t penLifts = 0;
    double penDownMm = 0;
    std::optional<double> seconds; // the estimated drawing time, with a timing and a plot it can count
};

enum class LineStep { HideCovered, Dedupe, Merge, Simplify };

struct LineStepChange {
    LineStep step = LineStep::Merge;
    double toleranceMm = 0; // none for HideCovered
    LineFigures before, after;
    std::uint64_t count = 0; // segments dropped or hidden, joins made, points removed
    double lengthMm = 0;     // the length dropped or hidden, or of the gaps now drawn
};

LineFigures lineFigures(const std::vector<StrokeGroup>& groups, const DrawTiming* timing);

// "Merge 0.05 mm: 120 joins, 0.8 mm of gaps drawn; pen lifts 4194 -> 4074, pen-down
// segments 9000 -> 9120, pen-down length 1234.5 -> 1235.3 mm, time 12 min 30 s -> 12 min 10 s"
std::string lineStepText(const LineStepChange& change);

// The steps `options` asks for, in this order: dedupe (over the whole plot, one pen at a
// time), merge (within each group: never across a pen change), simplify. Coordinates
// must be finite; a plot with any that is not is left as it is, and no step is reported.
std::vector<LineStepChange> applyLineWork(std::vector<StrokeGroup>& groups, const LineWorkOptions& options,
                                          const DrawTiming* timing = nullptr);

} // namespace orlex
