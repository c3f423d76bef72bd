// "Test and Show", "Draw" and "Stop": the window's side of the shared check and draw runs,
// which Draw is allowed for, and the progress and time estimate in the status bar.
#include "ui/main_window.h"

#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "run/preview_sink.h"
#include "ui/widgets.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace orlex::ui {

namespace {

constexpr std::int16_t kFrameTooBig = 12; // light red
constexpr std::int16_t kFrameFits = 7;    // light grey
constexpr std::int16_t kLampSteady = 12;  // motor lamp during a draw: light red, no blinking
constexpr int kLiveViewIntervalMs = 40;   // plotterMoved during a draw, at most 25 a second
constexpr int kProgressIntervalMs = 200;  // status bar text, at most 5 a second

QString duration(double seconds)
{
    return QString::fromStdString(durationText(seconds));
}

void paintFrame(QGroupBox* frame, std::int16_t colour)
{
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, paletteColour(colour));
    frame->setPalette(palette);
    frame->setAutoFillBackground(true);
}

// Sounds the beeps the run asked for and sets the caption an unfinished pair asks for.
void announceRunEnd(const ReadResult& run, OperatorFeedback& feedback, QWidget& window)
{
    for (int i = 0; i < run.beeps; ++i)
        feedback.beep();
    if (run.endOfFileCaption)
        window.setWindowTitle(QString::fromUtf8(kEndOfFileCaption));
}

// The drawing time at the step period, the pen-up move of "Pen to 0" included; the
// homing before it depends on where the carriage stands, so it is only named.
QString estimateText(const PlotTest& check, std::optional<double> stepPeriodSeconds)
{
    const QString prefix = QStringLiteral("Estimated drawing time: ");
    if (!stepPeriodSeconds)
        return prefix + QStringLiteral("unknown until \"Speed\" has measured the step period");
    if (const std::optional<double> seconds = check.estimatedSeconds(*stepPeriodSeconds, true))
        return prefix + duration(*seconds) + (check.needsPenToZero() ? QStringLiteral(" plus homing") : QString());
    return prefix + QStringLiteral("unknown, a point of this plot cannot be converted to motor steps");
}

} // namespace

// What a successful check measured: Draw is allowed only while all of it still holds.
MainWindow::DrawableCheck MainWindow::currentCheckKey() const
{
    DrawableCheck key;
    key.path = plotFile_;
    key.zoom = preview_->zoom;
    key.halfStep = halfStepOption->isChecked();
    key.shorterTravel = shorterTravelAction->isChecked();
    key.stepLengthX = settings_.stepLengthX;
    key.stepLengthY = settings_.stepLengthY;
    key.limitX = settings_.travelXmm;
    key.limitY = settings_.travelYmm;
    return key;
}

// The last check no longer speaks for what Draw would draw: Draw waits for a new one.
void MainWindow::forgetCheck()
{
    drawableCheck_.reset();
    drawButton->setEnabled(false);
    updateResumeButton();
}

void MainWindow::updateDrawButton()
{
    drawButton->setEnabled(!drawRunning_ && !motionRunning_ && drawableCheck_.has_value());
}

// Stop and Esc are offered while anything waits on the plotter's clock; the dialogs
// and File > Open are not, since their modal loops would halt the machine mid-run.
void MainWindow::setRunActive(bool active)
{
    stopButton->setVisible(active);
    for (QAction* item : {openAction, settingsAction, aboutAction})
        item->setEnabled(!active);
    setAcceptDrops(!active);
}

