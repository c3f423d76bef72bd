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

void MainWindow::resumePositionLost(const QString& why)
{
    policy_.positionLost(why.toStdString());
    updateResumeButton();
}

void MainWindow::updateResumeButton()
{
    const ResumeOffer offer = policy_.resumeOffer(controller_->idle(), drawRunning());
    if (!offer.shown) {
        resumeButton->hide();
        return;
    }
    resumeButton->setText(QStringLiteral("Resume from point %1").arg(offer.point));
    resumeButton->setEnabled(offer.enabled);
    resumeButton->setToolTip(QString::fromStdString(offer.toolTip));
    resumeButton->show();
}

// Points before N are interpreted without moving (the preview shows them), the carriage
// travels pen up to where point N-1 ends, and the draw goes on from point N.
void MainWindow::onResumeClicked()
{
    if (!controller_->idle())
        return;
    if (const std::optional<DrawPlan> plan = policy_.resumePlan())
        runDraw(*plan);
    else
        updateResumeButton();
}

} // namespace orlex::ui
