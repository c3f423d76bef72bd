// Cutting a line segment to an axis-aligned box (Liang-Barsky), for the SVG import's page
// and the full HP-GL reading's window alike.
#pragma once

#include <algorithm>

namespace orlex {

// The part of the segment from (ax, ay) to (bx, by) inside [minX, maxX] x [minY, maxY],
// as parameters t0 <= t1 along it; false when no part is inside.
inline bool clipSegment(double ax, double ay, double bx, double by, double minX, double minY, double maxX, double maxY,
                        double& t0, double& t1)
{
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - minX, maxX - ax, ay - minY, maxY - ay};
    t0 = 0;
    t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    return t0 <= t1;
}

} // namespace orlex
