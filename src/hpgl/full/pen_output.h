// The last stage of the full HP-GL reading: every line in physical plotter units is cut
// into the dashes of the line type, clipped to the window (IW) and handed to the sink as
// a pen-up move to its start and a pen-down point at its end; pen-up moves of the file
// are handed on as they come.
#pragma once

#include "hpgl/full/line_type.h"
#include "hpgl/full/plot_state.h"
#include "hpgl/full/read_outcome.h"
#include "hpgl/plot_sink.h"

#include <cmath>
#include <cstdint>
#include <optional>

namespace orlex::fullhpgl {

struct OutputLimits {
    std::uint64_t maxPoints;
    std::uint64_t maxDashesPerLine;
    double maxCoordinate;
};

class PenOutput {
public:
    PenOutput(PlotSink& sink, const OutputLimits& limits, ReadOutcome& outcome)
        : sink_(sink), limits_(limits), outcome_(outcome)
    {}

    void setWindow(const std::optional<Box>& window) { window_ = window; }
    // A new line type starts its pattern afresh.
    void setLineType(const LineType& lineType);
    const LineType& lineType() const { return lineType_; }

    // Each returns false once the reading is to end (a refusal or a stop).
    bool moveTo(Point to);
    bool lineTo(Point to)
    {
        // The usual case, a solid line on from the last point handed on, at once.
        if (lineType_.solid && !window_ && emitted_.x == position_.x && emitted_.y == position_.y && anyEmitted_) {
            position_ = to;
            return emit(to, Pen::Down);
        }
        return patternedLineTo(to);
    }
    // A line drawn solid whatever the line type (the parts of a label).
    bool solidLineTo(Point to);
    void selectPen(char pen) { sink_.selectPen(pen); }

    Point position() const { return position_; }
    // Where the pen is, without a move handed on (after a polygon, a label's end...).
    void setPosition(Point at);

private:
    bool patternedLineTo(Point to);
    bool dashedLineTo(Point to);
    // A pen-down piece of a line, clipped to the window.
    bool drawPiece(Point from, Point to);
    bool emit(Point at, Pen pen)
    {
        if (!(std::fabs(at.x) <= limits_.maxCoordinate && std::fabs(at.y) <= limits_.maxCoordinate)
            || outcome_.points >= limits_.maxPoints) [[unlikely]]
            return refuseAt();
        ++outcome_.points;
        emitted_ = at;
        anyEmitted_ = true;
        if (!sink_.point(at.x, at.y, pen)) [[unlikely]] {
            outcome_.stopped = true;
            return false;
        }
        return true;
    }
    // Refuses the point that is too far away, or one past the limit of points.
    bool refuseAt();

    PlotSink& sink_;
    const OutputLimits limits_;
    ReadOutcome& outcome_;
    std::optional<Box> window_;
    LineType lineType_;
    std::size_t patternIndex_ = 0; // the pattern element the next line goes on with
    double patternLeft_ = 0;       // plotter units left of that element
    Point position_;
    Point emitted_;
    bool anyEmitted_ = false;
};

} // namespace orlex::fullhpgl
