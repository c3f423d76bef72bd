// Manual controls of the main window: jogs, motor and pen buttons, the presence test,
// the motor-status lamp and the step-period measurement.
#include "ui/main_window.h"

#include "drive/clock_cycles.h"
#include "ui/widgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

#include <cmath>

namespace orlex::ui {

namespace {
constexpr std::int16_t kLampRed = 12;
constexpr std::int16_t kLampWhite = 15;
} // namespace

// One step of one motor, written to the port at once: no delay, no presence test. Only
// while no job owns the machine (the buttons are disabled then; this guards calls that
// do not come through a button).
void MainWindow::jog(char axis, int direction)
{
    if (!controller_->idle())
        return;
    hintWithoutPlotter();
    withPort([this, axis, direction] { drive().jog(axis, direction); });
    resumePositionLost(QStringLiteral("the carriage was jogged"));
    showCarriagePosition();
    emit plotterMoved();
}

// The buttons still write to the port, but with no plotter there nothing moves: the
// status bar says why.
void MainWindow::hintWithoutPlotter()
{
    if (!drive().state.connected)
        progressLabel->setText(QStringLiteral("No plotter answers: press Check"));
}

void MainWindow::onStepUpClicked()
{
    jog('Y', 1);
}

void MainWindow::onStepDownClicked()
{
    jog('Y', -1);
}

void MainWindow::onStepRightClicked()
{
    jog('X', 1);
}

void MainWindow::onStepLeftClicked()
{
    jog('X', -1);
}

// Coils off, or back on at the phases they had; the caption names the next action.
void MainWindow::onMotorClicked()
{
    if (!controller_->idle())
        return;
    hintWithoutPlotter();
    withPort([this] {
        if (!drive().coilsEnergised()) {
            drive().energiseCoils();
            motorButton->setText(QStringLiteral("Motor off"));
        } else {
            motorButton->setText(QStringLiteral("Motor on"));
            resumePositionLost(QStringLiteral("the motors were switched off")); // nothing holds the carriage
            controller_->carriagePlaceLost();
            drive().switchCoilsOff();
        }
    });
    showCarriagePosition();
    emit plotterMoved();
}

// Pen down shows the button in light red; pen up gives it back the button-face colour.
void MainWindow::onPenClicked()
{
    if (!controller_->idle())
        return;
    const Pen next = manualPen_ == Pen::Up ? Pen::Down : Pen::Up;
    showPen(next);
    withPort([this, next] { next == Pen::Down ? drive().penDown() : drive().penUp(); });
    emit plotterMoved();
}

void MainWindow::showPen(Pen pen)
{
    manualPen_ = pen;
    QPalette palette;
    if (pen == Pen::Down)
        palette.setColor(QPalette::Button, paletteColour(kLampRed));
    penButton->setPalette(palette); // pen up: the system's button face again
    penButton->setAutoFillBackground(pen == Pen::Down);
}

void MainWindow::runPresenceCheck()
{
    if (!controller_->idle() && runState() != RunState::Testing)
        return;
    bool answered = false;
    if (!withPort([this, &answered] { answered = drive().checkPresence(); })) // sets connected
        return;
    statusBox->setText(answered ? QStringLiteral("OK") : QStringLiteral("Err"));
    speedButton->setVisible(answered);
    if (answered)
        portFaultShown_ = false;
}

void MainWindow::onPresenceCheckClicked()
{
    presenceCheckButton->setEnabled(false);
    runPresenceCheck();
    presenceCheckButton->setEnabled(true);
}

// Every 300 ms: a blinking lamp while the coils are energised, the crossed-out motor
// while they are off.
void MainWindow::onStatusTimer()
{
    // While a job owns the port the lamp keeps what it showed.
    if (!controller_->idle())
        return;
    bool energised = false;
    // A broken port is reported once, not every 300 ms: until a check passes, the lamp
    // only shows the motors as off.
    if (!portFaultShown_)
        withPort([this, &energised] { energised = drive().coilsEnergised(); });
    if (energised) {
        motorButton->setText(QStringLiteral("Motor off"));
        motorSlashLine->hide();
        motorBackslashLine->hide();
        lampLit_ = !lampLit_;
        motorLamp->setColour(lampLit_ ? kLampRed : kLampWhite);
        motorStatusLabel->setText(QStringLiteral("Motor is connected"));
    } else {
        motorLamp->setColour(kLampWhite);
        motorSlashLine->show();
        motorBackslashLine->show();
        motorStatusLabel->setText(QStringLiteral("Motor is disconnected"));
        motorButton->setText(QStringLiteral("Motor on"));
    }
}

// Counts two-cycle step delays for one second on the motion thread; the result is the
// length of one step in whole milliseconds, truncated. Stop or Esc ends it early, also
// while the clock does not run; it then measures nothing.
void MainWindow::onSpeedClicked()
{
    controller_->startSpeed();
}

// Which controls the operator may use: everything that touches the machine only while no
// job owns it; Stop while one runs; Pause or Continue during a draw; the dialogs that
// change what a run uses only when idle.
void MainWindow::applyRunState(RunState state)
{
    const bool idle = state == RunState::Idle;
    const bool drawing = state == RunState::Drawing || state == RunState::Paused;
    const bool running = !idle && state != RunState::Testing && state != RunState::Ending;
    plotterControlFrame->setEnabled(idle);
    stepTypeFrame->setEnabled(idle);
    zoomBox->setEnabled(idle);
    zoomScrollBar->setEnabled(idle);
    testAndShowButton->setEnabled(idle);
    testAndShowAction->setEnabled(idle);
    presenceCheckButton->setEnabled(idle);
    speedButton->setEnabled(idle);
    updateDrawButton();
    stopButton->setVisible(running);
    // Pause and Continue share a place: the one that comes takes no click for a double
    // click's time, so the second click of a double click does not undo the first.
    const bool pauseWasShown = !pauseButton->isHidden(), continueWasShown = !continueButton->isHidden();
    for (QPushButton* button : {pauseButton, continueButton}) {
        const bool pause = button == pauseButton;
        const bool shown = state == (pause ? RunState::Drawing : RunState::Paused);
        const bool replaces = shown && (pause ? continueWasShown : pauseWasShown);
        button->setVisible(shown);
        if (replaces) {
            button->setEnabled(false);
            QTimer::singleShot(QApplication::doubleClickInterval(), button, [button] { button->setEnabled(true); });
        }
    }
    pauseShortcut->setEnabled(drawing);
    if (idle)
        showCarriagePosition(); // after a job: where it left the carriage
    for (QAction* item : {openAction, openPrivateAction, settingsAction})
        item->setEnabled(idle);
    recentFilesMenu->menuAction()->setEnabled(idle && !recentFilesMenu->isEmpty());
    setAcceptDrops(idle);
    updateResumeButton();
}

bool MainWindow::withPort(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const PortFault& fault) {
        portFailed(portFaultMessage(failure(fault.what()), drive().makeSafe()));
        return false;
    }
}

