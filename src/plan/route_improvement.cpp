// Neighbour-list local search over a route held as an array of strokes with positions.
//
// Position 0 is an anchor that stands for the start and never moves; positions 1..n hold
// the strokes. Edge u is the pen-up move from position u to u + 1; the last stroke has no
// edge after it (the travel ends at its start), written as a virtual position n + 1 at
// distance 0 from everything. A move is searched for one stroke at a time, taken from a
// queue that holds every stroke at first and then the strokes next to each change.
#include "plan/route_improvement.h"

#include "plan/point_tree.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <optional>
#include <random>

namespace orlex {

namespace {

constexpr std::size_t kNeighbours = 10;       // nearest ends of other strokes kept per end
constexpr std::size_t kPerStroke = 2;         // of which at most this many of one stroke
constexpr std::uint32_t kLongestRun = 3;      // Or-opt moves runs of 1..3 strokes
constexpr std::uint32_t kKicksPerStroke = 20; // iterated local search: kicks per stroke at most
constexpr std::uint32_t kLongestKickRun = 30; // runs swapped by a kick: 1..30 strokes
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

struct Move {
    enum class Kind { None, Reverse, Relocate, Rotate };
    Kind kind = Kind::None;
    double gain = 0;
    std::uint32_t first = 0, last = 0; // Reverse: positions first..last; Relocate: the run moved
    std::uint32_t edge = 0;            // Relocate: the run goes between positions edge, edge + 1
    bool reversed = false;             // Relocate: the run goes in reversed
    std::uint32_t end = kNone;         // Relocate, Rotate: the closed stroke's new starting end
};

class Improver {
public:
    Improver(const GroupStrokes& group, Position start, const Route& route, const WorkSignals* work)
        : group_(group), n_(static_cast<std::uint32_t>(route.size())), order_(n_ + 1), pos_(n_ + 1),
          visits_(route.size()), entryEnd_(n_ + 1, kNone), exitEnd_(n_ + 1, kNone), entryAt_(n_ + 1), exitAt_(n_ + 1),
          queued_(n_ + 1, false), work_(work)
    {
        ends_ = group_.ends(true);
        firstEnd_.assign(n_ + 2, 0);
        for (std::size_t i = 0; i < ends_.size(); ++i)
            firstEnd_[ends_[i].stroke + 1] = static_cast<std::uint32_t>(i + 1);
        ends_.push_back({start, anchor(), 0});
        firstEnd_[n_ + 1] = static_cast<std::uint32_t>(ends_.size());

        double scale = std::max(std::abs(start.x), std::abs(start.y));
        for (const StrokeEnd& e : ends_)
            scale = std::max({scale, std::abs(e.at.x), std::abs(e.at.y)});
        epsilon_ = 1e-9 * std::max(1.0, scale); // well above the rounding of a gain

        order_[0] = anchor();
        pos_[anchor()] = 0;
        exitEnd_[anchor()] = firstEnd_[n_];
        exitAt_[anchor()] = start;
        for (std::uint32_t p = 1; p <= n_; ++p) {
            const std::uint32_t s = route[p - 1].stroke;
            order_[p] = s;
            pos_[s] = p;
            visits_[s] = route[p - 1];
            placeEnds(s);
        }
        buildNeighbours();
    }

    bool run(std::chrono::steady_clock::time_point deadline)
    {
        for (std::uint32_t p = 0; p <= n_; ++p)
            enqueue(order_[p]);
        return descend(deadline) && kick(deadline);
    }

    Route route() const
    {
        Route route;
        route.reserve(n_);
        for (std::uint32_t p = 1; p <= n_; ++p)
            route.push_back(visits_[order_[p]]);
        return route;
    }

private:
    // Applies the best move of each queued stroke until the queue is empty. Returns the
    // travel saved, or nothing when the deadline passed first.
    std::optional<double> descend(std::chrono::steady_clock::time_point deadline)
    {
        double saved = 0;
        while (!queue_.empty()) {
            if ((++pops_ & 7) == 0 && (std::chrono::steady_clock::now() >= deadline || cancelled(work_)))
                return std::nullopt;
            const std::uint32_t s = queue_.front();
            queue_.pop_front();
            queued_[s] = false;
            const Move move = bestMove(s);
            if (move.kind != Move::Kind::None) {
                apply(move, s);
                enqueue(s);
                saved += move.gain;
            }
        }
        return saved;
    }

