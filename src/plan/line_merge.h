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
// O(n log n) for n strokes, over k-d trees of the strokes' ends.
MergeCount mergeStrokes(std::vector<Stroke>& strokes, double tolerance, bool allowReverse);

} // namespace orlex
