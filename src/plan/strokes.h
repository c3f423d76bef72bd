// A plot as groups of strokes, and back to events.
//
// A stroke is a maximal run of pen-down points with the position it starts from; an SP
// command starts a new group and ends any stroke. Groups keep their order when strokes
// are reordered; strokes never leave their group.
#pragma once

#include "plan/plot_events.h"

#include <optional>
#include <vector>

namespace orlex {

struct Stroke {
    // points[0] is where the pen goes down, every later point is drawn to; size >= 2.
    std::vector<Position> points;
    bool operator==(const Stroke&) const = default;
};

struct StrokeGroup {
    std::optional<char> pen; // the SP character that opened the group; none before the first SP
    std::vector<Stroke> strokes;
    // Where the plot's last pen-up move leaves the pen, after the group's strokes: set only
    // on the group that holds the plot's last point, when that point is a pen-up point.
    std::optional<Position> parkAt = std::nullopt;
    bool operator==(const StrokeGroup&) const = default;
};

// The first group holds what comes before the first SP (it may be empty); every SP opens
// a group of its own, empty or not. Pen-up points only set where the next stroke starts,
// except a pen-up point that ends the plot: it becomes its group's parkAt.
std::vector<StrokeGroup> splitStrokes(const PlotEvents& events);

// Events that draw the groups in the order given, from the pen up at the origin: a pen-up
// point to each stroke's start unless the pen is already there, so a stroke that starts
// where the previous one ended continues it without a lift, and a pen-up point to a
// group's parkAt unless the pen is already there.
PlotEvents strokeEvents(const std::vector<StrokeGroup>& groups);

} // namespace orlex
