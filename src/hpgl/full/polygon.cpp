// The polygon buffer (see polygon.h).
#include "hpgl/full/polygon.h"

#include <utility>

namespace orlex::fullhpgl {

std::size_t vertexCount(const Polygon& polygon)
{
    std::size_t count = 0;
    for (const Ring& ring : polygon)
        count += ring.vertices.size();
    return count;
}

Ring rectangleRing(Point a, Point c)
{
    return Ring{{{a, true}, {{c.x, a.y}, true}, {c, true}, {{a.x, c.y}, true}}, true};
}

void PolygonBuffer::begin(Point penPosition)
{
    polygon_.clear();
    polygon_.push_back(Ring{{{penPosition, false}}, false});
    vertices_ = 1;
    active_ = true;
    ringOpen_ = true;
}

bool PolygonBuffer::add(Point to, bool drawn, std::size_t maxVertices)
{
    if (vertices_ + 1 > maxVertices)
        return false;
    ++vertices_;
    if (!ringOpen_) { // the first point after PM1 starts the next subpolygon
        polygon_.push_back(Ring{{{to, false}}, false});
        ringOpen_ = true;
        return true;
    }
    polygon_.back().vertices.push_back({to, drawn});
    return true;
}

bool PolygonBuffer::addRing(Ring ring, std::size_t maxVertices)
{
    if (vertices_ + ring.vertices.size() > maxVertices)
        return false;
    vertices_ += ring.vertices.size();
    polygon_.push_back(std::move(ring));
    ringOpen_ = false;
    return true;
}

void PolygonBuffer::closeRing(bool penDown)
{
    if (ringOpen_)
        polygon_.back().closingDrawn = penDown;
    ringOpen_ = false;
}

void PolygonBuffer::set(Polygon polygon)
{
    polygon_ = std::move(polygon);
    vertices_ = vertexCount(polygon_);
    active_ = ringOpen_ = false;
}

void PolygonBuffer::end(bool penDown)
{
    closeRing(penDown);
    active_ = false;
}

} // namespace orlex::fullhpgl
