// Entry and exit points of stroke visits, and a visit's points in drawing order.
#include "plan/stroke_route.h"

namespace orlex {

namespace {

constexpr double kLoopEnds = 16; // about as many ends of a closed stroke as this

} // namespace

GroupStrokes::GroupStrokes(const std::vector<Stroke>& strokes, bool allowReverse, bool allowRotate)
    : strokes_(&strokes), allowReverse_(allowReverse), rotatable_(strokes.size(), false)
{
    if (allowRotate)
        for (std::size_t s = 0; s < strokes.size(); ++s)
            rotatable_[s] = strokes[s].points.front() == strokes[s].points.back();
}

Position GroupStrokes::entry(const StrokeVisit& v) const
{
    const std::vector<Position>& p = stroke(v.stroke).points;
    if (rotatable(v.stroke))
        return p[v.firstVertex];
    return v.reversed ? p.back() : p.front();
}

Position GroupStrokes::exit(const StrokeVisit& v) const
{
    const std::vector<Position>& p = stroke(v.stroke).points;
    if (rotatable(v.stroke))
        return p[v.firstVertex];
    return v.reversed ? p.front() : p.back();
}

std::vector<StrokeEnd> GroupStrokes::ends(bool bothEnds) const
{
    std::vector<StrokeEnd> ends;
    ends.reserve(2 * size());
    for (std::uint32_t s = 0; s < size(); ++s) {
        const std::vector<Position>& p = stroke(s).points;
        const auto last = static_cast<std::uint32_t>(p.size() - 1);
        if (rotatable(s)) {
            // Points spaced a sixteenth of the way round or more: a finely divided curve
            // would otherwise give thousands of ends that say little more.
            double perimeter = 0;
            for (std::uint32_t m = 1; m <= last; ++m)
                perimeter += distance(p[m - 1], p[m]);
            const double spacing = perimeter / kLoopEnds;
            ends.push_back({p[0], s, 0});
            for (std::uint32_t m = 1; m < last; ++m) {
                const double apart = distance(ends.back().at, p[m]);
                if (apart > 0 && apart >= spacing)
                    ends.push_back({p[m], s, m});
            }
        } else {
            ends.push_back({p.front(), s, 0});
            if (bothEnds)
                ends.push_back({p.back(), s, last});
        }
    }
    return ends;
}

StrokeVisit GroupStrokes::visitFrom(const StrokeEnd& end) const
{
    if (rotatable(end.stroke))
        return {end.stroke, false, end.vertex};
    return {end.stroke, end.vertex != 0, 0};
}

Stroke GroupStrokes::drawn(const StrokeVisit& v) const
{
    const std::vector<Position>& p = stroke(v.stroke).points;
    if (!rotatable(v.stroke))
        return v.reversed ? Stroke{{p.rbegin(), p.rend()}} : stroke(v.stroke);
    if (v.firstVertex == 0 && !v.reversed)
        return stroke(v.stroke);
    // Around the closed stroke's points 0..k-1 (point k equals point 0) from firstVertex,
    // forwards or backwards: every segment once, between the same two points.
    const std::size_t k = p.size() - 1;
    Stroke out;
    out.points.reserve(p.size());
    for (std::size_t j = 0; j <= k; ++j) {
        const std::size_t i = v.reversed ? (v.firstVertex + k - j % k) % k : (v.firstVertex + j) % k;
        out.points.push_back(p[i]);
    }
    return out;
}

double routeTravel(const GroupStrokes& group, Position start, const Route& route)
{
    double travel = 0;
    Position at = start;
    for (const StrokeVisit& v : route) {
        travel += distance(at, group.entry(v));
        at = group.exit(v);
    }
    return travel;
}

Position routeEnd(const GroupStrokes& group, Position start, const Route& route)
{
    return route.empty() ? start : group.exit(route.back());
}

} // namespace orlex