    // Iterated local search: swap two short neighbouring runs of strokes (a double
    // bridge, which the moves above cannot undo in one step), search from the strokes
    // next to the change, and keep the result only if the travel got shorter.
    bool kick(std::chrono::steady_clock::time_point deadline)
    {
        if (n_ < 8)
            return true;
        std::mt19937 rng(12345); // the same kicks on every run
        const std::uint64_t kicks = kKicksPerStroke * std::uint64_t{n_};
        for (std::uint64_t k = 0; k < kicks; ++k) {
            const std::uint32_t longest = std::min<std::uint32_t>(kLongestKickRun, (n_ - 1) / 2);
            const std::uint32_t first = 1 + rng() % (n_ - 2);
            const std::uint32_t lengthB = 1 + rng() % longest;
            const std::uint32_t lengthC = 1 + rng() % longest;
            const std::uint32_t last = first + lengthB + lengthC - 1;
            if (last > n_)
                continue;
            const std::uint32_t middle = first + lengthB; // C starts here
            const double before = edge(first - 1) + edge(middle - 1) + edge(last);
            const double after = distance(exitAt(first - 1), entryAt(middle)) + distance(exitAt(last), entryAt(first))
                                 + toEntry(exitAt(middle - 1), last + 1);
            undo_.clear();
            logging_ = true;
            reverse(first, last);
            reverse(first, first + lengthC - 1);
            reverse(first + lengthC, last);
            for (const std::uint32_t p : {first - 1, first, first + lengthC - 1, first + lengthC, last})
                enqueue(order_[p]);
            if (last < n_)
                enqueue(order_[last + 1]);
            const std::optional<double> saved = descend(deadline);
            logging_ = false;
            if (!saved || after - before - *saved > -epsilon_) {
                for (auto u = undo_.rbegin(); u != undo_.rend(); ++u) {
                    if (u->stroke == kNone)
                        reverse(u->from, u->to);
                    else
                        setRotation(u->stroke, u->from);
                }
            }
            if (!saved)
                return false;
        }
        return true;
    }

    std::uint32_t anchor() const { return n_; }

    // Entry and exit ends of stroke s from its visit.
    void placeEnds(std::uint32_t s)
    {
        const StrokeVisit& v = visits_[s];
        const std::uint32_t first = firstEnd_[s];
        if (group_.rotatable(s)) {
            std::uint32_t e = first;
            while (ends_[e].vertex != v.firstVertex && e + 1 < firstEnd_[s + 1])
                ++e;
            if (ends_[e].vertex != v.firstVertex) { // a vertex with no end of its own
                visits_[s].firstVertex = ends_[first].vertex;
                e = first;
            }
            setRotation(s, e);
            return;
        }
        entryEnd_[s] = v.reversed ? first + 1 : first;
        exitEnd_[s] = v.reversed ? first : first + 1;
        entryAt_[s] = ends_[entryEnd_[s]].at;
        exitAt_[s] = ends_[exitEnd_[s]].at;
    }

    void setRotation(std::uint32_t s, std::uint32_t end)
    {
        if (logging_)
            undo_.push_back({s, entryEnd_[s], 0});
        visits_[s].firstVertex = ends_[end].vertex;
        entryEnd_[s] = exitEnd_[s] = end;
        entryAt_[s] = exitAt_[s] = ends_[end].at;
    }