// Previews and measures the plot, then applies the fit rule and the presence check.
void MainWindow::onTestAndShowClicked()
{
    if (drawRunning_ || motionRunning_)
        return; // the button is disabled then; this guards calls from code
    drawButton->setEnabled(false);
    testAndShowButton->setEnabled(false);
    drawableCheck_.reset();
    if (!prepareRunFile()) {
        testAndShowButton->setEnabled(true);
        return;
    }

    preview().clear();
    PreviewSink previewSink(&preview());
    const PlotTest check =
        testPlot(runFile(), settings_, CheckSetup{preview().zoom, halfStepOption->isChecked()}, &previewSink);
    if (check.verdict == PlotTest::Verdict::Unreadable) {
        // Nothing was measured: the extents of the last good check stay, Draw stays off.
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(check.run.openError));
        testAndShowButton->setEnabled(true);
        return;
    }
    announceRunEnd(check.run, *feedback_, *this);

    plotExtents = check.extents;
    minXLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.minXmm)));
    minYLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.minYmm)));
    maxXLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.maxXmm)));
    maxYLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.maxYmm)));

    if (!check.fits()) {
        paintFrame(limitFrame, kFrameTooBig);
        drawButton->setEnabled(false);
        runPresenceCheck();
    } else {
        paintFrame(limitFrame, kFrameFits);
        runPresenceCheck();
        if (drive().state.connected) {
            DrawableCheck key = currentCheckKey();
            key.stamp = stampOf(key.path);
            drawableCheck_ = key;
        }
        drawButton->setEnabled(drawableCheck_.has_value());
    }
    lastCheck = check;
    progressLabel->setText(estimateText(check, stepPeriodSeconds()));

    for (const std::string& warning : check.warnings())
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(warning));
    testAndShowButton->setEnabled(true);
    updateResumeButton(); // a new check of the same plot may allow it again
}

// Draws the plot from the carriage position, after "Pen to 0" when the plot has
// negative coordinates. Stop (button or Esc) ends it after the current step.
void MainWindow::onDrawClicked()
{
    runDraw(DrawPlan{});
}

// The draw of Draw and Resume. The status bar follows it: the live views at most 25
// times a second, the progress text 5 times, from the steps sent against the check's count.
void MainWindow::runDraw(const DrawPlan& plan)
{
    // Only what a check passed is drawn: the buttons are disabled otherwise, and this also
    // guards calls from code.
    if (drawRunning_ || motionRunning_ || !drawableCheck_ || !lastCheck || !plotStillAsChecked())
        return;
    setDrawRunning(true);

    QTimer liveView;
    liveView.setObjectName(QStringLiteral("liveViewTimer"));
    QElapsedTimer sinceText;
    DrawMonitorHooks hooks;
    hooks.drawingStarts = [&] { // the lamp shows the motors steadily on
        statusTimer->stop();
        motorSlashLine->hide();
        motorBackslashLine->hide();
        motorLamp->setColour(kLampSteady);
        motorStatusLabel->setText(QStringLiteral("Motor is connected"));
        sinceText.start();
        liveView.start(kLiveViewIntervalMs);
    };
    hooks.stopRequested = [this] { return drive().stopRequested(); };
    if (pauseAtPenChangeAction->isChecked())
        hooks.penChange = [this](char pen) { holdForPen(pen); };
    DrawMonitor monitor(drive(), *lastCheck, plan.firstPoint, std::move(hooks));
    connect(&liveView, &QTimer::timeout, this, [&] {
        emit plotterMoved();
        if (!drawPaused_ && sinceText.elapsed() >= kProgressIntervalMs) {
            progressLabel->setText(QString::fromStdString(monitor.progress().text()));
            sinceText.restart();
        }
    });
    progressLabel->setText(QString::fromStdString(monitor.progress().text()));
    drawMonitor_ = &monitor;

    const DrawReport report = drawPlot(DrawJob{runFile(), plotExtents, lastCheck->zoom, lastCheck->halfStep, plan},
                                       drive(), &preview(), &monitor);

    drawMonitor_ = nullptr;
    liveView.stop();
    showDrawEnd(report, monitor);
    recordStoppedDraw(report);
    setDrawRunning(false);
}

