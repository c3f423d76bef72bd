// Each segment tested against the fills painted after it that a hash grid of their boxes
// finds near it: cut where it crosses their edges, each stretch between two cuts inside
// or outside as its middle is.
#include "plan/covered_lines.h"

#include "common/segment_clip.h"
#include "plan/cell_grid.h"
#include "plan/polyline_cut.h"
#include "plan/strokes.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>

namespace orlex {

namespace {

constexpr double kGridCells = 512;          // along the fills' larger side, at most
constexpr double kMaxGridEntries = 1 << 23; // fills filed under cells, in all

struct Fill {
    const FillOutline* outline;
    Box box;
};

class Hider {
public:
    Hider(const std::vector<FillOutline>& outlines, double edgeMargin) : margin2_(edgeMargin * edgeMargin)
    {
        Box all{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (const FillOutline& o : outlines) {
            Box b{INFINITY, INFINITY, -INFINITY, -INFINITY};
            for (const auto& ring : o.rings)
                for (const Position& p : ring)
                    b = {std::min(b.minX, p.x), std::min(b.minY, p.y), std::max(b.maxX, p.x), std::max(b.maxY, p.y)};
            if (o.linesBefore == 0 || !(b.minX <= b.maxX))
                continue;
            fills_.push_back({&o, b});
            all = {std::min(all.minX, b.minX), std::min(all.minY, b.minY), std::max(all.maxX, b.maxX),
                   std::max(all.maxY, b.maxY)};
        }
        // Cells about half the size of the middle fill: most fills take a few cells, and
        // one as large as the page at most kGridCells squared.
        std::vector<double> sizes;
        for (const Fill& f : fills_)
            sizes.push_back(std::max(f.box.maxX - f.box.minX, f.box.maxY - f.box.minY));
        double middle = 0;
        if (!sizes.empty()) {
            std::nth_element(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2), sizes.end());
            middle = sizes[sizes.size() / 2];
        }
        cell_ = std::max({1.0, middle / 2, std::max(all.maxX - all.minX, all.maxY - all.minY) / kGridCells});
        // Large fills among many small ones could take too many cells: wider cells then.
        for (;;) {
            double cells = 0;
            const CellGrid sizing(cell_);
            for (const Fill& f : fills_)
                cells += static_cast<double>(sizing.cellCount(f.box));
            if (cells <= kMaxGridEntries)
                break;
            cell_ *= 2;
        }
        all_ = all;
        grid_.emplace(cell_);
        for (std::uint32_t f = 0; f < fills_.size(); ++f)
            grid_->insert(f, fills_[f].box);
        seen_.assign(fills_.size(), 0);
    }

    bool empty() const { return fills_.empty(); }
    bool overBudget() const { return tests_ > kMaxHidingTests; }

    // The spans of the line's segments that fills painted after line `index` cover.
    std::vector<LineSpan> hidden(const std::vector<Position>& p, std::size_t index)
    {
        std::vector<LineSpan> spans;
        std::vector<std::pair<double, double>> covered;
        for (std::size_t i = 0; i + 1 < p.size() && !overBudget(); ++i) {
            const Position a = p[i], b = p[i + 1];
            const Box segment = boxOf(a, b);
            covered.clear();
            ++stamp_;
            // Only the part within the fills' box can be covered: it spans a bounded
            // number of cells, however long the segment.
            double t0 = 0, t1 = 0;
            if (!clipSegment(a.x, a.y, b.x, b.y, all_.minX, all_.minY, all_.maxX, all_.maxY, t0, t1))
                continue;
            const Position from = pointAt(a, b, t0), to = pointAt(a, b, t1);
            const double parts = std::ceil(distance(from, to) / cell_);
            const auto n = parts > 1 ? static_cast<std::size_t>(parts) : 1;
            for (std::size_t k = 0; k < n; ++k) {
                const Box part =
                    boxOf(pointAt(from, to, double(k) / double(n)), pointAt(from, to, double(k + 1) / double(n)));
                grid_->forEachIn(part, [&](std::uint32_t f) {
                    if (seen_[f] == stamp_)
                        return;
                    seen_[f] = stamp_;
                    if (fills_[f].outline->linesBefore > index && fills_[f].box.overlaps(segment))
                        coveredBy(*fills_[f].outline, a, b, covered);
                });
            }
            mergeSpans(i, covered, spans);
        }
        return spans;
    }

private:
    template <class Visit>
    static void forEachEdge(const FillOutline& o, Visit&& visit)
    {
        for (const auto& ring : o.rings)
            for (std::size_t i = 0; i < ring.size(); ++i)
                visit(ring[i], ring[(i + 1) % ring.size()]);
    }

