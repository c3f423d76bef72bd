// Douglas-Peucker with a stack of its own, so that long strokes need no deep recursion.
#include "plan/line_simplify.h"

#include <utility>

namespace orlex {

namespace {

// Squared distance from p to the segment a..b.
double distanceSquared(Position p, Position a, Position b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return ex * ex + ey * ey;
}

} // namespace

void simplifyLine(std::vector<Position>& points, double tolerance)
{
    if (points.size() <= 2)
        return;
    const double limit = tolerance * tolerance;
    std::vector<bool> keep(points.size(), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<std::size_t, std::size_t>> stack{{0, points.size() - 1}};
    while (!stack.empty()) {
        const auto [first, last] = stack.back();
        stack.pop_back();
        double farthest = -1;
        std::size_t at = first;
        for (std::size_t i = first + 1; i < last; ++i) {
            const double d = distanceSquared(points[i], points[first], points[last]);
            if (d > farthest) {
                farthest = d;
                at = i;
            }
        }
        if (farthest <= limit)
            continue;
        keep[at] = true;
        if (at - first > 1)
            stack.emplace_back(first, at);
        if (last - at > 1)
            stack.emplace_back(at, last);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (keep[i])
            points[kept++] = points[i];
    points.resize(kept);
}

} // namespace orlex
