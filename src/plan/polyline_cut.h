// Taking stretches out of a polyline: what the line work keeps of a stroke.
#pragma once

#include "plan/strokes.h"

#include <cstddef>
#include <vector>

namespace orlex {

// The part of segment `segment` (from point `segment` to the next) between parameters
// `from` and `to`, 0 <= from <= to <= 1.
struct LineSpan {
    std::size_t segment = 0;
    double from = 0, to = 0;
};

// The point at parameter t of the segment from a to b.
inline Position pointAt(Position a, Position b, double t)
{
    if (t <= 0)
        return a;
    if (t >= 1)
        return b;
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

// The pieces of `points` that are left when `removed` (ordered by segment and parameter,
// not overlapping) is taken out, in the line's direction. New ends lie on the segments,
// where the spans begin and end.
std::vector<Stroke> cutOut(const std::vector<Position>& points, const std::vector<LineSpan>& removed);

// Merges overlapping or touching spans of one segment, given as [from, to] pairs, into
// `out` in order.
void mergeSpans(std::size_t segment, std::vector<std::pair<double, double>>& spans, std::vector<LineSpan>& out);

} // namespace orlex
