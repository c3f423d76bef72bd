// The draw run that both front ends use: "Pen to 0" when the plot has negative
// coordinates, the plot its check recorded replayed into the preview, the carriage and
// the observer, and the pen lifted however the run ends.
#pragma once

#include "drive/drive.h"
#include "hpgl/plot_extents.h"
#include "hpgl/plot_reading.h"
#include "run/plot_test.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orlex {

// Where a draw shows what it draws: cleared once the drawing begins (after any "Pen to
// 0"), then every point, as it is read.
class DrawPreview : public PlotSink {
public:
    virtual void clear() = 0;
};

// Watches a draw: told when the drawing itself begins (after any "Pen to 0"), then every
// point once the carriage has carried it out (returning false stops the draw there) and
// every SP as the draw reaches it.
class DrawObserver : public PlotSink {
public:
    virtual void drawingStarts() {}
    // A draw from a later point: the step periods (step outputs plus two per pen command)
    // that the points before it would have sent, told once before the first point drawn.
    virtual void pointsSkipped(std::uint64_t stepPeriods) { (void)stepPeriods; }
};

// "Pen to 0": homing (pen lifted first), then the pen-up move of penToZeroSteps from home.
struct OriginReport {
    HomeResult home;
    MoveResult move; // the move to the origin; untouched when homing failed
    bool reached() const { return home.ok() && move.ok(); }
    bool stopped() const { return home.outcome == HomeResult::Outcome::Stopped || move.stopped; }
    // Why the origin was not reached, for the operator; empty when it was or on a stop.
    std::string message() const;
};

OriginReport moveToPlotOrigin(Drive& drive, const PenToZeroNeed& need, std::int16_t zoom);

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
        ReadFailed,   // the plot could not be read, or the full reading refused it
        PortFailed,   // a port call failed: the pen was lifted and the coils switched off, if the port let us
    };
    Outcome outcome = Outcome::Finished;
    bool movedToOrigin = false; // "Pen to 0" ran first
    OriginReport origin;
    ReadResult run; // the replay of the plot (its check's notes once it ran to the end); empty when it did not start
    std::uint64_t pointsDone = 0; // points the carriage carried out whole, those before the first included
    MoveResult refusal;           // PointRefused: why
    double refusedX = 0, refusedY = 0;
    // The point being drawn when the draw ended early (stopped, refused, unreadable): a
    // resumed draw starts there. 0 when the draw finished.
    std::uint64_t stoppedAtPoint = 0;
    std::optional<Error> portFault; // PortFailed: the call that failed and why
    Result<void> safeEnd;           // PortFailed: making the machine safe then, makeSafe()'s answer
    // What to tell the operator; empty when the draw finished or was stopped.
    std::string message() const;
};

// What to draw and how: the plot as its check read it, and the zoom and step mode it was
// checked in, fixed for the whole draw. The file is not read again: a file changed or
// removed since the check does not change what is drawn.
struct DrawJob {
    std::shared_ptr<const RecordedPlot> plot; // null: nothing is drawn, the check's reading is told
    PenToZeroNeed origin;                     // as checked, for "Pen to 0"
    std::int16_t zoom = 100;
    bool halfStep = true;
    DrawPlan plan;
    ReadResult checked; // the check's reading: its beeps, caption and skipped pairs, told when the draw ends
};

// The draw of the plot `check` recorded (CheckSetup::keepPlot), from `plan`.
DrawJob drawJobFor(const PlotTest& check, DrawPlan plan = {});

// Draws the plot from the carriage position, after "Pen to 0" when the checked extents
// are negative (or the plan asks for it), from the plan's first point on; the preview,
// when given, is cleared once the drawing begins and shows every point. The pen is up
// when this returns, whatever ended the run; the coils stay energised so the carriage
// holds its place, unless a port call failed: then they are switched off too.
DrawReport drawPlot(const DrawJob& job, Drive& drive, DrawPreview* preview = nullptr, DrawObserver* observer = nullptr);

} // namespace orlex