void MainWindow::portFailed(const std::string& text)
{
    drive().state.connected = false;
    statusBox->setText(QStringLiteral("Err"));
    speedButton->setVisible(false);
    forgetCheck(); // Draw waits for a test, whose presence check must pass again
    resumePositionLost(QStringLiteral("the port failed"));
    controller_->carriagePlaceLost(); // what the last steps did is not known
    positionLabel->hide();
    portFaultShown_ = true;
    showPen(Pen::Up); // lifting it was tried
    const QString message = QString::fromStdString(text);
    progressLabel->setText(QStringLiteral("Port failure: the run has ended"));
    feedback_->message(this, OperatorFeedback::Icon::Critical, QStringLiteral("Port failure"), message);
}

void MainWindow::showNotConnected()
{
    feedback_->message(this, OperatorFeedback::Icon::Critical, QString::fromUtf8(kNotConnectedTitle),
                       QString::fromUtf8(kNotConnectedText));
}

// Length of one two-cycle step delay: the last "Speed" result, else the virtual
// plotter's clock; unknown on a real plotter that has not been measured.
std::optional<double> MainWindow::stepPeriodSeconds() const
{
    if (lastSpeedMs_)
        return *lastSpeedMs_ / 1000.0;
    if (const VirtualPlotter* plotter = controller_->virtualPlotter()) {
        const double hz = plotter->config().clockHz;
        if (hz > 0 && std::isfinite(hz))
            return orlex::stepPeriodSeconds(hz);
    }
    return std::nullopt;
}

} // namespace orlex::ui
