// The draw's sink: counting the points before a resumed draw's first, then the moves.
#include "run/draw_sink.h"

#include <utility>

namespace orlex {

DrawSink::DrawSink(Drive& drive, const PlotScale& scale, std::uint64_t firstPoint,
                   std::function<void(std::uint64_t)> pointsSkipped)
    : drive_(drive), scale_(scale), firstPoint_(firstPoint), pointsSkipped_(std::move(pointsSkipped)),
      skipped_({scale.stepLengthX, scale.stepLengthY}, scale.halfStep, scale.zoom)
{}

bool DrawSink::point(double x, double y, Pen pen)
{
    const std::uint64_t number = ++points_;
    lastPointDone = false;
    if (number < firstPoint_) {
        skipped_.point(x, y, pen); // what it would have sent, for the progress of the rest
    } else if (number == firstPoint_ && firstPoint_ > 1) {
        // Resuming: the carriage first travels, pen up, to where the point before this
        // one left it, then the draw goes on.
        if (pointsSkipped_)
            pointsSkipped_(skipped_.counts().stepPeriods());
        if (!move(lastX_, lastY_, Pen::Up))
            return false;
    }
    if (number >= firstPoint_ && !move(x, y, pen))
        return false;
    lastX_ = x;
    lastY_ = y;
    lastPointDone = true;
    return true;
}

bool DrawSink::move(double x, double y, Pen pen)
{
    try {
        const MoveResult moved = drive_.lineTo(pointSteps(x, y, scale_), pen);
        if (moved.refusal != MoveRefusal::None) {
            refusal = moved;
            refusedX = x;
            refusedY = y;
            return false;
        }
        stopped = moved.stopped;
        return !stopped;
    } catch (const PortFault& fault) {
        portFault = failure(fault.what());
        return false;
    }
}

} // namespace orlex
