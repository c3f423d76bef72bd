// Dropping what retraces a line already drawn with the same pen: the edge of a fill and
// its outline, a line drawn twice.
#pragma once

#include "plan/strokes.h"

#include <cstdint>
#include <vector>

namespace orlex {

struct DedupeCount {
    std::uint64_t segments = 0; // pen-down segments taken out wholly or in part
    double length = 0;          // the length taken out, in plotter units
};

// Stretches that lie wholly within `tolerance` (plotter units, above 0) of lines drawn
// before them with the same pen are taken out; the first drawing stays. The pen is the
// group's (pen 1 before the first SP), so a pen selected again later counts as the same.
// Only stretches longer than 6 x `tolerance`, or whole strokes, are taken out: where
// lines cross, or a line ends on another, the short stretch near the other line stays,
// and no stroke is cut into pieces for it. Within one stroke a stretch retraces an
// earlier part only once it is more than 6 x `tolerance` further along the stroke, so
// a finely divided curve never retraces itself. Searches a hash grid of the segments
// drawn so far: about linear in the segments for drawings of evenly spread lines.
// Memory: about 70 bytes a point besides the strokes.
DedupeCount dropRetraces(std::vector<StrokeGroup>& groups, double tolerance);

// The parameters u of a + u (b - a), 0 <= u <= 1, within `r` of the segment c..d, as
// [lo, hi]; false when there are none.
bool spanWithin(Position a, Position b, Position c, Position d, double r, double& lo, double& hi);

} // namespace orlex
