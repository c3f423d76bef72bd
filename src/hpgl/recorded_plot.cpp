// The in-memory plot: compact points, exact coordinates where they are not whole, pen changes.
#include "hpgl/recorded_plot.h"

#include <cmath>
#include <cstring>

namespace orlex {

namespace {

// True, with the value in `whole`, for a coordinate that 32 bits hold exactly (-0 is not
// such a one: its sign would be lost).
bool asWhole(double v, std::int32_t& whole)
{
    if (!(v > -2147483648.0 && v < 2147483648.0) || std::trunc(v) != v || (v == 0 && std::signbit(v)))
        return false;
    whole = static_cast<std::int32_t>(v);
    return true;
}

} // namespace

bool RecordedPlot::point(double x, double y, Pen pen)
{
    std::int32_t wholeX = 0, wholeY = 0;
    if (asWhole(x, wholeX) && asWhole(y, wholeY) && wholeX != kExact) {
        xy_.push_back(wholeX);
        xy_.push_back(wholeY);
    } else {
        xy_.push_back(kExact);
        xy_.push_back(static_cast<std::int32_t>(exact_.size()));
        exact_.push_back({x, y});
    }
    penDown_.push_back(pen == Pen::Down);
    return true;
}

void RecordedPlot::selectPen(char pen)
{
    penChanges_.push_back({points(), pen});
}

ReplayEnd RecordedPlot::replay(PlotSink& sink) const
{
    ReplayEnd end;
    std::size_t change = 0;
    const std::uint64_t count = points();
    for (std::uint64_t i = 0; i < count; ++i) {
        for (; change < penChanges_.size() && penChanges_[change].beforePoint == i; ++change)
            sink.selectPen(penChanges_[change].pen);
        const std::int32_t x = xy_[2 * i], y = xy_[2 * i + 1];
        const bool exact = x == kExact;
        const double px = exact ? exact_[static_cast<std::size_t>(y)].x : x;
        const double py = exact ? exact_[static_cast<std::size_t>(y)].y : y;
        ++end.points;
        if (!sink.point(px, py, penDown_[i] ? Pen::Down : Pen::Up)) {
            end.stopped = true;
            return end;
        }
    }
    for (; change < penChanges_.size(); ++change)
        sink.selectPen(penChanges_[change].pen);
    return end;
}

void RecordedPlot::shrink()
{
    xy_.shrink_to_fit();
    penDown_.shrink_to_fit();
    exact_.shrink_to_fit();
    penChanges_.shrink_to_fit();
}

bool RecordedPlot::ExactPoint::operator==(const ExactPoint& other) const
{
    return std::memcmp(this, &other, sizeof other) == 0;
}

bool RecordedPlot::operator==(const RecordedPlot& other) const
{
    return xy_ == other.xy_ && penDown_ == other.penDown_ && exact_ == other.exact_ && penChanges_ == other.penChanges_;
}

std::size_t RecordedPlot::bytes() const
{
    return xy_.capacity() * sizeof(std::int32_t) + penDown_.capacity() / 8 + exact_.capacity() * sizeof(ExactPoint)
           + penChanges_.capacity() * sizeof(PenChange);
}

} // namespace orlex
