// The draw's sink: points become lines of the carriage, at the scale the draw fixed when it
// began (the zoom it was checked at, the step mode of the job).
#pragma once

#include "drive/drive.h"
#include "hpgl/plot_sink.h"
#include "plan/draw_time.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orlex {

class DrawSink : public PlotSink {
public:
    // Points before `firstPoint` (1-based) are only counted; `pointsSkipped` is then told
    // the step periods they would have sent, once, before the first point drawn.
    DrawSink(Drive& drive, const PlotScale& scale, std::uint64_t firstPoint,
             std::function<void(std::uint64_t stepPeriods)> pointsSkipped);

    // Carries out one point: the pen command, then the line. A draw from a later point
    // first travels, pen up, to where the point before it ends. False when the move was
    // refused or stopped, or the port failed.
    bool point(double x, double y, Pen pen) override;

    // How the draw ended, when a point returned false.
    MoveResult refusal; // not ok() when a point could not be converted to steps
    double refusedX = 0, refusedY = 0;
    bool stopped = false;                                // a stop request ended a move
    std::optional<Error> portFault;                      // a port call failed during a move
    bool lastPointDone = false;                          // the last point handed in was carried out whole
    std::uint64_t pointsSeen() const { return points_; } // points handed in so far

private:
    bool move(double x, double y, Pen pen);

    Drive& drive_;
    const PlotScale scale_;
    const std::uint64_t firstPoint_;
    std::function<void(std::uint64_t)> pointsSkipped_;
    StepCountSink skipped_; // what the points before the first would have sent
    std::uint64_t points_ = 0;
    double lastX_ = 0, lastY_ = 0; // the last point handed in
};

} // namespace orlex
