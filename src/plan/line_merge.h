// Joining strokes whose ends meet, so that the pen stays down between them.
#pragma once

#include "plan/strokes.h"

#include <cstddef>
#include <vector>

namespace orlex {

struct MergeCount {
    std::size_t joins = 0; // strokes joined onto another
    double gaps = 0;       // length of the gaps now drawn between joined ends, plotter units
};

// Joins the strokes of one group whose ends lie within `tolerance` (plotter units, 0 or
// more) of each other, drawing the gap between the two ends pen down. A chain starts at
// the first stroke not yet used, in file order, and grows at its end and then at its
// start, each time by the stroke with the nearest free end in reach, drawn backwards if
// need be when `allowReverse`. The joined strokes take the place of the chain's first.
// About linear in the strokes, over a hash grid of their ends (a point where many ends
// meet costs the square of their number).
MergeCount mergeStrokes(std::vector<Stroke>& strokes, double tolerance, bool allowReverse);

} // namespace orlex
