// Chains of strokes grown end to end over a hash grid of the strokes' ends.
#include "plan/line_merge.h"

#include "plan/cell_grid.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <tuple>
#include <utility>

namespace orlex {

namespace {

struct Link {
    std::uint32_t stroke;
    bool reversed;
};

// The strokes' ends filed in a hash grid of cells two tolerances wide, so that the ends
// within reach of a place lie in at most 2 x 2 cells. Item 2s is stroke s's first
// point, 2s + 1 its last.
class Chains {
public:
    Chains(const std::vector<Stroke>& strokes, double tolerance, bool allowReverse)
        : strokes_(strokes), tolerance_(tolerance), allowReverse_(allowReverse), grid_(std::max(2 * tolerance, 1.0)),
          used_(strokes.size(), false)
    {
        for (std::uint32_t s = 0; s < strokes.size(); ++s)
            for (std::uint32_t last = 0; last < 2; ++last) {
                const Position p = end(s, last != 0);
                grid_.insert(2 * s + last, Box{p.x, p.y, p.x, p.y});
            }
    }

    bool used(std::uint32_t s) const { return used_[s]; }
    void take(std::uint32_t s) { used_[s] = true; }

    // The free stroke to draw next from `at` (forwards when its first point is nearest),
    // or, with `before`, to draw just before arriving at `at` (forwards when its last
    // point is). On a tie the stroke drawn forwards, then the first in file order.
    std::optional<Link> nearest(Position at, bool before) const
    {
        std::optional<Link> best;
        double bestDistance = 0;
        const Box reach{at.x - tolerance_, at.y - tolerance_, at.x + tolerance_, at.y + tolerance_};
        grid_.forEachIn(reach, [&](std::uint32_t item) {
            const std::uint32_t s = item / 2;
            const bool last = (item % 2) != 0;
            const bool reversed = last != before; // entered at its last point going on, at its first coming before
            if (used_[s] || (reversed && !allowReverse_))
                return;
            const double d = distance(at, end(s, last));
            if (d > tolerance_)
                return;
            const auto rank = [](double dist, const Link& l) { return std::tuple(dist, l.reversed, l.stroke); };
            const Link link{s, reversed};
            if (!best || rank(d, link) < rank(bestDistance, *best)) {
                best = link;
                bestDistance = d;
            }
        });
        return best;
    }

private:
    Position end(std::size_t s, bool last) const
    {
        return last ? strokes_[s].points.back() : strokes_[s].points.front();
    }

    const std::vector<Stroke>& strokes_;
    double tolerance_;
    bool allowReverse_;
    CellGrid grid_;
    std::vector<bool> used_;
};

} // namespace

MergeCount mergeStrokes(std::vector<Stroke>& strokes, double tolerance, bool allowReverse)
{
    MergeCount count;
    if (strokes.size() < 2)
        return count;
    Chains chains(strokes, tolerance, allowReverse);
    std::vector<Stroke> merged;
    for (std::uint32_t s = 0; s < strokes.size(); ++s) {
        if (chains.used(s))
            continue;
        chains.take(s);
        std::deque<Link> chain{{s, false}};
        const auto endOf = [&](const Link& l, bool last) {
            const std::vector<Position>& p = strokes[l.stroke].points;
            return last != l.reversed ? p.back() : p.front();
        };
        for (bool atStart : {false, true}) {
            for (;;) {
                const Position at = atStart ? endOf(chain.front(), false) : endOf(chain.back(), true);
                const std::optional<Link> next = chains.nearest(at, atStart);
                if (!next)
                    break;
                chains.take(next->stroke);
                if (atStart)
                    chain.push_front(*next);
                else
                    chain.push_back(*next);
                ++count.joins;
            }
        }
        if (chain.size() == 1) {
            merged.push_back(std::move(strokes[s]));
            continue;
        }
        Stroke joined;
        for (const Link& l : chain) {
            std::vector<Position>& p = strokes[l.stroke].points;
            if (l.reversed)
                std::reverse(p.begin(), p.end());
            if (!joined.points.empty()) {
                count.gaps += distance(joined.points.back(), p.front());
                if (joined.points.back() == p.front())
                    joined.points.pop_back();
            }
            joined.points.insert(joined.points.end(), p.begin(), p.end());
            std::vector<Position>().swap(p);
        }
        merged.push_back(std::move(joined));
    }
    strokes = std::move(merged);
    return count;
}

} // namespace orlex
