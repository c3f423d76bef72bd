// Chords of circles and arcs (see curves.h).
#include "hpgl/full/curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orlex::fullhpgl {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;

// Angle of `p` around `centre`, degrees in [0, 360).
double angleAround(Point centre, Point p)
{
    const double a = std::atan2(p.y - centre.y, p.x - centre.x) / kRadiansPerDegree;
    return a < 0 ? a + 360 : a;
}

} // namespace

std::uint64_t chordCount(double sweepDegrees, double chordDegrees)
{
    const double chords = std::ceil(std::fabs(sweepDegrees) / chordDegrees - 1e-9);
    if (!(chords >= 1))
        return 1;
    return chords < 1e18 ? static_cast<std::uint64_t>(chords) : std::uint64_t{1'000'000'000'000'000'000};
}

double chordDegreesForDeviation(double deviation, double radius)
{
    if (!(radius > 0) || deviation >= radius)
        return kMaxChordDegrees;
    return 2 * std::acos(1 - deviation / radius) / kRadiansPerDegree;
}

void appendArc(Point center, Point start, double sweepDegrees, std::uint64_t chords, std::vector<Point>& out)
{
    const double dx = start.x - center.x;
    const double dy = start.y - center.y;
    const double step = sweepDegrees * kRadiansPerDegree / static_cast<double>(chords);
    for (std::uint64_t i = 1; i <= chords; ++i) {
        const double a = step * static_cast<double>(i);
        const double c = std::cos(a), s = std::sin(a);
        out.push_back({center.x + dx * c - dy * s, center.y + dx * s + dy * c});
    }
}

std::optional<Point> circleCentre(Point a, Point b, Point c)
{
    const double bx = b.x - a.x, by = b.y - a.y;
    const double cx = c.x - a.x, cy = c.y - a.y;
    const double d = 2 * (bx * cy - by * cx);
    const double scale = std::max({std::fabs(bx), std::fabs(by), std::fabs(cx), std::fabs(cy)});
    if (std::fabs(d) <= 1e-12 * scale * scale)
        return std::nullopt;
    const double b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    return Point{a.x + (cy * b2 - by * c2) / d, a.y + (bx * c2 - cx * b2) / d};
}

double sweepThrough(Point centre, Point start, Point middle, Point end)
{
    const double a0 = angleAround(centre, start);
    double toMiddle = angleAround(centre, middle) - a0;
    double toEnd = angleAround(centre, end) - a0;
    if (toMiddle < 0)
        toMiddle += 360;
    if (toEnd < 0)
        toEnd += 360;
    // Counterclockwise when the middle comes before the end that way round.
    return toMiddle <= toEnd ? toEnd : toEnd - 360;
}

} // namespace orlex::fullhpgl

namespace orlex::fullhpgl {

// The chord count follows from the largest second difference of the control points: a
// curve whose second derivative is bounded by M lies within M / (8 n^2) of n chords.
bool appendBezier(Point p0, Point p1, Point p2, Point p3, double tolerance, std::uint64_t maxChords,
                  std::vector<Point>& out)
{
    const double ax = p0.x - 2 * p1.x + p2.x, ay = p0.y - 2 * p1.y + p2.y;
    const double bx = p1.x - 2 * p2.x + p3.x, by = p1.y - 2 * p2.y + p3.y;
    const double m = 6 * std::max(std::hypot(ax, ay), std::hypot(bx, by));
    const double chords = std::max(1.0, std::ceil(std::sqrt(m / (8 * tolerance))));
    if (!(chords <= static_cast<double>(maxChords)))
        return false;
    const auto n = static_cast<std::uint64_t>(chords);
    for (std::uint64_t i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / static_cast<double>(n), u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        out.push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
    return true;
}

} // namespace orlex::fullhpgl
