// The draw run shared by "Draw" and the command-line tool's draw: "Pen to 0", the
// drawing, and a pen that is up however the run ends.
#include "run/plot_draw.h"

#include "common/number_text.h"
#include "run/draw_sink.h"

#include <algorithm>

namespace orlex {

std::string OriginReport::message() const
{
    if (reached() || stopped())
        return {};
    if (!home.ok())
        return home.message();
    return "The pen cannot move to the origin: " + move.reason;
}

OriginReport moveToPlotOrigin(Drive& drive, const PenToZeroNeed& need, std::int16_t zoom)
{
    OriginReport report;
    report.home = drive.home();
    if (report.home.ok())
        report.move = drive.moveToOrigin(penToZeroSteps(need, drive.settings(), drive.halfStep(), zoom));
    return report;
}

DrawJob drawJobFor(const PlotTest& check, DrawPlan plan)
{
    return DrawJob{check.plot, check.penToZeroNeed(), check.zoom, check.halfStep, plan, check.run};
}

std::string DrawReport::message() const
{
    switch (outcome) {
    case Outcome::Finished:
    case Outcome::Stopped: return {};
    case Outcome::OriginFailed: return origin.message() + " Nothing was drawn.";
    case Outcome::PointRefused:
        return "Drawing stopped at the point (" + numberText(refusedX) + ", " + numberText(refusedY)
               + "): " + refusal.reason + " The pen has been lifted.";
    case Outcome::ReadFailed:
        return (run.openError ? run.openError->message : run.refusal->message) + " The pen has been lifted.";
    case Outcome::PortFailed: return portFaultMessage(*portFault, safeEnd);
    }
    return {};
}

namespace {

// Ends the draw after a point the carriage has carried out, when a stop was asked for:
// a move without steps never looks at the stop flag.
class StopCheck : public PlotSink {
public:
    explicit StopCheck(const Drive& drive) : drive_(drive) {}
    bool point(double, double, Pen) override { return !drive_.stopRequested(); }

private:
    const Drive& drive_;
};

// The recorded plot into the sinks. A replay to the end tells what the check's reading
// told at the end of the file (beeps, the caption, skipped pairs, notes), as a draw that
// read the file did; without a plot, the check's reading is the draw's (a file it could
// not open ends the draw as unreadable).
ReadResult replayChecked(const DrawJob& job, PlotSink& sinks)
{
    if (!job.plot)
        return job.checked;
    const ReplayEnd end = job.plot->replay(sinks);
    ReadResult run;
    if (!end.stopped)
        run = job.checked;
    run.points = end.points;
    run.stopped = end.stopped;
    return run;
}

DrawReport drawFromOrigin(const DrawJob& job, Drive& drive, DrawPreview* preview, DrawObserver* observer)
{
    DrawReport report;
    const DrawPlan& plan = job.plan;
    const bool negative = job.origin.minXmm < 0 || job.origin.minYmm < 0;
    const bool penToZero =
        plan.origin == DrawPlan::Origin::PenToZero || (plan.origin == DrawPlan::Origin::AsTested && negative);
    if (penToZero) {
        report.movedToOrigin = true;
        report.origin = moveToPlotOrigin(drive, job.origin, job.zoom);
        if (!report.origin.reached()) {
            // Homing lifted the pen before it moved, or nothing was touched at all.
            report.outcome = report.origin.stopped() ? DrawReport::Outcome::Stopped : DrawReport::Outcome::OriginFailed;
            if (report.outcome == DrawReport::Outcome::Stopped)
                report.stoppedAtPoint = plan.firstPoint;
            return report;
        }
    }
    // Wherever the carriage now stands is the plot's origin, unless it stands where a
    // stopped draw left it.
    if (plan.origin != DrawPlan::Origin::KeepPosition) {
        drive.state.positionX = 0;
        drive.state.positionY = 0;
    }
    if (preview != nullptr)
        preview->clear();
    if (observer != nullptr)
        observer->drawingStarts();

    // The scale is fixed here, once: the drive sees steps.
    DrawSink carriage(drive, drive.scaleAt(job.zoom), plan.firstPoint, [observer](std::uint64_t periods) {
        if (observer != nullptr)
            observer->pointsSkipped(periods);
    });
    StopCheck stopCheck(drive);
    SinkFan sinks{preview, &carriage, observer, &stopCheck};
    try {
        report.run = replayChecked(job, sinks);
    } catch (const PortFault& fault) {
        // A pen command of an SP (the pen lifted for a pen change) failed: the reading
        // ended there, at the point the carriage had reached.
        carriage.portFault = failure(fault.what());
        report.run.points = carriage.pointsSeen();
    }
    report.pointsDone = report.run.points - (carriage.lastPointDone || report.run.points == 0 ? 0 : 1);
    const std::uint64_t reached = report.pointsDone + 1; // the point the draw would go on with
    if (carriage.portFault) {
        report.outcome = DrawReport::Outcome::PortFailed;
        report.portFault = carriage.portFault;
        report.safeEnd = drive.makeSafe();
        report.stoppedAtPoint = std::max(reached, plan.firstPoint);
        return report;
    }
    // Files often end with "PU;" and no coordinates, which moves nothing: the pen would
    // stay down. Whatever ended the run, it comes up now. Anything that moves the carriage
    // next lifts it again and waits for it, so there is no wait here that a halted clock
    // could hold up.
    drive.penUp();

    report.refusal = carriage.refusal;
    report.refusedX = carriage.refusedX;
    report.refusedY = carriage.refusedY;
    if (report.run.openError || report.run.refusal)
        report.outcome = DrawReport::Outcome::ReadFailed;
    else if (carriage.refusal.refusal != MoveRefusal::None)
        report.outcome = DrawReport::Outcome::PointRefused;
    else if (report.run.stopped)
        report.outcome = DrawReport::Outcome::Stopped;
    if (report.outcome != DrawReport::Outcome::Finished)
        report.stoppedAtPoint = std::max(reached, plan.firstPoint);
    return report;
}

// Holds the step mode of the draw for as long as it runs.
class FixedStepMode {
public:
    FixedStepMode(Drive& drive, bool halfStep) : drive_(drive) { drive_.fixStepMode(halfStep); }
    ~FixedStepMode() { drive_.fixStepMode(std::nullopt); }
    FixedStepMode(const FixedStepMode&) = delete;
    FixedStepMode& operator=(const FixedStepMode&) = delete;

private:
    Drive& drive_;
};

} // namespace

DrawReport drawPlot(const DrawJob& job, Drive& drive, DrawPreview* preview, DrawObserver* observer)
{
    const FixedStepMode stepMode(drive, job.halfStep);
    try {
        return drawFromOrigin(job, drive, preview, observer);
    } catch (const PortFault& fault) {
        // A step or a status that did not get through (homing, "Pen to 0", a pen change)
        // ends the draw at once: the pen comes up and the coils go off, as far as the port
        // still lets us. Faults of the drawing's own lines are told in its run above.
        DrawReport report;
        report.outcome = DrawReport::Outcome::PortFailed;
        report.portFault = failure(fault.what());
        report.safeEnd = drive.makeSafe();
        return report;
    }
}

} // namespace orlex
