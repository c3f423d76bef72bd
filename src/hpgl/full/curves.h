// Circles and arcs as chords: HP-GL's chord angle (CT 0, default 5 degrees, 0.5 to 180)
// or chord deviation (CT 1), and the circle through three points (AT, RT).
#pragma once

#include "hpgl/full/plot_state.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace orlex::fullhpgl {

inline constexpr double kDefaultChordDegrees = 5;
inline constexpr double kMinChordDegrees = 0.5;
inline constexpr double kMaxChordDegrees = 180;

// How many chords an arc of `sweepDegrees` takes at `chordDegrees` (already clamped):
// the fewest whose angles are no larger, at least one.
std::uint64_t chordCount(double sweepDegrees, double chordDegrees);

// The chord angle whose chords lie no farther than `deviation` from a circle of `radius`
// (both in the same units): CT 1.
double chordDegreesForDeviation(double deviation, double radius);

// The ends of `chords` equal chords of the arc around `center` from `start`, turning
// `sweepDegrees` (counterclockwise when positive), appended to `out` (the start itself
// is not; the last is the arc's end).
void appendArc(Point center, Point start, double sweepDegrees, std::uint64_t chords, std::vector<Point>& out);

// The centre of the circle through three points; none when they lie on one line.
std::optional<Point> circleCentre(Point a, Point b, Point c);

// The signed angle, degrees, that turns from `start` through `middle` to `end` around
// `centre` (counterclockwise positive), for the arc through three points.
double sweepThrough(Point centre, Point start, Point middle, Point end);

} // namespace orlex::fullhpgl

namespace orlex::fullhpgl {

// The points of a cubic Bezier curve from `p0` (not included) to `p3`, in chords that lie
// within `tolerance` of the curve (same units), at most `maxChords`; false (nothing
// appended) when more would be needed.
bool appendBezier(Point p0, Point p1, Point p2, Point p3, double tolerance, std::uint64_t maxChords,
                  std::vector<Point>& out);

} // namespace orlex::fullhpgl