    void buildNeighbours()
    {
        std::vector<TreePoint> points;
        points.reserve(ends_.size());
        for (const StrokeEnd& e : ends_)
            points.push_back({e.at, e.stroke});
        const PointTree tree(std::move(points));
        neighbours_.assign(ends_.size() * kNeighbours, kNone);
        for (std::size_t e = 0; e < ends_.size(); ++e) {
            const std::vector<std::size_t> near =
                tree.nearestOfOthers(ends_[e].at, kNeighbours, ends_[e].stroke, kPerStroke);
            std::copy(near.begin(), near.end(), neighbours_.begin() + static_cast<std::ptrdiff_t>(e * kNeighbours));
        }
    }

    // The neighbour ends of end e, nearest first, until `visit` returns false.
    template <class Visit>
    void forNeighbours(std::uint32_t e, Visit&& visit) const
    {
        for (std::size_t k = 0; k < kNeighbours; ++k) {
            const std::uint32_t q = neighbours_[e * kNeighbours + k];
            if (q == kNone || !visit(q))
                return;
        }
    }

    bool isEntry(std::uint32_t e) const { return entryEnd_[ends_[e].stroke] == e; }
    bool isExit(std::uint32_t e) const { return exitEnd_[ends_[e].stroke] == e; }

    Position exitAt(std::uint32_t p) const { return exitAt_[order_[p]]; }
    Position entryAt(std::uint32_t p) const { return entryAt_[order_[p]]; }

    // Length of edge u; the edge after the last stroke is free.
    double edge(std::uint32_t u) const { return u >= n_ ? 0 : distance(exitAt(u), entryAt(u + 1)); }
    // From `from` to the entry at position p; free at the virtual position n + 1.
    double toEntry(Position from, std::uint32_t p) const { return p > n_ ? 0 : distance(from, entryAt(p)); }

    // Reversing positions i+1..j replaces edges i and j by exit(i)-exit(j) and
    // entry(i+1)-entry(j+1).
    void tryReverse(std::uint32_t i, std::uint32_t j, Move& best) const
    {
        if (i > j)
            std::swap(i, j);
        if (i == j)
            return;
        const double gain = edge(i) + edge(j) - distance(exitAt(i), exitAt(j)) - toEntry(entryAt(i + 1), j + 1);
        if (gain > best.gain)
            best = Move{Move::Kind::Reverse, gain, i + 1, j, 0, false, kNone};
    }

    // Putting the run first..last (whose removal saves `saved`) between positions u and
    // u + 1, entered at `in` and left at `out` when forwards.
    void tryRelocate(std::uint32_t first, std::uint32_t last, std::uint32_t u, double saved, Position in, Position out,
                     std::uint32_t end, Move& best) const
    {
        if (u + 1 >= first && u <= last)
            return; // an edge the run touches
        const double old = edge(u);
        const double forwards = distance(exitAt(u), in) + toEntry(out, u + 1) - old;
        if (saved - forwards > best.gain)
            best = Move{Move::Kind::Relocate, saved - forwards, first, last, u, false, end};
        if (group_.allowReverse() && end == kNone) {
            const double backwards = distance(exitAt(u), out) + toEntry(in, u + 1) - old;
            if (saved - backwards > best.gain)
                best = Move{Move::Kind::Relocate, saved - backwards, first, last, u, true, end};
        }
    }

    // The edges next to neighbour end q where a run could go: after q when q is an exit,
    // before it when q is an entry.
    template <class Try>
    void edgesAt(std::uint32_t q, Try&& tryEdge) const
    {
        const std::uint32_t r = pos_[ends_[q].stroke];
        if (isExit(q))
            tryEdge(r);
        if (isEntry(q) && r > 0)
            tryEdge(r - 1);
    }

