// Retraces found by a hash grid of the kept segments, one pen at a time.
#include "plan/line_dedupe.h"

#include "plan/cell_grid.h"
#include "plan/polyline_cut.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace orlex {

namespace {

constexpr double kShortestDropped = 6;    // in tolerances: shorter retraces stay
constexpr double kMostCellsAcross = 4096; // so that no segment spans more cells than this
constexpr double kCellInSegments = 4;     // cells this many mean segments wide

// A kept segment, or the kept part of one.
struct Piece {
    Position a, b;
    double arcEnd = 0;        // where b lies along its stroke
    std::uint32_t stroke = 0; // 0 once its whole segment was taken out
};

// Calls visit(from, to) for parts of a..b at most `size` long.
template <class Visit>
void inParts(Position a, Position b, double size, Visit&& visit)
{
    const double parts = std::ceil(distance(a, b) / size);
    const auto n = parts > 1 ? static_cast<std::size_t>(parts) : 1;
    Position from = a;
    for (std::size_t k = 1; k <= n; ++k) {
        const Position to = k == n ? b : pointAt(a, b, static_cast<double>(k) / static_cast<double>(n));
        visit(from, to);
        from = to;
    }
}

// Narrows [u0, u1] to where v0 + u dv lies within [low, high].
void slab(double v0, double dv, double low, double high, double& u0, double& u1)
{
    if (dv == 0) {
        if (v0 < low || v0 > high)
            u0 = 1, u1 = 0;
        return;
    }
    double t0 = (low - v0) / dv, t1 = (high - v0) / dv;
    if (t0 > t1)
        std::swap(t0, t1);
    u0 = std::max(u0, t0);
    u1 = std::min(u1, t1);
}

class PenDedupe {
public:
    PenDedupe(double tolerance, double cellSize, std::size_t segments, DedupeCount& count)
        : tolerance_(tolerance), shortest_(kShortestDropped * tolerance), cellSize_(cellSize), grid_(cellSize),
          count_(count)
    {
        pieces_.reserve(segments + segments / 16);
        seen_.reserve(segments + segments / 16);
    }

    // The stroke as it stays: whole, in pieces, or nothing.
    void keep(Stroke&& stroke, std::vector<Stroke>& out)
    {
        ++strokeId_;
        const std::vector<Position>& p = stroke.points;
        const std::size_t firstPiece = pieces_.size();
        arcAt_.assign(p.size(), 0);
        runs_.clear();
        double arc = 0;
        for (std::size_t i = 0; i + 1 < p.size(); ++i) {
            const double length = distance(p[i], p[i + 1]);
            arcAt_[i] = arc;
            coveredRuns(p[i], p[i + 1], arc, length);
            add(Piece{p[i], p[i + 1], arc + length, strokeId_});
            arc += length;
        }
        arcAt_.back() = arc;

        const double hair = 1e-9 * std::max(1.0, arc);
        std::vector<std::pair<double, double>> dropped;
        for (const auto& run : runs_)
            if (run.second - run.first > shortest_ || (run.first <= hair && run.second >= arc - hair))
                dropped.push_back(run);
        if (dropped.empty()) {
            out.push_back(std::move(stroke));
            return;
        }
        const std::vector<LineSpan> removed = spansOf(p, dropped);
        updatePieces(firstPiece, p.size() - 1, removed);
        for (Stroke& piece : cutOut(p, removed))
            out.push_back(std::move(piece));
    }

private:
    void add(const Piece& piece)
    {
        const auto index = static_cast<std::uint32_t>(pieces_.size());
        pieces_.push_back(piece);
        seen_.push_back(0);
        inParts(piece.a, piece.b, cellSize_, [&](Position from, Position to) { grid_.insert(index, boxOf(from, to)); });
    }

