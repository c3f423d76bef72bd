// The ink on the virtual plotter's paper as a set of single half-step moves, so two
// drawings can be compared however their segments were split or joined.
#pragma once

#include "drive/ports/virtual_plotter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

namespace orlex::test {

using InkPoint = std::pair<long, long>;        // half steps from home
using InkStep = std::pair<InkPoint, InkPoint>; // one move, the lower end first

// `sx`, `sy`: millimetres per half step.
inline std::set<InkStep> inkSteps(const std::vector<PaperSegment>& paper, double sx, double sy)
{
    std::set<InkStep> steps;
    for (const PaperSegment& s : paper) {
        long x = std::lround(s.x1 / sx), y = std::lround(s.y1 / sy);
        const long dx = std::lround(s.x2 / sx) - x, dy = std::lround(s.y2 / sy) - y;
        const long n = std::gcd(std::labs(dx), std::labs(dy));
        for (long k = 0; k < n; ++k) {
            const InkPoint from{x, y};
            x += dx / n;
            y += dy / n;
            const InkPoint to{x, y};
            steps.insert(std::minmax(from, to)); // the same move drawn either way is the same ink
        }
    }
    return steps;
}

inline std::set<InkStep> inkSteps(const VirtualPlotter& plotter)
{
    return inkSteps(plotter.paper(), plotter.config().stepLengthXmm, plotter.config().stepLengthYmm);
}

} // namespace orlex::test