    // Inside the fill, and farther than the margin from its edges.
    bool coveredPoint(const FillOutline& o, Position p)
    {
        int winding = 0, crossings = 0;
        bool onEdge = false;
        forEachEdge(o, [&](Position a, Position b) {
            ++tests_;
            const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
            if (a.y <= p.y && b.y > p.y && cross > 0)
                ++winding, ++crossings;
            else if (a.y > p.y && b.y <= p.y && cross < 0)
                --winding, ++crossings;
            const double dx = b.x - a.x, dy = b.y - a.y, length2 = dx * dx + dy * dy;
            const double t = length2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0;
            const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
            onEdge = onEdge || ex * ex + ey * ey <= margin2_;
        });
        return !onEdge && (o.evenOdd ? crossings % 2 == 1 : winding != 0);
    }

    void coveredBy(const FillOutline& o, Position a, Position b, std::vector<std::pair<double, double>>& covered)
    {
        cuts_.assign({0.0, 1.0});
        const double dx = b.x - a.x, dy = b.y - a.y;
        forEachEdge(o, [&](Position c, Position e) {
            ++tests_;
            const double fx = e.x - c.x, fy = e.y - c.y;
            const double denominator = dx * fy - dy * fx;
            if (denominator == 0)
                return;
            const double gx = c.x - a.x, gy = c.y - a.y;
            const double t = (gx * fy - gy * fx) / denominator;
            const double u = (gx * dy - gy * dx) / denominator;
            if (t > 0 && t < 1 && u >= 0 && u <= 1)
                cuts_.push_back(t);
        });
        std::sort(cuts_.begin(), cuts_.end());
        for (std::size_t k = 0; k + 1 < cuts_.size(); ++k) {
            const double t0 = cuts_[k], t1 = cuts_[k + 1];
            if (t1 - t0 < 1e-12 && !(a == b))
                continue;
            if (coveredPoint(o, pointAt(a, b, (t0 + t1) / 2)))
                covered.emplace_back(t0, t1);
        }
    }

    double margin2_;
    std::vector<Fill> fills_;
    double cell_ = 1;
    Box all_; // of every fill
    std::optional<CellGrid> grid_;
    std::vector<std::uint32_t> seen_;
    std::uint32_t stamp_ = 0;
    std::vector<double> cuts_;
    double tests_ = 0;
};

} // namespace

Result<HiddenCount> hideCovered(std::vector<PaintedLine>& lines, const std::vector<FillOutline>& fills,
                                double edgeMargin)
{
    HiddenCount count;
    Hider hider(fills, edgeMargin);
    if (hider.empty())
        return count;
    std::vector<PaintedLine> visible;
    visible.reserve(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::vector<LineSpan> spans = hider.hidden(lines[i].points, i);
        if (hider.overBudget())
            return failure("its fills are too many or too finely divided to work out what they hide (more than "
                           + std::to_string(static_cast<long long>(kMaxHidingTests / 1e6))
                           + " million tests of a line against an edge)");
        if (spans.empty()) {
            visible.push_back(std::move(lines[i]));
            continue;
        }
        const std::vector<Position>& p = lines[i].points;
        for (std::size_t k = 0; k < spans.size(); ++k) {
            count.length += (spans[k].to - spans[k].from) * distance(p[spans[k].segment], p[spans[k].segment + 1]);
            if (k == 0 || spans[k - 1].segment != spans[k].segment)
                ++count.segments;
        }
        for (Stroke& piece : cutOut(p, spans))
            visible.push_back(PaintedLine{lines[i].pen, std::move(piece.points)});
    }
    lines = std::move(visible);
    return count;
}

} // namespace orlex
