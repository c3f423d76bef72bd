// The strokes of a pattern inside the shape it fills.
#include "import/pattern_fill.h"

#include "import/shape_clip.h"

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

} // namespace

std::vector<Polyline> clipToShape(const Polyline& line, const std::vector<Polyline>& rings, bool evenOdd)
{
    std::vector<Polyline> pieces;
    ShapeClip(rings, evenOdd).cut(line, pieces);
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
        const ShapeClip tileEdge(rectangle, false);
        content.clear();
        for (const Polyline& line : tile)
            tileEdge.cut(line, content);
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
    const ShapeClip clipper(rings, tiling.evenOdd);
    const std::size_t edges = clipper.edgeCount();
    std::size_t segments = 0;
    for (const Polyline& line : content)
        segments += line.empty() ? 0 : line.size() - 1;
    const double tiles = (lastColumn - firstColumn + 1) * (lastRow - firstRow + 1);
    const double tests = tiles * double(segments) * double(edges + 1);
    if (!(tests <= testsLeft))
        return false;
    testsLeft -= tests;

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
                clipper.cut(placed, pieces);
                for (Polyline& piece : pieces)
                    keep(std::move(piece));
            }
    return true;
}

} // namespace orlex
