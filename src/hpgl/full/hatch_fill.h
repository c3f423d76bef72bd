// Fills as a pen plotter draws them: parallel lines across a polygon at a spacing and an
// angle (FT 3 and 4 hatching, and solid fills as lines one pen width apart).
#pragma once

#include "hpgl/full/polygon.h"

#include <cstdint>
#include <functional>

namespace orlex::fullhpgl {

struct HatchStyle {
    double spacing = 0; // frame units between lines
    double angleDegrees = 0;
    bool nonzeroWinding = false; // FP 1; FP 0 (default) fills by the even-odd rule
    bool alternate = true;       // every other line drawn backwards, as a bidirectional fill
};

enum class HatchEnd { Done, Stopped, TooManyLines, TooMuchWork };

// Hands every inside piece of every line to `line` (frame units), line by line.
// `workLeft` (lines times edges, the cost of the crossings) goes down by what this fill
// takes; past it, or past `maxLines` lines, nothing is drawn.
HatchEnd hatchPolygon(const Polygon& polygon, const HatchStyle& style, std::uint64_t maxLines, std::uint64_t& workLeft,
                      const std::function<bool(Point, Point)>& line);

} // namespace orlex::fullhpgl
