// The draw session: the claim, the draw, the safe end and the one outcome both front
// ends present.
#include "run/draw_session.h"

#include "common/exit_codes.h"

namespace orlex {

using Kind = DrawOutcome::Kind;

int exitStatusFor(Kind kind, int stopSignal)
{
    switch (kind) {
    case Kind::Finished: return kExitOk;
    case Kind::Stopped: return kExitInterrupted + stopSignal;
    case Kind::NoPlotter: return kExitNoPlotter;
    case Kind::OriginFailed:
    case Kind::PointRefused: return kExitDrawFailed;
    case Kind::ReadFailed: return kExitUsage;
    case Kind::PortFailed:
    case Kind::SafeEndFailed: return kExitPortFailed;
    }
    return kExitPortFailed;
}

int DrawOutcome::exitStatus(int stopSignal) const
{
    return exitStatusFor(kind, stopSignal);
}

namespace {

Kind kindOf(DrawReport::Outcome outcome)
{
    switch (outcome) {
    case DrawReport::Outcome::Finished: return Kind::Finished;
    case DrawReport::Outcome::Stopped: return Kind::Stopped;
    case DrawReport::Outcome::OriginFailed: return Kind::OriginFailed;
    case DrawReport::Outcome::PointRefused: return Kind::PointRefused;
    case DrawReport::Outcome::ReadFailed: return Kind::ReadFailed;
    case DrawReport::Outcome::PortFailed: return Kind::PortFailed;
    }
    return Kind::PortFailed;
}

DrawOutcome ended(Kind kind, std::string message = {})
{
    DrawOutcome outcome;
    outcome.kind = outcome.drew = kind;
    outcome.message = std::move(message);
    return outcome;
}

// The claim and the draw. A failed port call of the claim leaves here; the draw's own
// are in its report.
DrawOutcome claimAndDraw(Drive& drive, const DrawJob& job, DrawMonitor* monitor, DrawPreview* preview,
                         const DrawSessionSetup& setup)
{
    if (setup.claim) {
        drive.penUp();
        if (drive.stopRequested())
            return ended(Kind::Stopped); // nothing has moved yet
        if (!drive.checkPresence())
            return drive.stopRequested() ? ended(Kind::Stopped) : ended(Kind::NoPlotter, kNoPlotterText);
    }
    if (setup.claimed)
        setup.claimed();
    DrawOutcome outcome;
    outcome.drawBegan = true;
    outcome.report = drawPlot(job, drive, preview, monitor);
    if (setup.drawReturned)
        setup.drawReturned();
    outcome.kind = outcome.drew = kindOf(outcome.report.outcome);
    outcome.pointsDone = outcome.report.pointsDone;
    outcome.stoppedAtPoint = outcome.report.stoppedAtPoint;
    outcome.message = outcome.report.message();
    return outcome;
}

} // namespace

DrawOutcome runDrawSession(Drive& drive, const DrawJob& job, DrawMonitor* monitor, DrawPreview* preview,
                           const DrawSessionSetup& setup)
{
    DrawOutcome outcome;
    std::optional<Error> fault;
    try {
        outcome = claimAndDraw(drive, job, monitor, preview, setup);
    } catch (const PortFault& failed) {
        fault = failure(failed.what());
    }
    // The safe end: the draw has lifted the pen; the coils go off after a failed call, or
    // when the front end ends with the session.
    const Result<void> safeEnd = fault || setup.coilsOffAtEnd ? drive.makeSafe() : Result<void>();
    if (fault) {
        outcome.kind = outcome.drew = Kind::PortFailed;
        outcome.message = portFaultMessage(*fault, safeEnd);
    } else if (!safeEnd && outcome.kind != Kind::PortFailed) {
        outcome.kind = Kind::SafeEndFailed;
        outcome.safeEndMessage = "lifting the pen and switching the motors off at the end failed: " + safeEnd.message()
                                 + ". Switch the plotter off before you touch it.";
    }
    return outcome;
}

void holdForPenChange(Drive& drive, DrawMonitor& monitor, char pen, const std::function<void(char)>& due)
{
    drive.requestPause();
    monitor.pauseClock();
    if (due)
        due(pen);
    drive.holdWhilePaused(Pen::Up);
    if (due)
        due(0);
    monitor.resumeClock();
}

} // namespace orlex
