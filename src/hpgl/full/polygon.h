// Polygons of the full HP-GL reading: the polygon buffer of polygon mode (PM0, PM1, PM2)
// and the shapes built directly (rectangles, wedges, circles), in frame units.
#pragma once

#include "hpgl/full/plot_state.h"

#include <cstddef>
#include <vector>

namespace orlex::fullhpgl {

struct PolygonVertex {
    Point at;
    bool drawn = true; // the edge from the vertex before is pen down (EP draws it)
};

// A closed subpolygon; its closing edge is drawn when the pen was down as it closed.
struct Ring {
    std::vector<PolygonVertex> vertices;
    bool closingDrawn = true;
};

using Polygon = std::vector<Ring>;

std::size_t vertexCount(const Polygon& polygon);

// The rectangle with corners `a` and `c`, as one ring.
Ring rectangleRing(Point a, Point c);

class PolygonBuffer {
public:
    // PM0: a new polygon whose first vertex is the pen's position.
    void begin(Point penPosition);
    // A move or a line (`drawn`) to `to`; the first point after PM1 starts a new
    // subpolygon. False, with nothing added, when the buffer would exceed `maxVertices`.
    bool add(Point to, bool drawn, std::size_t maxVertices);
    // A ring of its own (a circle in polygon mode).
    bool addRing(Ring ring, std::size_t maxVertices);
    // PM1: closes the subpolygon; PM2 also ends polygon mode.
    void closeRing(bool penDown);
    void end(bool penDown);
    // A rectangle or a wedge (EA, ER, EW, RA, RR, WG) becomes the polygon EP and FP use.
    void set(Polygon polygon);

    bool active() const { return active_; }
    const Polygon& polygon() const { return polygon_; }

private:
    Polygon polygon_;
    std::size_t vertices_ = 0;
    bool active_ = false;
    bool ringOpen_ = false;
};

} // namespace orlex::fullhpgl
