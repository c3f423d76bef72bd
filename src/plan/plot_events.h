// What the reader executes, as the stroke planner sees it: points with their pen
// state, and pen selections.
#pragma once

#include "common/plotter_units.h"

#include <cmath>
#include <variant>
#include <vector>

namespace orlex {

// A place on the paper in plotter units, exactly as the reader computed it.
struct Position {
    double x = 0;
    double y = 0;
    bool operator==(const Position&) const = default;
};

// One executed point: drawn to from the previous position when the pen is down,
// otherwise only moved to.
struct PlotPoint {
    double x = 0;
    double y = 0;
    bool penDown = false;
    bool operator==(const PlotPoint&) const = default;
};

// An SP command with the one character the reader took as its pen number.
struct SelectPen {
    char pen = '1';
    bool operator==(const SelectPen&) const = default;
};

using PlotEvent = std::variant<PlotPoint, SelectPen>;
using PlotEvents = std::vector<PlotEvent>;

// Straight-line distance in plotter units; the one measure of length the planner uses.
inline double distance(Position a, Position b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace orlex
