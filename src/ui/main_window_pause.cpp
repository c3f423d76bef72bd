// Pause and Continue during a draw, the pause at a pen change, and "Resume from point N"
// after a draw that ended early.
#include "ui/main_window.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>

namespace orlex::ui {

namespace {
constexpr const char* kPauseAtPenChangeKey = "draw/pauseAtPenChange";
}

// Takes effect after the current step: the pen comes up, the coils stay energised and
// the window stays live until Continue or Stop.
void MainWindow::onPauseClicked()
{
    if (runState() != RunState::Drawing)
        return;
    controller_->pause();
    const DrawMonitor* monitor = controller_->monitor();
    progressLabel->setText(
        QStringLiteral("Paused at point %1 of %2").arg(monitor->currentPoint()).arg(monitor->totalPoints()));
}

// The pen goes down again if the plot had it down, waits its four cycles, and the draw
// goes on with the next step.
void MainWindow::onContinueClicked()
{
    controller_->continueRun();
}

void MainWindow::onPauseAtPenChangeToggled(bool on)
{
    preferences_->setValue(QLatin1String(kPauseAtPenChangeKey), on);
    preferences_->sync();
}

void MainWindow::loadPreferences()
{
    preferences_ = options_.preferencesFile.isEmpty()
                       ? std::make_unique<QSettings>()
                       : std::make_unique<QSettings>(options_.preferencesFile, QSettings::IniFormat);
    pauseAtPenChangeAction->setChecked(preferences_->value(QLatin1String(kPauseAtPenChangeKey), false).toBool());
}

void MainWindow::recordStoppedDraw(const DrawReport& report)
{
    if (report.outcome == DrawReport::Outcome::Finished || report.stoppedAtPoint == 0 || !drawableCheck_) {
        stoppedDraw_.reset();
        return;
    }
    StoppedDraw stopped;
    stopped.check = *drawableCheck_;
    stopped.point = report.stoppedAtPoint;
    stopped.originIsPenToZero = lastDrawFromHome_;
    stoppedDraw_ = stopped;
}

void MainWindow::resumePositionLost(const QString& why)
{
    if (stoppedDraw_ && stoppedDraw_->positionLost.isEmpty())
        stoppedDraw_->positionLost = why;
    updateResumeButton();
}

QString MainWindow::resumeProblem() const
{
    DrawableCheck sameSetup = drawableCheck_.value_or(DrawableCheck{});
    sameSetup.tested = stoppedDraw_->check.tested;
    if (!drawableCheck_ || !(sameSetup == stoppedDraw_->check))
        return QStringLiteral("Resume needs the file, zoom, step type and settings of the stopped draw, "
                              "checked with \"Test and Show\".");
    // A new test of a file that changed since the draw stopped read another plot.
    if (!(drawableCheck_->tested == stoppedDraw_->check.tested))
        return QStringLiteral("The plot file has changed since the draw stopped.");
    if (!stoppedDraw_->positionLost.isEmpty() && !stoppedDraw_->originIsPenToZero)
        return QStringLiteral("Resume is not possible: since the draw stopped, %1, and this plot's origin is "
                              "where the carriage stood, which homing cannot find again.")
            .arg(stoppedDraw_->positionLost);
    return {};
}

void MainWindow::updateResumeButton()
{
    if (!stoppedDraw_ || drawRunning()) {
        resumeButton->hide();
        return;
    }
    const QString problem = resumeProblem();
    resumeButton->setText(QStringLiteral("Resume from point %1").arg(stoppedDraw_->point));
    resumeButton->setEnabled(problem.isEmpty() && controller_->idle());
    if (!problem.isEmpty())
        resumeButton->setToolTip(problem);
    else if (stoppedDraw_->positionLost.isEmpty())
        resumeButton->setToolTip(
            QStringLiteral("Draws on from point %1, from where the stopped draw left the carriage.")
                .arg(stoppedDraw_->point));
    else
        resumeButton->setToolTip(QStringLiteral("Homes, moves to the plot's origin (\"Pen to 0\"), then draws on "
                                                "from point %1.")
                                     .arg(stoppedDraw_->point));
    resumeButton->show();
}

// Points before N are interpreted without moving (the preview shows them), the carriage
// travels pen up to where point N-1 ends, and the draw goes on from point N.
void MainWindow::onResumeClicked()
{
    if (!stoppedDraw_ || !controller_->idle())
        return;
    if (const QString problem = resumeProblem(); !problem.isEmpty()) {
        updateResumeButton();
        return;
    }
    DrawPlan plan;
    plan.origin = stoppedDraw_->positionLost.isEmpty() ? DrawPlan::Origin::KeepPosition : DrawPlan::Origin::PenToZero;
    plan.firstPoint = stoppedDraw_->point;
    runDraw(plan);
}

} // namespace orlex::ui
