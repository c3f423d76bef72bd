// Chains of strokes grown end to end over two k-d trees: one of the strokes' first
// points, one of their last points.
#include "plan/line_merge.h"

#include "plan/point_tree.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <utility>

namespace orlex {

namespace {

struct Link {
    std::uint32_t stroke;
    bool reversed;
};

std::vector<TreePoint> endsOf(const std::vector<Stroke>& strokes, bool last)
{
    std::vector<TreePoint> ends;
    ends.reserve(strokes.size());
    for (std::uint32_t s = 0; s < strokes.size(); ++s)
        ends.push_back({last ? strokes[s].points.back() : strokes[s].points.front(), s});
    return ends;
}

class Chains {
public:
    Chains(const std::vector<Stroke>& strokes, double tolerance, bool allowReverse)
        : strokes_(strokes), tolerance_(tolerance), allowReverse_(allowReverse), firsts_(endsOf(strokes, false)),
          lasts_(endsOf(strokes, true))
    {}

    void take(std::uint32_t s)
    {
        firsts_.remove(s);
        lasts_.remove(s);
    }

    // The free stroke to draw next from `at` (forwards when its first point is nearest),
    // or to draw just before arriving at `at` (`before`: forwards when its last point is).
    std::optional<Link> nearest(Position at, bool before)
    {
        PointTree& forwards = before ? lasts_ : firsts_;
        PointTree& backwards = before ? firsts_ : lasts_;
        std::optional<Link> best;
        double bestDistance = tolerance_;
        if (const auto f = forwards.nearest(at); f && distance(at, strokeEnd(*f, before)) <= bestDistance) {
            best = Link{static_cast<std::uint32_t>(*f), false};
            bestDistance = distance(at, strokeEnd(*f, before));
        }
        if (allowReverse_)
            if (const auto b = backwards.nearest(at); b) {
                const double d = distance(at, strokeEnd(*b, !before));
                if (best ? d < bestDistance : d <= bestDistance)
                    best = Link{static_cast<std::uint32_t>(*b), true};
            }
        return best;
    }

private:
    Position strokeEnd(std::size_t s, bool last) const
    {
        return last ? strokes_[s].points.back() : strokes_[s].points.front();
    }

    const std::vector<Stroke>& strokes_;
    double tolerance_;
    bool allowReverse_;
    PointTree firsts_, lasts_;
};

} // namespace

MergeCount mergeStrokes(std::vector<Stroke>& strokes, double tolerance, bool allowReverse)
{
    MergeCount count;
    if (strokes.size() < 2)
        return count;
    Chains chains(strokes, tolerance, allowReverse);
    std::vector<bool> used(strokes.size(), false);
    std::vector<Stroke> merged;
    for (std::uint32_t s = 0; s < strokes.size(); ++s) {
        if (used[s])
            continue;
        used[s] = true;
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
                used[next->stroke] = true;
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
