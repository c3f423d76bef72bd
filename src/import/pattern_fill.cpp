// The strokes of a pattern inside the shape it fills.
#include "import/pattern_fill.h"

#include <QRectF>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace orlex {

bool Affine::invertible() const
{
    const double determinant = xx * yy - xy * yx;
    return std::isfinite(determinant) && std::fabs(determinant) > 1e-12;
}

Affine Affine::inverted() const
{
    const double determinant = xx * yy - xy * yx;
    Affine r;
    r.xx = yy / determinant, r.xy = -xy / determinant;
    r.yx = -yx / determinant, r.yy = xx / determinant;
    r.x0 = -(r.xx * x0 + r.xy * y0);
    r.y0 = -(r.yx * x0 + r.yy * y0);
    return r;
}

namespace {

double cross(const QPointF& a, const QPointF& b, const QPointF& p)
{
    return (b.x() - a.x()) * (p.y() - a.y()) - (b.y() - a.y()) * (p.x() - a.x());
}

// Each ring is closed from its last point back to its first, as a fill closes it.
template <class EdgeVisitor>
void forEachEdge(const std::vector<Polyline>& rings, EdgeVisitor visit)
{
    for (const Polyline& ring : rings)
        for (std::size_t i = 0; i < ring.size(); ++i)
            visit(ring[i], ring[(i + 1) % ring.size()]);
}

bool inside(const QPointF& p, const std::vector<Polyline>& rings, bool evenOdd)
{
    int winding = 0, crossings = 0;
    forEachEdge(rings, [&](const QPointF& a, const QPointF& b) {
        if (a.y() <= p.y() && b.y() > p.y() && cross(a, b, p) > 0)
            ++winding, ++crossings;
        else if (a.y() > p.y() && b.y() <= p.y() && cross(a, b, p) < 0)
            --winding, ++crossings;
    });
    return evenOdd ? crossings % 2 == 1 : winding != 0;
}

QRectF boundsOf(const std::vector<Polyline>& lines)
{
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const Polyline& line : lines)
        for (const QPointF& p : line) {
            minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
            minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
        }
    return minX <= maxX ? QRectF(QPointF(minX, minY), QPointF(maxX, maxY)) : QRectF();
}

bool overlaps(const QRectF& a, const QRectF& b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

struct Clipper {
    const std::vector<Polyline>& rings;
    bool evenOdd;
    QRectF bounds;
    std::size_t tests = 0;

    // Parameters along a..b where it crosses an edge of the shape.
    void crossings(const QPointF& a, const QPointF& b, std::vector<double>& ts)
    {
        const QPointF d = b - a;
        forEachEdge(rings, [&](const QPointF& c, const QPointF& e) {
            ++tests;
            const QPointF f = e - c;
            const double denominator = d.x() * f.y() - d.y() * f.x();
            if (denominator == 0)
                return;
            const QPointF g = c - a;
            const double t = (g.x() * f.y() - g.y() * f.x()) / denominator;
            const double u = (g.x() * d.y() - g.y() * d.x()) / denominator;
            if (t > 0 && t < 1 && u >= 0 && u <= 1)
                ts.push_back(t);
        });
    }

    void clip(const Polyline& line, std::vector<Polyline>& pieces)
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
            if (!overlaps(QRectF(a, b).normalized(), bounds)) {
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
                if (!inside(a + (b - a) * ((t0 + t1) / 2), rings, evenOdd)) {
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
};

} // namespace

std::vector<Polyline> clipToShape(const Polyline& line, const std::vector<Polyline>& rings, bool evenOdd)
{
    Clipper clipper{rings, evenOdd, boundsOf(rings)};
    std::vector<Polyline> pieces;
    clipper.clip(line, pieces);
    return pieces;
}

bool layPattern(const std::vector<Polyline>& tile, const PatternTiling& tiling, const std::vector<Polyline>& rings,
                double& testsLeft, const std::function<void(Polyline&&)>& keep)
{
    if (!tiling.toPattern.invertible() || rings.empty() || tile.empty())
        return true; // a pattern squeezed to nothing paints nothing
    const Affine toDevice = tiling.toPattern.inverted();

    // What the tile's surface holds: its strokes cut to its rectangle.
    std::vector<Polyline> content = tile;
    if (tiling.width > 0 && tiling.height > 0) {
        const double w = tiling.width, h = tiling.height;
        const std::vector<Polyline> rectangle{{{0, 0}, {w, 0}, {w, h}, {0, h}}};
        Clipper tileEdge{rectangle, false, QRectF(0, 0, w, h)};
        content.clear();
        for (const Polyline& line : tile)
            tileEdge.clip(line, content);
    }
    if (content.empty())
        return true;

    // The tiles the shape touches: its corners in the tile's units.
    const QRectF shape = boundsOf(rings);
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (const QPointF& corner : {shape.topLeft(), shape.topRight(), shape.bottomLeft(), shape.bottomRight()}) {
        const QPointF p = tiling.toPattern.map(corner);
        minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
    }
    double firstColumn = 0, lastColumn = 0, firstRow = 0, lastRow = 0;
    if (tiling.repeat && tiling.width > 0 && tiling.height > 0) {
        firstColumn = std::floor(minX / tiling.width), lastColumn = std::floor(maxX / tiling.width);
        firstRow = std::floor(minY / tiling.height), lastRow = std::floor(maxY / tiling.height);
    }
    std::size_t edges = 0, segments = 0;
    forEachEdge(rings, [&](const QPointF&, const QPointF&) { ++edges; });
    for (const Polyline& line : content)
        segments += line.empty() ? 0 : line.size() - 1;
    const double tiles = (lastColumn - firstColumn + 1) * (lastRow - firstRow + 1);
    const double tests = tiles * double(segments) * double(edges + 1);
    if (!(tests <= testsLeft))
        return false;
    testsLeft -= tests;

    Clipper clipper{rings, tiling.evenOdd, shape};
    std::vector<Polyline> pieces;
    // Counted in integers: far from the origin a tile number plus one is the same double.
    const auto rows = static_cast<std::int64_t>(lastRow - firstRow + 1);
    const auto columns = static_cast<std::int64_t>(lastColumn - firstColumn + 1);
    for (std::int64_t r = 0; r < rows; ++r)
        for (std::int64_t k = 0; k < columns; ++k)
            for (const Polyline& line : content) {
                const double row = firstRow + double(r), column = firstColumn + double(k);
                Polyline placed;
                placed.reserve(line.size());
                for (const QPointF& p : line)
                    placed.push_back(toDevice.map(p + QPointF(column * tiling.width, row * tiling.height)));
                pieces.clear();
                clipper.clip(placed, pieces);
                for (Polyline& piece : pieces)
                    keep(std::move(piece));
            }
    return true;
}

} // namespace orlex
