// "Pen home" and "Pen to 0": homing against the switches and the pen-up move to the
// drawing origin, with the other motion controls held off while they run.
#include "ui/main_window.h"

#include <QPushButton>

namespace orlex::ui {

// Drives to both switches and backs off four steps. Jogs, the other homing button,
// Test and Draw are disabled meanwhile, so no second motion can start from inside a
// step delay; the pen and motor buttons stay usable.
void MainWindow::cmdHome_Click()
{
    if (motionRunning_)
        return;
    if (!drive().state.Connected) {
        lastHome_ = HomeResult{HomeResult::Outcome::NotConnected};
        showNotConnected();
        return;
    }
    if (!drawRunning_)
        drive().clearStop(); // a stale request must not end this homing at its first step

    motionRunning_ = true;
    setMotionControlsEnabled(false);
    lastHome_ = drive().homeToSwitches();
    setMotionControlsEnabled(true);
    motionRunning_ = false;
    emit plotterMoved();

    if (lastHome_->outcome == HomeResult::Outcome::SwitchNeverClosed)
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Pen home"),
                           QString::fromStdString(lastHome_->message()));
}

// Homes (the whole of "Pen home" first), then moves with the pen up to the origin that
// leaves room for the negative part of the last tested plot. A failed homing ends it
// there: moving on from an unknown position could drive the carriage into its stops.
void MainWindow::cmdZero_Click()
{
    lastZeroReachedOrigin_ = false;
    if (motionRunning_)
        return;
    if (!drive().state.Connected) {
        showNotConnected();
        return;
    }

    lastHome_.reset();
    cmdHome_Click();
    if (!lastHome_ || !lastHome_->ok())
        return;

    motionRunning_ = true;
    setMotionControlsEnabled(false);
    const MoveResult move =
        drive().moveToOrigin(plotExtents.PlotMinX, plotExtents.PlotMinY, preview().Zoom);
    setMotionControlsEnabled(true);
    motionRunning_ = false;
    emit plotterMoved();

    lastZeroReachedOrigin_ = move.ok();
    if (move.refusal != MoveRefusal::None)
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Pen to 0"),
                           QStringLiteral("The pen cannot move to the origin: %1")
                               .arg(QString::fromStdString(move.reason)));
}

} // namespace orlex::ui
