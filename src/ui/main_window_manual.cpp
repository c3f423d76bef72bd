// Manual controls of the main window: jogs, motor and pen buttons, the presence test,
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

// One step of one motor, written to the port at once: no delay, no presence test.
// Refused while a homing or a draw owns the carriage (the buttons are disabled then,
// this only guards calls that do not come through a button).
void MainWindow::cmdSteppYUp_Click()
{
    if (motionRunning_ || drawRunning_)
        return;
    drive().state.DirY = 1;
    drive().unPasY();
    drive().writeCoils();
    emit plotterMoved();
}

void MainWindow::cmdSteppYDo_Click()
{
    if (motionRunning_ || drawRunning_)
        return;
    drive().state.DirY = -1;
    drive().unPasY();
    drive().writeCoils();
    emit plotterMoved();
}

void MainWindow::cmdSteppXR_Click()
{
    if (motionRunning_ || drawRunning_)
        return;
    drive().state.DirX = 1;
    drive().unPasX();
    drive().writeCoils();
    emit plotterMoved();
}

void MainWindow::cmdSteppXL_Click()
{
    if (motionRunning_ || drawRunning_)
        return;
    drive().state.DirX = -1;
    drive().unPasX();
    drive().writeCoils();
    emit plotterMoved();
}

// Coils off, or back on at the phases they had; the caption names the next action.
void MainWindow::cmdMotor_Click()
{
    if (!drive().coilsEnergised()) {
        drive().writeCoils();
        cmdMotor->setText(QStringLiteral("Motor off"));
    } else {
        cmdMotor->setText(QStringLiteral("Motor on"));
        drive().switchCoilsOff();
    }
    emit plotterMoved();
}

// Pen down shows the button in light red; pen up gives it back the button-face colour.
void MainWindow::cmdPen_Click()
{
    if (drive().state.PenState == "PU") {
        drive().state.PenState = "PD";
        QPalette red = cmdPen->palette();
        red.setColor(QPalette::Button, paletteColour(kLampRed));
        cmdPen->setPalette(red);
        cmdPen->setAutoFillBackground(true);
        drive().penDown();
    } else {
        drive().state.PenState = "PU";
        drive().penUp();
        cmdPen->setPalette(QPalette()); // inherit the system's button face again
        cmdPen->setAutoFillBackground(false);
    }
    emit plotterMoved();
}

void MainWindow::check()
{
    const bool answered = drive().check(); // sets Connected
    txtStare->setText(answered ? QStringLiteral("OK") : QStringLiteral("Err"));
    cmdSpeed->setVisible(answered);
}

void MainWindow::cmdCheck_Click()
{
    cmdCheck->setEnabled(false);
    check();
    cmdCheck->setEnabled(true);
}

// Every 300 ms: a blinking lamp while the coils are energised, the crossed-out motor
// while they are off.
void MainWindow::Timer1_Timer()
{
    DriveState& s = drive().state;
    if (drive().coilsEnergised()) {
        cmdMotor->setText(QStringLiteral("Motor off"));
        Line1->hide();
        Line2->hide();
        if (s.MotorBlink == 0) {
            s.MotorBlink = 1;
            Shape9->setColour(kLampRed);
        } else {
            s.MotorBlink = 0;
            Shape9->setColour(kLampWhite);
        }
        Label10->setText(QStringLiteral("Motor is connected"));
    } else {
        Shape9->setColour(kLampWhite);
        Line1->show();
        Line2->show();
        Label10->setText(QStringLiteral("Motor is disconnected"));
        cmdMotor->setText(QStringLiteral("Motor on"));
    }
}

// Counts two-cycle step delays until Timer2's first tick, one second after the start;
// the result is the length of one step in whole milliseconds, truncated. Stop or Esc
// ends it early, also while the clock does not run; it then measures nothing.
void MainWindow::cmdSpeed_Click()
{
    cmdSpeed->setEnabled(false);
    drive().clearStop();
    speedRunning_ = true;
    setRunActive(true);
    drive().state.SpeedTicks = 1;
    Timer2->start();
    double count = 0;
    while (drive().state.SpeedTicks <= 1 && !drive().stopRequested()) {
        drive().delayh(kStepCycles);
        count += 1;
        processEvents();
    }
    // The window draws nothing on its own surface, so there is nothing else to erase.
    Timer2->stop();
    const bool stopped = drive().stopRequested();
    drive().clearStop();
    setRunActive(false);
    speedRunning_ = false;
    if (stopped) {
        lblProgress->setText(QStringLiteral("Speed measurement stopped: no step period was measured"));
    } else {
        const double ms = std::floor(1000.0 / count);
        txtStare->setText(QString::number(static_cast<long long>(ms)));
        // A step shorter than 1 ms shows 0: too coarse to estimate a drawing time with.
        if (ms >= 1)
            lastSpeedMs_ = static_cast<int>(ms);
        else
            lastSpeedMs_.reset();
    }
    cmdSpeed->setEnabled(true);
}

void MainWindow::Timer2_Timer()
{
    std::int16_t& ticks = drive().state.SpeedTicks;
    if (ticks < INT16_MAX)
        ++ticks;
}

// The controls that start a motion. Draw follows the last test once they come back,
// and only outside a draw run (the draw run enables its own controls when it ends).
void MainWindow::setMotionControlsEnabled(bool enabled)
{
    for (QPushButton* b : {cmdSteppYUp, cmdSteppYDo, cmdSteppXR, cmdSteppXL, cmdHome, cmdZero})
        b->setEnabled(enabled);
    if (!enabled) {
        cmdDraw->setEnabled(false);
        cmdTest->setEnabled(false);
        return;
    }
    if (drawRunning_)
        return;
    cmdTest->setEnabled(true);
    updateDrawButton();
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
