// The draw run that both front ends use: "Pen to 0" when the plot has negative
// coordinates, the interpreter in draw mode, and the pen lifted however the run ends.
#pragma once

#include "drive/drive.h"
#include "hpgl/interpreter.h"
#include "hpgl/plot_extents.h"
#include "preview/preview.h"

#include <cstdint>
#include <string>

namespace orlex {

// Told when the drawing itself begins (after any "Pen to 0"), besides the interpreter's
// progress and stop questions.
class DrawObserver : public RunObserver {
public:
    virtual void drawingStarts() {}
};

// "Pen to 0": homing (pen lifted first), then a pen-up move to |minXmm| mm right and
// |minYmm| mm up from home.
struct OriginReport {
    HomeResult home;
    MoveResult move; // the move to the origin; untouched when homing failed
    bool reached() const { return home.ok() && move.ok(); }
    bool stopped() const { return home.outcome == HomeResult::Outcome::Stopped || move.stopped; }
    // Why the origin was not reached, for the operator; empty when it was or on a stop.
    std::string message() const;
};

OriginReport moveToPlotOrigin(Drive& drive, const PlotExtents& extents, std::int16_t zoom);

// Where a draw starts and from which point.
struct DrawPlan {
    enum class Origin {
        AsTested,     // "Pen to 0" when the tested extents are negative, else where the carriage stands
        PenToZero,    // always home and move to the "Pen to 0" point first, so the origin can be found again
        KeepPosition, // the carriage stands where a stopped draw of this plot left it: go on in its frame
    };
    Origin origin = Origin::AsTested;
    std::uint64_t firstPoint = 1; // 1-based, as the test run counts points
};

struct DrawReport {
    enum class Outcome {
        Finished,     // the file was drawn to its end
        Stopped,      // a stop request ended the run after a step
        OriginFailed, // "Pen to 0" did not reach the origin: nothing was drawn
        PointRefused, // a point cannot be reached in 16-bit steps
        ReadFailed,   // the plot file could not be read (any more)
        PortFailed,   // a port call failed: the pen was lifted and the coils switched off, if the port let us
    };
    Outcome outcome = Outcome::Finished;
    bool movedToOrigin = false; // "Pen to 0" ran first
    OriginReport origin;
    RunResult run; // the interpreter's run; empty when it did not start
    // The point being drawn when the draw ended early (stopped, refused, unreadable): a
    // resumed draw starts there. 0 when the draw finished.
    std::uint64_t stoppedAtPoint = 0;
    std::string portFault; // PortFailed: the call that failed and why
    std::string safeFault; // PortFailed: why the pen or the coils could not be switched too; empty when they were
    // What to tell the operator; empty when the draw finished or was stopped.
    std::string message() const;
};

// Draws the plot at `path` from the carriage position, after "Pen to 0" when the tested
// extents are negative (or the plan asks for it), from the plan's first point on. The pen
// is up when this returns, whatever ended the run; the coils stay energised so the
// carriage holds its place, unless a port call failed: then they are switched off too.
DrawReport drawPlot(const std::string& path, const PlotExtents& extents, Preview& preview, Drive& drive,
                    DrawObserver* observer = nullptr, const DrawPlan& plan = {});

} // namespace orlex
