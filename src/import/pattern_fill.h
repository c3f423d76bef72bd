// The strokes of a pattern inside the shape it fills: the tile's strokes laid out over
// every tile the shape touches, each one cut to the shape by its fill rule.
#pragma once

#include "import/shape_clip.h"

#include <QPointF>

#include <array>
#include <cstddef>
#include <functional>
#include <vector>

namespace orlex {

// An affine map in cairo's order: x' = xx x + xy y + x0, y' = yx x + yy y + y0.
struct Affine {
    double xx = 1, yx = 0, xy = 0, yy = 1, x0 = 0, y0 = 0;
    QPointF map(const QPointF& p) const { return {xx * p.x() + xy * p.y() + x0, yx * p.x() + yy * p.y() + y0}; }
    bool invertible() const;
    Affine inverted() const; // only when invertible()
};

struct PatternTiling {
    Affine toPattern; // the page's device units to the tile's units
    double width = 0; // the tile's size in its units; 0: the tile is not repeated
    double height = 0;
    bool repeat = false;  // repeated in both directions (else drawn once, at its origin)
    bool evenOdd = false; // the shape's fill rule (else non-zero winding)
};

// Where a polyline lies inside the closed `rings` of a shape, cut at its edges.
std::vector<Polyline> clipToShape(const Polyline& line, const std::vector<Polyline>& rings, bool evenOdd);

// Lays `tile` (polylines in tile units) over the shape `rings` (device units) and hands
// each piece inside it, in device units, to `keep`. The work, in segment-against-edge
// tests, is taken off `testsLeft`; false when it would need more: a fill too fine to lay out.
bool layPattern(const std::vector<Polyline>& tile, const PatternTiling& tiling, const std::vector<Polyline>& rings,
                double& testsLeft, const std::function<void(Polyline&&)>& keep);

} // namespace orlex
