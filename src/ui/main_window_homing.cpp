// "Pen home", "Pen to 0" and "Speed" on the motion thread, and what the window shows when
// such a job ends.
#include "ui/main_window.h"

#include "run/plot_draw.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace orlex::ui {

// Drives to both switches (the pen lifted first) and backs off four steps.
void MainWindow::onPenHomeClicked()
{
    if (!controller_->idle())
        return;
    if (!drive().state.connected) {
        showNotConnected();
        return;
    }
    controller_->startHome();
}

// Homes, then moves with the pen up to the origin that leaves room for the negative part
// of the last tested plot. A failed homing ends it there: moving on from an unknown
// position could drive the carriage into its stops.
void MainWindow::onPenToZeroClicked()
{
    if (!controller_->idle())
        return;
    if (!drive().state.connected) {
        showNotConnected();
        return;
    }
    controller_->startPenToZero(plotExtents, lastCheck ? &*lastCheck : nullptr, preview().zoom);
}

void MainWindow::onMotionEnded(const MotionEnd& end)
{
    if (end.portFault) {
        portFailed(portFaultMessage(*end.portFault, end.safeEnd));
        return;
    }
    const auto warn = [this](const QString& title, const std::string& text) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, title, QString::fromStdString(text));
    };
    if (end.home || end.origin) {
        showPen(Pen::Up); // homing lifts it first
        resumePositionLost(QStringLiteral("a homing moved the carriage"));
        emit plotterMoved();
    }
    if (end.home && end.home->outcome == HomeResult::Outcome::SwitchNeverClosed)
        warn(QStringLiteral("Pen home"), end.home->message());
    if (end.origin)
        if (const std::string message = end.origin->message(); !message.empty())
            warn(end.origin->home.ok() ? QStringLiteral("Pen to 0") : QStringLiteral("Pen home"), message);
    if (!end.home && !end.origin)
        showSpeed(end.stepWaits);
}

// The step period in whole milliseconds, truncated; a step shorter than 1 ms shows 0, too
// coarse to estimate a drawing time with.
void MainWindow::showSpeed(std::optional<long> stepWaits)
{
    if (!stepWaits) {
        progressLabel->setText(QStringLiteral("Speed measurement stopped: no step period was measured"));
        return;
    }
    const double ms = std::floor(1000.0 / static_cast<double>(std::max(*stepWaits, 1L)));
    statusBox->setText(QString::number(static_cast<long long>(ms)));
    if (ms >= 1)
        lastSpeedMs_ = static_cast<int>(ms);
    else
        lastSpeedMs_.reset();
}

} // namespace orlex::ui