    Move bestMove(std::uint32_t s) const
    {
        Move best;
        best.gain = epsilon_;
        const std::uint32_t p = pos_[s];

        if (group_.allowReverse()) {
            // New edge from this stroke's exit to another exit.
            const double after = edge(p);
            forNeighbours(exitEnd_[s], [&](std::uint32_t q) {
                if (distance(exitAt_[s], ends_[q].at) >= after)
                    return false;
                if (isExit(q))
                    tryReverse(p, pos_[ends_[q].stroke], best);
                return true;
            });
            // New edge from this stroke's entry to another entry.
            if (p > 0) {
                const double before = edge(p - 1);
                forNeighbours(entryEnd_[s], [&](std::uint32_t q) {
                    if (distance(entryAt_[s], ends_[q].at) >= before)
                        return false;
                    const std::uint32_t r = pos_[ends_[q].stroke];
                    if (isEntry(q) && r > 0)
                        tryReverse(p - 1, r - 1, best);
                    return true;
                });
            }
        }
        if (p == 0)
            return best;

        // Runs of 1..3 strokes that start or end here, moved next to a neighbour end.
        for (std::uint32_t length = 1; length <= kLongestRun; ++length) {
            if (p + length - 1 <= n_)
                relocateRun(p, p + length - 1, best);
            if (length > 1 && p >= length)
                relocateRun(p - length + 1, p, best);
        }
        if (group_.rotatable(s))
            rotateOrRelocate(s, p, best);
        return best;
    }

    void relocateRun(std::uint32_t first, std::uint32_t last, Move& best) const
    {
        const double saved = edge(first - 1) + edge(last) - toEntry(exitAt(first - 1), last + 1);
        if (saved <= best.gain)
            return;
        const Position in = entryAt(first);
        const Position out = exitAt(last);
        const auto near = [&](std::uint32_t end, Position from) {
            forNeighbours(end, [&](std::uint32_t q) {
                if (distance(from, ends_[q].at) >= saved)
                    return false;
                const std::uint32_t r = pos_[ends_[q].stroke];
                if (r >= first && r <= last)
                    return true;
                edgesAt(q, [&](std::uint32_t u) { tryRelocate(first, last, u, saved, in, out, kNone, best); });
                return true;
            });
        };
        near(entryEnd_[order_[first]], in);
        near(exitEnd_[order_[last]], out);
    }

    // A closed stroke started at another of its points, where it is or moved elsewhere.
    void rotateOrRelocate(std::uint32_t s, std::uint32_t p, Move& best) const
    {
        const Position before = exitAt(p - 1);
        const double now = distance(before, entryAt_[s]) + toEntry(entryAt_[s], p + 1);
        const double saved = edge(p - 1) + edge(p) - toEntry(before, p + 1);
        for (std::uint32_t e = firstEnd_[s]; e < firstEnd_[s + 1]; ++e) {
            const Position at = ends_[e].at;
            const double gain = now - distance(before, at) - toEntry(at, p + 1);
            if (gain > best.gain)
                best = Move{Move::Kind::Rotate, gain, p, p, 0, false, e};
            if (saved <= best.gain)
                continue;
            forNeighbours(e, [&](std::uint32_t q) {
                if (distance(at, ends_[q].at) >= saved)
                    return false;
                edgesAt(q, [&](std::uint32_t u) { tryRelocate(p, p, u, saved, at, at, e, best); });
                return true;
            });
        }
    }

    // Positions i..j in reverse order, each stroke drawn the other way.
    void reverse(std::uint32_t i, std::uint32_t j)
    {
        if (logging_)
            undo_.push_back({kNone, i, j});
        std::reverse(order_.begin() + i, order_.begin() + j + 1);
        for (std::uint32_t k = i; k <= j; ++k) {
            const std::uint32_t s = order_[k];
            pos_[s] = k;
            visits_[s].reversed = !visits_[s].reversed;
            if (!group_.rotatable(s)) {
                std::swap(entryEnd_[s], exitEnd_[s]);
                std::swap(entryAt_[s], exitAt_[s]);
            }
        }
    }

