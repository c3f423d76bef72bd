// A filled shape that polylines are cut to: the pieces of a line inside it by its fill
// rule. Its edges are filed in horizontal bands, so that a segment is tested against the
// edges near it only (a clipping path of thousands of edges over a drawing of millions of
// segments).
#pragma once

#include <QPointF>
#include <QRectF>

#include <cstdint>
#include <vector>

namespace orlex {

using Polyline = std::vector<QPointF>;

class ShapeClip {
public:
    // Each ring is closed from its last point back to its first, as a fill closes it.
    ShapeClip(const std::vector<Polyline>& rings, bool evenOdd);

    // Appends the pieces of `line` inside the shape to `pieces`, in order. A point on an
    // edge is inside when the shape lies to its right (so an edge two shapes share
    // belongs to one of them only).
    void cut(const Polyline& line, std::vector<Polyline>& pieces) const;

    bool contains(const QPointF& p) const;
    const QRectF& bounds() const { return bounds_; }
    std::size_t edgeCount() const { return edges_.size(); }

private:
    struct Edge {
        QPointF from, to;
    };
    template <class Visit>
    void forEdgesBetween(double y0, double y1, Visit visit) const;
    void crossings(const QPointF& a, const QPointF& b, std::vector<double>& ts) const;

    std::vector<Edge> edges_;
    std::vector<std::vector<std::uint32_t>> bands_; // edges whose height meets each band
    double top_ = 0, bandHeight_ = 1;
    bool evenOdd_;
    QRectF bounds_;
};

} // namespace orlex
