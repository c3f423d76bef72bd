// "Pen home" and "Pen to 0": homing against the switches and the pen-up move to the
// drawing origin, with the other motion controls held off while they run.
#include "ui/main_window.h"

#include "run/plot_draw.h"

#include <QPushButton>

#include <optional>

namespace orlex::ui {

// Runs one homing motion with the jogs, the other homing button, Test and Show and Draw disabled,
// so no second motion can start from inside a step delay; the pen and motor buttons stay
// usable, and Stop or Esc ends the motion. Empty when a port call failed.
template <class Motion>
auto MainWindow::runMotion(Motion motion)
{
    if (!drawRunning_)
        drive().clearStop(); // a stale request must not end this motion at its first step
    motionRunning_ = true;
    setMotionControlsEnabled(false);
    if (!drawRunning_)
        setRunActive(true);
    std::optional<decltype(motion())> result;
    withPort([&] { result = motion(); }); // a failed port call ends the motion: no result
    if (!drawRunning_)
        resumePositionLost(QStringLiteral("a homing moved the carriage"));
    if (!drawRunning_) {
        setRunActive(false);
        drive().clearStop();
    }
    motionRunning_ = false;
    setMotionControlsEnabled(true);
    port_.flush();
    emit plotterMoved();
    return result;
}

// Drives to both switches (the pen lifted first) and backs off four steps.
void MainWindow::onPenHomeClicked()
{
    if (motionRunning_)
        return;
    if (!drive().state.connected) {
        showNotConnected();
        return;
    }
    const std::optional<HomeResult> home = runMotion([this] { return drive().home(); });
    if (home && home->outcome == HomeResult::Outcome::SwitchNeverClosed)
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Pen home"),
                           QString::fromStdString(home->message()));
}

// Homes, then moves with the pen up to the origin that leaves room for the negative part
// of the last checked plot. A failed homing ends it there: moving on from an unknown
// position could drive the carriage into its stops.
void MainWindow::onPenToZeroClicked()
{
    if (motionRunning_)
        return;
    if (!drive().state.connected) {
        showNotConnected();
        return;
    }
    const std::optional<OriginReport> origin =
        runMotion([this] { return moveToPlotOrigin(drive(), plotExtents, preview().zoom); });
    if (const std::string message = origin ? origin->message() : std::string(); !message.empty())
        feedback_->message(this, OperatorFeedback::Icon::Warning,
                           origin->home.ok() ? QStringLiteral("Pen to 0") : QStringLiteral("Pen home"),
                           QString::fromStdString(message));
}

} // namespace orlex::ui
