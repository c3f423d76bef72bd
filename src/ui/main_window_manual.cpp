// Manual controls of the main window: jogs, motor and pen buttons, the presence check,
// the motor-status lamp and the step-period measurement.
#include "ui/main_window.h"

#include "ui/widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

namespace orlex::ui {

namespace {
constexpr std::int16_t kLampRed = 12;
constexpr std::int16_t kLampWhite = 15;
} // namespace

// One step of one motor, written to the port at once: no delay, no presence check.
// Refused while a homing or a draw owns the carriage (the buttons are disabled then,
// this only guards calls that do not come through a button).
void MainWindow::jog(bool xAxis, int direction)
{
    if (motionRunning_ || drawRunning_)
        return;
    if (xAxis) {
        drive().state.directionX = direction;
        drive().stepX();
    } else {
        drive().state.directionY = direction;
        drive().stepY();
    }
    withPort([this] { drive().energiseCoils(); });
    resumePositionLost(QStringLiteral("the carriage was jogged"));
    emit plotterMoved();
}

void MainWindow::onStepUpClicked()
{
    jog(false, 1);
}

void MainWindow::onStepDownClicked()
{
    jog(false, -1);
}

void MainWindow::onStepRightClicked()
{
    jog(true, 1);
}

void MainWindow::onStepLeftClicked()
{
    jog(true, -1);
}

// Coils off, or back on at the phases they had; the caption names the next action.
void MainWindow::onMotorClicked()
{
    withPort([this] {
        if (!drive().coilsEnergised()) {
            drive().energiseCoils();
            motorButton->setText(QStringLiteral("Motor off"));
        } else {
            motorButton->setText(QStringLiteral("Motor on"));
            resumePositionLost(QStringLiteral("the motors were switched off")); // nothing holds the carriage
            drive().switchCoilsOff();
        }
    });
    emit plotterMoved();
}

// Pen down shows the button in light red; pen up gives it back the button-face colour.
void MainWindow::onPenClicked()
{
    if (drive().state.manualPen == Pen::Up) {
        drive().state.manualPen = Pen::Down;
        QPalette red = penButton->palette();
        red.setColor(QPalette::Button, paletteColour(kLampRed));
        penButton->setPalette(red);
        penButton->setAutoFillBackground(true);
        withPort([this] { drive().penDown(); });
    } else {
        drive().state.manualPen = Pen::Up;
        withPort([this] { drive().penUp(); });
        penButton->setPalette(QPalette()); // inherit the system's button face again
        penButton->setAutoFillBackground(false);
    }
    emit plotterMoved();
}

void MainWindow::runPresenceCheck()
{
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
    DriveState& s = drive().state;
    bool energised = false;
    // A broken port is reported once, not every 300 ms: until a check passes, the lamp
    // only shows the motors as off.
    if (!portFaultShown_)
        withPort([this, &energised] { energised = drive().coilsEnergised(); });
    if (energised) {
        motorButton->setText(QStringLiteral("Motor off"));
        motorSlashLine->hide();
        motorBackslashLine->hide();
        if (s.lampBlink == 0) {
            s.lampBlink = 1;
            motorLamp->setColour(kLampRed);
        } else {
            s.lampBlink = 0;
            motorLamp->setColour(kLampWhite);
        }
        motorStatusLabel->setText(QStringLiteral("Motor is connected"));
    } else {
        motorLamp->setColour(kLampWhite);
        motorSlashLine->show();
        motorBackslashLine->show();
        motorStatusLabel->setText(QStringLiteral("Motor is disconnected"));
        motorButton->setText(QStringLiteral("Motor on"));
    }
}

// Counts two-cycle step delays until speedTimer's first tick, one second after the start;
// the result is the length of one step in whole milliseconds, truncated. Stop or Esc
// ends it early, also while the clock does not run; it then measures nothing.
void MainWindow::onSpeedClicked()
{
    speedButton->setEnabled(false);
    drive().clearStop();
    speedRunning_ = true;
    setRunActive(true);
    drive().state.speedTicks = 1;
    speedTimer->start();
    double count = 0;
    const bool portWorked = withPort([this, &count] {
        while (drive().state.speedTicks <= 1 && !drive().stopRequested()) {
            drive().waitClockCycles(kStepCycles);
            count += 1;
            processEvents();
        }
    });
    // The window draws nothing on its own surface, so there is nothing else to erase.
    speedTimer->stop();
    const bool stopped = drive().stopRequested() || !portWorked;
    drive().clearStop();
    setRunActive(false);
    speedRunning_ = false;
    if (stopped) {
        progressLabel->setText(QStringLiteral("Speed measurement stopped: no step period was measured"));
    } else {
        const double ms = std::floor(1000.0 / count);
        statusBox->setText(QString::number(static_cast<long long>(ms)));
        // A step shorter than 1 ms shows 0: too coarse to estimate a drawing time with.
        if (ms >= 1)
            lastSpeedMs_ = static_cast<int>(ms);
        else
            lastSpeedMs_.reset();
    }
    speedButton->setEnabled(true);
}

void MainWindow::onSpeedTimer()
{
    std::int16_t& ticks = drive().state.speedTicks;
    if (ticks < INT16_MAX)
        ++ticks;
}

// The controls that start a motion. Draw follows the last check once they come back,
// and only outside a draw run (the draw run enables its own controls when it ends).
void MainWindow::setMotionControlsEnabled(bool enabled)
{
    for (QPushButton* b :
         {stepUpButton, stepDownButton, stepRightButton, stepLeftButton, penHomeButton, penToZeroButton})
        b->setEnabled(enabled);
    if (!enabled) {
        drawButton->setEnabled(false);
        testAndShowButton->setEnabled(false);
        return;
    }
    if (drawRunning_)
        return;
    testAndShowButton->setEnabled(true);
    updateDrawButton();
}

bool MainWindow::withPort(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const PortFault& fault) {
        portFailed(fault.what(), drive().makeSafe());
        return false;
    }
}

void MainWindow::portFailed(const std::string& fault, const std::string& safeFault)
{
    drive().state.connected = false;
    statusBox->setText(QStringLiteral("Err"));
    speedButton->setVisible(false);
    forgetCheck(); // Draw waits for a check, whose presence check must pass again
    resumePositionLost(QStringLiteral("the port failed"));
    portFaultShown_ = true;
    const QString message = QString::fromStdString(portFaultMessage(fault, safeFault));
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
    if (const VirtualPlotter* plotter = port_.virtualPlotter) {
        const double hz = plotter->config().clockHz;
        if (hz > 0 && std::isfinite(hz))
            return 2.0 / hz;
    }
    return std::nullopt;
}

} // namespace orlex::ui
