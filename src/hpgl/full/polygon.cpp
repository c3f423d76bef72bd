// The polygon buffer (see polygon.h).
#include "hpgl/full/polygon.h"

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

bool PolygonBuffer::add(Point from, Point to, bool drawn, std::size_t maxVertices)
{
    const std::size_t needed = ringOpen_ ? 1 : 2;
    if (vertices_ + needed > maxVertices)
        return false;
    if (!ringOpen_) {
        polygon_.push_back(Ring{{{drawn ? from : to, false}}, false});
        ++vertices_;
        ringOpen_ = true;
        if (!drawn)
            return true;
    }
    polygon_.back().vertices.push_back({to, drawn});
    ++vertices_;
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

void PolygonBuffer::end(bool penDown)
{
    closeRing(penDown);
    active_ = false;
}

} // namespace orlex::fullhpgl
