// Lines hidden by opaque fills painted over them, as a viewer shows a drawing.
#pragma once

#include "common/result.h"
#include "plan/plot_events.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlex {

// The outline of an opaque fill, in the lines' units.
struct FillOutline {
    std::vector<std::vector<Position>> rings; // each closed from its last point back to its first
    bool evenOdd = false;                     // the fill rule; else non-zero winding
    std::size_t linesBefore = 0;              // painted after the first linesBefore lines
};

// A pen-down run of a drawing, in paint order.
struct PaintedLine {
    int pen = 1;
    std::vector<Position> points;
};

struct HiddenCount {
    std::uint64_t segments = 0; // segments hidden wholly or in part
    double length = 0;          // the length hidden
};

// Segment-against-edge tests the hiding may take (a few seconds of work).
inline constexpr double kMaxHidingTests = 1'000'000'000;

// Takes out of each line what a fill painted after it covers. A part of a line on a
// fill's edge (within `edgeMargin`) stays: a viewer shows half of its width. Lines keep
// their paint order and pens; one that a fill cuts becomes its visible pieces. Fails when
// that would take more than kMaxHidingTests tests (the lines are then of no use).
Result<HiddenCount> hideCovered(std::vector<PaintedLine>& lines, const std::vector<FillOutline>& fills,
                                double edgeMargin);

} // namespace orlex
