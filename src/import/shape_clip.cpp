// Polylines cut to a filled shape (see shape_clip.h).
#include "import/shape_clip.h"

#include <algorithm>
#include <cmath>

namespace orlex {

namespace {

double cross(const QPointF& a, const QPointF& b, const QPointF& p)
{
    return (b.x() - a.x()) * (p.y() - a.y()) - (b.y() - a.y()) * (p.x() - a.x());
}

bool overlaps(const QRectF& a, const QRectF& b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

} // namespace

ShapeClip::ShapeClip(const std::vector<Polyline>& rings, bool evenOdd) : evenOdd_(evenOdd)
{
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const Polyline& ring : rings)
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const QPointF& p = ring[i];
            edges_.push_back({p, ring[(i + 1) % ring.size()]});
            minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
        }
    if (edges_.empty())
        return;
    bounds_ = QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
    // About the square root of the edges in bands: a few edges each, few edges in many.
    const auto bands = static_cast<std::size_t>(std::clamp(std::sqrt(double(edges_.size())), 1.0, 1024.0));
    top_ = minY;
    bandHeight_ = maxY > minY && std::isfinite(maxY - minY) ? (maxY - minY) / double(bands) : 1;
    bands_.resize(bands);
    for (std::size_t i = 0; i < edges_.size(); ++i) {
        const Edge& e = edges_[i];
        const double first = std::min(e.from.y(), e.to.y()), last = std::max(e.from.y(), e.to.y());
        const auto from = static_cast<std::size_t>(std::clamp((first - top_) / bandHeight_, 0.0, double(bands - 1)));
        const auto to = static_cast<std::size_t>(std::clamp((last - top_) / bandHeight_, 0.0, double(bands - 1)));
        for (std::size_t b = from; b <= to; ++b)
            bands_[b].push_back(static_cast<std::uint32_t>(i));
    }
}

// Every edge whose band meets y0..y1 (an edge in several bands is visited in each).
template <class Visit>
void ShapeClip::forEdgesBetween(double y0, double y1, Visit visit) const
{
    if (bands_.empty() || y1 < bounds_.top() || y0 > bounds_.bottom())
        return;
    const double last = double(bands_.size() - 1);
    const auto from = static_cast<std::size_t>(std::clamp((y0 - top_) / bandHeight_, 0.0, last));
    const auto to = static_cast<std::size_t>(std::clamp((y1 - top_) / bandHeight_, 0.0, last));
    for (std::size_t b = from; b <= to; ++b)
        for (const std::uint32_t i : bands_[b])
            visit(edges_[i]);
}

bool ShapeClip::contains(const QPointF& p) const
{
    int winding = 0, count = 0;
    // The band holding p.y holds every edge that a horizontal ray through p can cross.
    forEdgesBetween(p.y(), p.y(), [&](const Edge& e) {
        const QPointF &a = e.from, &b = e.to;
        if (a.y() <= p.y() && b.y() > p.y() && cross(a, b, p) > 0)
            ++winding, ++count;
        else if (a.y() > p.y() && b.y() <= p.y() && cross(a, b, p) < 0)
            --winding, ++count;
    });
    return evenOdd_ ? count % 2 == 1 : winding != 0;
}

// Parameters along a..b where it crosses an edge of the shape (an edge met in two bands
// twice: the piece between the two equal parameters is empty and skipped).
void ShapeClip::crossings(const QPointF& a, const QPointF& b, std::vector<double>& ts) const
{
    const QPointF d = b - a;
    forEdgesBetween(std::min(a.y(), b.y()), std::max(a.y(), b.y()), [&](const Edge& e) {
        const QPointF f = e.to - e.from;
        const double denominator = d.x() * f.y() - d.y() * f.x();
        if (denominator == 0)
            return;
        const QPointF g = e.from - a;
        const double t = (g.x() * f.y() - g.y() * f.x()) / denominator;
        const double u = (g.x() * d.y() - g.y() * d.x()) / denominator;
        if (t > 0 && t < 1 && u >= 0 && u <= 1)
            ts.push_back(t);
    });
}

void ShapeClip::cut(const Polyline& line, std::vector<Polyline>& pieces) const
{
    Polyline current;
    auto flush = [&] {
        if (current.size() >= 2)
            pieces.push_back(std::move(current));
        current.clear();
    };
    std::vector<double> ts;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const QPointF a = line[i], b = line[i + 1];
        if (!overlaps(QRectF(a, b).normalized(), bounds_)) {
            flush();
            continue;
        }
        ts.assign({0.0, 1.0});
        crossings(a, b, ts);
        std::sort(ts.begin(), ts.end());
        for (std::size_t k = 0; k + 1 < ts.size(); ++k) {
            const double t0 = ts[k], t1 = ts[k + 1];
            if (t1 - t0 < 1e-12)
                continue;
            if (!contains(a + (b - a) * ((t0 + t1) / 2))) {
                flush();
                continue;
            }
            const QPointF from = a + (b - a) * t0, to = a + (b - a) * t1;
            if (current.empty() || current.back() != from) {
                flush();
                current.push_back(from);
            }
            current.push_back(to);
        }
    }
    flush();
}

} // namespace orlex
