// The strokes of one group as the ordering sees them: where each can be entered and left
// given the freedoms allowed, and the route (visit order) over them.
#pragma once

#include "plan/strokes.h"

#include <cstdint>
#include <vector>

namespace orlex {

// How one stroke of a group is drawn.
struct StrokeVisit {
    std::uint32_t stroke = 0;
    bool reversed = false;         // from its last point back to its first
    std::uint32_t firstVertex = 0; // a closed stroke starts and ends at this point
    bool operator==(const StrokeVisit&) const = default;
};

using Route = std::vector<StrokeVisit>;

// A point a stroke can be entered or left at. `vertex` indexes the stroke's points: 0 or
// the last for a stroke drawn whole, any point but the last for a closed stroke.
struct StrokeEnd {
    Position at;
    std::uint32_t stroke = 0;
    std::uint32_t vertex = 0;
};

class GroupStrokes {
public:
    // A stroke is closed when its last point equals its first; with `allowRotate` such a
    // stroke may start at any of its points (the same segments, drawn from elsewhere).
    GroupStrokes(const std::vector<Stroke>& strokes, bool allowReverse, bool allowRotate);

    std::size_t size() const { return strokes_->size(); }
    const Stroke& stroke(std::uint32_t s) const { return (*strokes_)[s]; }
    bool allowReverse() const { return allowReverse_; }
    bool rotatable(std::uint32_t s) const { return rotatable_[s]; }

    Position entry(const StrokeVisit& v) const;
    Position exit(const StrokeVisit& v) const;

    // Ends of every stroke, stroke by stroke: for a rotatable stroke its first point and
    // about 16 more spread round it; otherwise the first point, and the last too with
    // `bothEnds`.
    std::vector<StrokeEnd> ends(bool bothEnds) const;

    // The visit that enters the stroke at this end.
    StrokeVisit visitFrom(const StrokeEnd& end) const;

    // The stroke as drawn by the visit: the same segments, in the visit's order.
    Stroke drawn(const StrokeVisit& v) const;

private:
    const std::vector<Stroke>* strokes_;
    bool allowReverse_;
    std::vector<bool> rotatable_;
};

// Pen-up travel of a route from `start`, up to the start of its last stroke.
double routeTravel(const GroupStrokes& group, Position start, const Route& route);

// The end of the route: where its last stroke leaves the pen, `start` when it is empty.
Position routeEnd(const GroupStrokes& group, Position start, const Route& route);

} // namespace orlex