// A file that is gone or changed since the check must not move the carriage, not even for
// "Pen to 0": Draw then says why and waits for a new check.
bool MainWindow::plotStillAsChecked()
{
    QString problem;
    if (const Result<void> readable = checkPlotReadable(plotFile_); !plotFile_.empty() && !readable)
        problem = QString::fromStdString(readable.message() + " Nothing was moved.");
    else if (drawableCheck_->stamp != stampOf(drawableCheck_->path))
        problem = QStringLiteral("The plot file has changed since it was tested. "
                                 "Press \"Test and Show\" again before drawing.");
    if (problem.isEmpty())
        return true;
    forgetCheck();
    feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"), problem);
    return false;
}

// The controls around a draw: while it runs, Test and Show, Draw and the manual controls are off
// and Stop is offered; afterwards everything comes back, Draw as the last check allows.
void MainWindow::setDrawRunning(bool running)
{
    drive().continueAfterPause(); // no pause request outlives its draw
    if (running) {
        stoppedDraw_.reset();
        drawButton->setEnabled(false);
        testAndShowButton->setEnabled(false);
        plotterControlFrame->setEnabled(false);
        drive().clearStop();
        drawRunning_ = true;
        setRunActive(true); // from here on, so Stop also ends the homing of Pen to 0
        setPaused(false);
        updateResumeButton();
        return;
    }
    setRunActive(false);
    drawRunning_ = false;
    setPaused(false);
    drive().clearStop();
    port_.flush();
    statusTimer->start();
    testAndShowButton->setEnabled(true);
    plotterControlFrame->setEnabled(true);
    updateDrawButton();
    updateResumeButton();
    emit plotterMoved();
}

// The status bar and, where the operator must know, a message: how the draw ended.
void MainWindow::showDrawEnd(const DrawReport& report, const DrawMonitor& monitor)
{
    const QString took = duration(monitor.drawingSeconds());
    announceRunEnd(report.run, *feedback_, *this);
    auto warn = [this](const std::string& text) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"), QString::fromStdString(text));
    };
    switch (report.outcome) {
    case DrawReport::Outcome::Finished: {
        QString text = QStringLiteral("Drawing finished: %1 points in %2").arg(report.run.points).arg(took);
        const std::optional<double> period = stepPeriodSeconds();
        if (const std::optional<double> estimate = period ? lastCheck->estimatedSeconds(*period, false) : std::nullopt)
            text += QStringLiteral(" (estimated %1)").arg(duration(*estimate));
        progressLabel->setText(text);
        break;
    }
    case DrawReport::Outcome::Stopped:
        // The pen is up; the coils stay energised so the carriage holds its place.
        progressLabel->setText(
            QStringLiteral("Drawing stopped by the operator after %1 points, %2").arg(monitor.pointsDone()).arg(took));
        break;
    case DrawReport::Outcome::OriginFailed:
        progressLabel->setText(QStringLiteral("Drawing not started: the pen did not reach the origin"));
        if (report.origin.home.outcome == HomeResult::Outcome::NotConnected)
            showNotConnected();
        else
            warn(report.message());
        break;
    case DrawReport::Outcome::PointRefused:
        progressLabel->setText(QStringLiteral("Drawing stopped at the point (%1, %2)")
                                   .arg(report.refusedX, 0, 'g', 12)
                                   .arg(report.refusedY, 0, 'g', 12));
        warn(report.message());
        break;
    case DrawReport::Outcome::ReadFailed:
        progressLabel->setText(QStringLiteral("Drawing stopped: the plot file could not be read"));
        warn(report.message());
        break;
    case DrawReport::Outcome::PortFailed: portFailed(report.portFault, report.safeFault); break;
    }
    if (const std::string skipped = report.run.skippedMessage(); !skipped.empty())
        warn(skipped);
}

// Asks a running draw, homing or speed measurement to end after the current step, or
// at once while it waits for a clock that does not run.
void MainWindow::onStopClicked()
{
    if (drawRunning_ || motionRunning_ || speedRunning_)
        drive().requestStop();
}

} // namespace orlex::ui