    // Adds the stretches of a..b within the tolerance of kept lines to runs_, as distances
    // along the stroke.
    void coveredRuns(Position a, Position b, double arc, double length)
    {
        ++stamp_;
        spans_.clear();
        const Box near = boxOf(a, b, tolerance_);
        inParts(a, b, cellSize_, [&](Position from, Position to) {
            grid_.forEachIn(boxOf(from, to, tolerance_), [&](std::uint32_t k) {
                if (seen_[k] == stamp_)
                    return;
                seen_[k] = stamp_;
                const Piece& t = pieces_[k];
                double lo, hi;
                if (t.stroke == 0 || !near.overlaps(boxOf(t.a, t.b)) || !spanWithin(a, b, t.a, t.b, tolerance_, lo, hi))
                    return;
                if (t.stroke == strokeId_) { // the stroke's own line counts only well behind
                    const double behind = arc - t.arcEnd;
                    if (length > 0)
                        lo = std::max(lo, (shortest_ - behind) / length);
                    else if (behind <= shortest_)
                        return;
                    if (lo > hi)
                        return;
                }
                spans_.emplace_back(lo, hi);
            });
        });
        std::sort(spans_.begin(), spans_.end());
        const double hair = 1e-9 * std::max(1.0, tolerance_);
        for (const auto& [lo, hi] : spans_) {
            const double from = arc + lo * length, to = arc + hi * length;
            if (!runs_.empty() && from <= runs_.back().second + hair)
                runs_.back().second = std::max(runs_.back().second, to);
            else
                runs_.emplace_back(from, to);
        }
    }

    // The dropped runs (distances along the stroke) as spans of its segments.
    std::vector<LineSpan> spansOf(const std::vector<Position>& p, const std::vector<std::pair<double, double>>& runs)
    {
        std::vector<LineSpan> removed;
        std::size_t j = 0;
        for (std::size_t i = 0; i + 1 < p.size(); ++i) {
            const double s0 = arcAt_[i], s1 = arcAt_[i + 1], length = s1 - s0;
            while (j < runs.size() && runs[j].second < s0)
                ++j;
            for (std::size_t r = j; r < runs.size() && runs[r].first <= s1; ++r) {
                if (length <= 0) {
                    removed.push_back({i, 0, 1});
                    break;
                }
                const double from = std::clamp((std::max(runs[r].first, s0) - s0) / length, 0.0, 1.0);
                const double to = std::clamp((std::min(runs[r].second, s1) - s0) / length, 0.0, 1.0);
                if (to > from)
                    removed.push_back({i, from, to});
            }
        }
        for (std::size_t k = 0; k < removed.size(); ++k) {
            const LineSpan& s = removed[k];
            count_.length += (s.to - s.from) * distance(p[s.segment], p[s.segment + 1]);
            if (k == 0 || removed[k - 1].segment != s.segment)
                ++count_.segments;
        }
        return removed;
    }

    // The pieces of this stroke's segments shrink to what was kept of them.
    void updatePieces(std::size_t firstPiece, std::size_t segments, const std::vector<LineSpan>& removed)
    {
        std::size_t k = 0;
        for (std::size_t i = 0; i < segments; ++i) {
            if (k == removed.size() || removed[k].segment != i)
                continue;
            Piece& whole = pieces_[firstPiece + i];
            const Piece original = whole;
            whole.stroke = 0;
            double t = 0;
            const auto keepPart = [&](double from, double to) {
                if (to <= from)
                    return;
                Piece part = original;
                part.a = pointAt(original.a, original.b, from);
                part.b = pointAt(original.a, original.b, to);
                part.arcEnd = original.arcEnd - (1 - to) * distance(original.a, original.b);
                if (pieces_[firstPiece + i].stroke == 0) {
                    pieces_[firstPiece + i] = part; // its cells hold the part too
                } else {
                    add(part);
                }
            };
            for (; k < removed.size() && removed[k].segment == i; ++k) {
                keepPart(t, removed[k].from);
                t = std::max(t, removed[k].to);
            }
            keepPart(t, 1);
        }
    }

