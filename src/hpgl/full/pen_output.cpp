// Dashes, clipping and the hand-over to the sink (see pen_output.h).
#include "hpgl/full/pen_output.h"

#include "common/segment_clip.h"

#include <cmath>

namespace orlex::fullhpgl {

namespace {

Point along(Point from, Point to, double t)
{
    return {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t};
}

} // namespace

void PenOutput::setLineType(const LineType& lineType)
{
    lineType_ = lineType;
    patternIndex_ = 0;
    patternLeft_ = lineType_.pattern.empty() ? 0 : lineType_.pattern[0] * lineType_.patternLength;
}

void PenOutput::setPosition(Point at)
{
    position_ = at;
    setLineType(lineType_); // a pen-up jump starts the pattern afresh
}

bool PenOutput::moveTo(Point to)
{
    position_ = to;
    setLineType(lineType_); // a pen-up move starts the pattern afresh
    return emit(to, Pen::Up);
}

bool PenOutput::patternedLineTo(Point to)
{
    if (lineType_.solid)
        return solidLineTo(to);
    if (lineType_.dotsOnly) {
        position_ = to;
        return drawPiece(to, to);
    }
    return dashedLineTo(to);
}

bool PenOutput::solidLineTo(Point to)
{
    const Point from = position_;
    position_ = to;
    return drawPiece(from, to);
}

// Walks the pattern along the line; a fixed pattern goes on where the last line left it,
// an adaptive one is stretched so that whole patterns fit this line.
bool PenOutput::dashedLineTo(Point to)
{
    const Point from = position_;
    position_ = to;
    const double length = std::hypot(to.x - from.x, to.y - from.y);
    if (length == 0)
        return true;
    const DashPattern& pattern = lineType_.pattern;
    double patternLength = lineType_.patternLength;
    if (!(length / patternLength * static_cast<double>(pattern.size())
          <= static_cast<double>(limits_.maxDashesPerLine))) {
        outcome_.refuse("a dashed line would need more than " + std::to_string(limits_.maxDashesPerLine)
                            + " dashes (its pattern is too short for its length)",
                        true);
        return false;
    }
    if (lineType_.adaptive) {
        patternLength = length / std::max(1.0, std::round(length / patternLength));
        patternIndex_ = 0;
        patternLeft_ = pattern[0] * patternLength;
    }
    double done = 0;
    while (done < length) {
        const double step = std::min(patternLeft_, length - done);
        if (patternIndex_ % 2 == 0
            && !drawPiece(along(from, to, done / length), along(from, to, (done + step) / length)))
            return false;
        done += step;
        patternLeft_ -= step;
        if (patternLeft_ <= length * 1e-12) {
            patternIndex_ = (patternIndex_ + 1) % pattern.size();
            patternLeft_ = pattern[patternIndex_] * patternLength;
        }
    }
    return true;
}

bool PenOutput::drawPiece(Point from, Point to)
{
    if (window_) {
        double t0 = 0, t1 = 1;
        const Box& w = *window_;
        if (!clipSegment(from.x, from.y, to.x, to.y, w.min.x, w.min.y, w.max.x, w.max.y, t0, t1))
            return true;
        const Point a = along(from, to, t0);
        to = along(from, to, t1);
        from = a;
    }
    if (!anyEmitted_ || emitted_.x != from.x || emitted_.y != from.y) {
        if (!emit(from, Pen::Up))
            return false;
    }
    return emit(to, Pen::Down);
}

bool PenOutput::refuseAt()
{
    if (outcome_.points >= limits_.maxPoints)
        outcome_.refuse("the drawing has more than " + std::to_string(limits_.maxPoints)
                            + " points; the rest of the file would be lost",
                        true);
    else
        outcome_.refuse("a point lies more than "
                            + std::to_string(static_cast<long long>(limits_.maxCoordinate / 40000))
                            + " m from the origin: the drawing is too big",
                        true);
    return false;
}

} // namespace orlex::fullhpgl
