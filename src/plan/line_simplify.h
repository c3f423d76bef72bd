// Fewer points on the same lines.
#pragma once

#include "plan/strokes.h"

#include <vector>

namespace orlex {

// Douglas-Peucker: keeps the first and last points and, between two kept points, the
// point farthest from the chord joining them while it lies more than `tolerance` (plotter
// units) from it. Every point left out, and so every bit of line through it, is within
// `tolerance` of the chord that replaces it, and the chord within `tolerance` of the
// line. A closed stroke stays closed. O(n log n) for curves, O(n^2) at worst.
void simplifyLine(std::vector<Position>& points, double tolerance);

} // namespace orlex