    double tolerance_, shortest_, cellSize_;
    CellGrid grid_;
    DedupeCount& count_;
    std::vector<Piece> pieces_;
    std::vector<std::uint32_t> seen_; // the query that last met each piece
    std::uint32_t stamp_ = 0;
    std::uint32_t strokeId_ = 0;
    std::vector<double> arcAt_;                    // distance along the stroke of each point
    std::vector<std::pair<double, double>> runs_;  // covered stretches of the stroke, merged
    std::vector<std::pair<double, double>> spans_; // covered parameters of one segment
};

char penOf(const StrokeGroup& group)
{
    return group.pen.value_or('1');
}

} // namespace

bool spanWithin(Position a, Position b, Position c, Position d, double r, double& lo, double& hi)
{
    lo = std::numeric_limits<double>::infinity();
    hi = -lo;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double along2 = dx * dx + dy * dy;
    const auto disk = [&](Position o) {
        const double fx = a.x - o.x, fy = a.y - o.y;
        const double half = dx * fx + dy * fy, rest = fx * fx + fy * fy - r * r;
        if (along2 == 0) {
            if (rest <= 0)
                lo = 0, hi = 1;
            return;
        }
        const double discriminant = half * half - along2 * rest;
        if (discriminant < 0)
            return;
        const double root = std::sqrt(discriminant);
        lo = std::min(lo, (-half - root) / along2);
        hi = std::max(hi, (-half + root) / along2);
    };
    disk(c);
    disk(d);
    const double length = distance(c, d);
    if (length > 0) {
        const double ex = (d.x - c.x) / length, ey = (d.y - c.y) / length;
        double u0 = -std::numeric_limits<double>::infinity(), u1 = -u0;
        slab((a.x - c.x) * ex + (a.y - c.y) * ey, dx * ex + dy * ey, 0, length, u0, u1);
        slab((a.x - c.x) * ey - (a.y - c.y) * ex, dx * ey - dy * ex, -r, r, u0, u1);
        if (u0 <= u1)
            lo = std::min(lo, u0), hi = std::max(hi, u1);
    }
    lo = std::max(lo, 0.0);
    hi = std::min(hi, 1.0);
    return lo <= hi;
}

DedupeCount dropRetraces(std::vector<StrokeGroup>& groups, double tolerance)
{
    DedupeCount count;
    std::vector<char> pens;
    for (const StrokeGroup& g : groups)
        if (!g.strokes.empty() && std::find(pens.begin(), pens.end(), penOf(g)) == pens.end())
            pens.push_back(penOf(g));
    for (const char pen : pens) {
        double length = 0;
        std::size_t segments = 0;
        double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
        for (const StrokeGroup& g : groups)
            if (penOf(g) == pen)
                for (const Stroke& s : g.strokes) {
                    for (std::size_t i = 0; i + 1 < s.points.size(); ++i, ++segments)
                        length += distance(s.points[i], s.points[i + 1]);
                    for (const Position& p : s.points) {
                        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
                        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
                    }
                }
        // Cells about four segments wide (measured: one segment is slower, two as fast
        // with more memory), at least two tolerances, so that a search box covers at
        // most 3 x 3 cells, and at least 1/4096 of the drawing, so that no segment spans
        // more than a few thousand.
        const double cell =
            std::max({2 * tolerance, kCellInSegments * length / static_cast<double>(std::max<std::size_t>(segments, 1)),
                      std::max(maxX - minX, maxY - minY) / kMostCellsAcross, 1e-6});
        PenDedupe dedupe(tolerance, cell, segments, count);
        for (StrokeGroup& g : groups) {
            if (penOf(g) != pen)
                continue;
            std::vector<Stroke> kept;
            kept.reserve(g.strokes.size());
            for (Stroke& s : g.strokes)
                dedupe.keep(std::move(s), kept);
            g.strokes = std::move(kept);
        }
    }
    return count;
}

} // namespace orlex
