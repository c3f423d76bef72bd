// Hatch lines across a polygon (see hatch_fill.h): the polygon is turned so the lines run
// along u, and each line at v = k * spacing is cut where edges cross it.
#include "hpgl/full/hatch_fill.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace orlex::fullhpgl {

namespace {

struct Edge {
    Point a, b; // turned: x is u (along the lines), y is v (across)
};

struct Crossing {
    double u;
    int direction; // +1 upwards, -1 downwards, for the winding rule
};

} // namespace

HatchEnd hatchPolygon(const Polygon& polygon, const HatchStyle& style, std::uint64_t maxLines, std::uint64_t& workLeft,
                      const std::function<bool(Point, Point)>& line)
{
    // Quarter turns exactly, so that lines on an edge fall the same way at every angle.
    const double angle = style.angleDegrees * std::numbers::pi / 180;
    const auto exact = [](double v) { return std::fabs(v) < 1e-12 ? 0.0 : v; };
    const double c = exact(std::cos(angle)), s = exact(std::sin(angle));
    const auto turn = [c, s](Point p) { return Point{p.x * c + p.y * s, -p.x * s + p.y * c}; };
    const auto turnBack = [c, s](Point p) { return Point{p.x * c - p.y * s, p.x * s + p.y * c}; };

    std::vector<Edge> edges;
    double vMin = INFINITY, vMax = -INFINITY;
    for (const Ring& ring : polygon) {
        const std::size_t n = ring.vertices.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Edge e{turn(ring.vertices[i].at), turn(ring.vertices[(i + 1) % n].at)};
            vMin = std::min(vMin, e.a.y);
            vMax = std::max(vMax, e.a.y);
            edges.push_back(e);
        }
    }
    if (edges.empty() || !(style.spacing > 0))
        return HatchEnd::Done;
    const double first = std::ceil(vMin / style.spacing);
    const double last = std::floor(vMax / style.spacing);
    const double lines = last - first + 1;
    if (!(lines <= static_cast<double>(maxLines)))
        return HatchEnd::TooManyLines;
    if (lines < 1)
        return HatchEnd::Done;
    const double work = lines * static_cast<double>(edges.size());
    if (!(work <= static_cast<double>(workLeft)))
        return HatchEnd::TooMuchWork;
    workLeft -= static_cast<std::uint64_t>(work);

    std::vector<Crossing> crossings;
    std::vector<std::pair<double, double>> pieces; // the inside pieces of a line, left to right
    bool backwards = false;
    // Counted in whole lines: far from the origin first + 1 may equal first in a double.
    const auto lineCount = static_cast<std::uint64_t>(lines);
    for (std::uint64_t lineIndex = 0; lineIndex < lineCount; ++lineIndex) {
        const double v = (first + static_cast<double>(lineIndex)) * style.spacing;
        crossings.clear();
        for (const Edge& e : edges) {
            if ((e.a.y <= v) == (e.b.y <= v))
                continue;
            const double u = e.a.x + (v - e.a.y) * (e.b.x - e.a.x) / (e.b.y - e.a.y);
            crossings.push_back({u, e.b.y > e.a.y ? 1 : -1});
        }
        std::sort(crossings.begin(), crossings.end(), [](const Crossing& x, const Crossing& y) { return x.u < y.u; });
        pieces.clear();
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += style.nonzeroWinding ? crossings[i].direction : 1;
            const bool inside = style.nonzeroWinding ? winding != 0 : winding % 2 == 1;
            if (inside && crossings[i + 1].u > crossings[i].u)
                pieces.emplace_back(crossings[i].u, crossings[i + 1].u);
        }
        if (backwards) {
            std::reverse(pieces.begin(), pieces.end());
            for (auto& piece : pieces)
                std::swap(piece.first, piece.second);
        }
        for (const auto& [u0, u1] : pieces)
            if (!line(turnBack({u0, v}), turnBack({u1, v})))
                return HatchEnd::Stopped;
        if (style.alternate && !pieces.empty())
            backwards = !backwards;
    }
    return HatchEnd::Done;
}

} // namespace orlex::fullhpgl