    void apply(const Move& m, std::uint32_t s)
    {
        std::vector<std::uint32_t> touched{order_[m.first - 1], order_[m.first], order_[m.last]};
        if (m.last < n_)
            touched.push_back(order_[m.last + 1]);
        switch (m.kind) {
        case Move::Kind::None: return;
        case Move::Kind::Reverse: reverse(m.first, m.last); break;
        case Move::Kind::Rotate: setRotation(s, m.end); break;
        case Move::Kind::Relocate: {
            touched.push_back(order_[m.edge]);
            if (m.edge < n_)
                touched.push_back(order_[m.edge + 1]);
            if (m.end != kNone)
                setRotation(order_[m.first], m.end);
            const std::uint32_t length = m.last - m.first + 1;
            if (m.edge > m.last) { // run, then the strokes up to the edge: swap the two
                const std::uint32_t others = m.edge - m.last;
                reverse(m.first, m.edge);
                reverse(m.first, m.first + others - 1);
                if (!m.reversed)
                    reverse(m.first + others, m.edge);
            } else { // the strokes after the edge, then the run
                reverse(m.edge + 1, m.last);
                reverse(m.edge + 1 + length, m.last);
                if (!m.reversed)
                    reverse(m.edge + 1, m.edge + length);
            }
            break;
        }
        }
        for (const std::uint32_t t : touched)
            enqueue(t);
    }

    void enqueue(std::uint32_t s)
    {
        if (!queued_[s]) {
            queued_[s] = true;
            queue_.push_back(s);
        }
    }

    const GroupStrokes& group_;
    const std::uint32_t n_;
    std::vector<StrokeEnd> ends_;         // every stroke's ends, then the anchor's
    std::vector<std::uint32_t> firstEnd_; // ends of stroke s: firstEnd_[s] .. firstEnd_[s + 1]
    std::vector<std::uint32_t> neighbours_;
    std::vector<std::uint32_t> order_; // stroke at each position, the anchor at 0
    std::vector<std::uint32_t> pos_;   // position of each stroke
    std::vector<StrokeVisit> visits_;  // by stroke
    std::vector<std::uint32_t> entryEnd_, exitEnd_;
    std::vector<Position> entryAt_, exitAt_;
    std::vector<bool> queued_;
    std::deque<std::uint32_t> queue_;
    double epsilon_ = 0;
    std::uint32_t pops_ = 0;
    const WorkSignals* work_;
    // Changes made since a kick, to take back: a reversal of positions from..to, or
    // stroke's earlier starting end in `from`.
    struct Undo {
        std::uint32_t stroke, from, to;
    };
    std::vector<Undo> undo_;
    bool logging_ = false;
};

} // namespace

bool improveRoute(const GroupStrokes& group, Position start, Route& route,
                  std::chrono::steady_clock::time_point deadline, const WorkSignals* work)
{
    if (route.size() != group.size())
        return false; // not a route over this group; left as it is
    if (route.empty() || std::chrono::steady_clock::now() >= deadline)
        return route.empty();
    Improver improver(group, start, route, work);
    const bool finished = improver.run(deadline);
    route = improver.route();
    return finished;
}

void settleLoopStarts(const GroupStrokes& group, Position start, Route& route)
{
    for (int sweep = 0; sweep < 3; ++sweep) {
        bool moved = false;
        for (std::size_t i = 0; i < route.size(); ++i) {
            StrokeVisit& v = route[i];
            if (!group.rotatable(v.stroke))
                continue;
            const Position before = i == 0 ? start : group.exit(route[i - 1]);
            const bool last = i + 1 == route.size();
            const Position after = last ? Position{} : group.entry(route[i + 1]);
            const auto cost = [&](Position at) { return distance(before, at) + (last ? 0 : distance(at, after)); };
            const std::vector<Position>& points = group.stroke(v.stroke).points;
            std::uint32_t best = v.firstVertex;
            double bestCost = cost(points[best]);
            for (std::uint32_t m = 0; m + 1 < points.size(); ++m)
                if (const double c = cost(points[m]); c < bestCost) {
                    best = m;
                    bestCost = c;
                }
            moved = moved || best != v.firstVertex;
            v.firstVertex = best;
        }
        if (!moved)
            return;
    }
}

} // namespace orlex
