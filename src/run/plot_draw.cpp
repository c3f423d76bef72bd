// The draw run shared by "Draw" and the command-line tool's draw: "Pen to 0", the
// drawing, and a pen that is up however the run ends.
#include "run/plot_draw.h"

#include "common/number_text.h"

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

OriginReport moveToPlotOrigin(Drive& drive, const PlotExtents& extents, std::int16_t zoom)
{
    OriginReport report;
    report.home = drive.home();
    if (report.home.ok())
        report.move = drive.moveToOrigin(extents.minXmm, extents.minYmm, zoom);
    return report;
}

std::string DrawReport::message() const
{
    switch (outcome) {
    case Outcome::Finished:
    case Outcome::Stopped: return {};
    case Outcome::OriginFailed: return origin.message() + " Nothing was drawn.";
    case Outcome::PointRefused:
        return "Drawing stopped at the point (" + numberText(run.refusedX) + ", " + numberText(run.refusedY)
               + "): " + run.refusal.reason + " The pen has been lifted.";
    case Outcome::ReadFailed: return run.openError + " The pen has been lifted.";
    case Outcome::PortFailed: return portFaultMessage(portFault, safeFault);
    }
    return {};
}

namespace {

DrawReport drawFromOrigin(const std::string& path, const PlotExtents& extents, Preview& preview, Drive& drive,
                          DrawObserver* observer, const DrawPlan& plan)
{
    DrawReport report;
    const bool negative = extents.minXmm < 0 || extents.minYmm < 0;
    const bool penToZero =
        plan.origin == DrawPlan::Origin::PenToZero || (plan.origin == DrawPlan::Origin::AsTested && negative);
    if (penToZero) {
        report.movedToOrigin = true;
        report.origin = moveToPlotOrigin(drive, extents, preview.zoom);
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
    preview.clear();
    if (observer != nullptr)
        observer->drawingStarts();

    report.run = runPlot(path, RunMode::Draw, preview, drive, observer, plan.firstPoint);
    if (!report.run.portFault.empty()) {
        report.outcome = DrawReport::Outcome::PortFailed;
        report.portFault = report.run.portFault;
        report.safeFault = drive.makeSafe();
        report.stoppedAtPoint = std::max(report.run.points + 1, plan.firstPoint);
        return report;
    }
    // Files often end with "PU;" and no coordinates, which moves nothing: the pen would
    // stay down. Whatever ended the run, it comes up now. Anything that moves the carriage
    // next lifts it again and waits for it, so there is no wait here that a halted clock
    // could hold up.
    drive.penUp();

    if (!report.run.opened)
        report.outcome = DrawReport::Outcome::ReadFailed;
    else if (report.run.refusal.refusal != MoveRefusal::None)
        report.outcome = DrawReport::Outcome::PointRefused;
    else if (report.run.stopped)
        report.outcome = DrawReport::Outcome::Stopped;
    if (report.outcome != DrawReport::Outcome::Finished)
        report.stoppedAtPoint = std::max(report.run.points + 1, plan.firstPoint);
    return report;
}

} // namespace

DrawReport drawPlot(const std::string& path, const PlotExtents& extents, Preview& preview, Drive& drive,
                    DrawObserver* observer, const DrawPlan& plan)
{
    try {
        return drawFromOrigin(path, extents, preview, drive, observer, plan);
    } catch (const PortFault& fault) {
        // A step or a status that did not get through (homing, "Pen to 0", a pen change)
        // ends the draw at once: the pen comes up and the coils go off, as far as the port
        // still lets us. Faults of the drawing's own lines are told in its run above.
        DrawReport report;
        report.outcome = DrawReport::Outcome::PortFailed;
        report.portFault = fault.what();
        report.safeFault = drive.makeSafe();
        return report;
    }
}

} // namespace orlex
