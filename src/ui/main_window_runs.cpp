// "Test and Show", "Draw" and "Stop": the window's side of the shared test and draw runs,
// which Draw is allowed for, and the progress and time estimate in the status bar.
#include "ui/main_window.h"

#include "run/carriage_reach.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "run/preview_sink.h"
#include "ui/preview_widget.h"
#include "ui/widgets.h"

#include <QAction>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdlib>

namespace orlex::ui {

namespace {

constexpr std::int16_t kFrameTooBig = 12; // light red
constexpr std::int16_t kFrameFits = 7;    // light grey
constexpr std::int16_t kLampSteady = 12;  // motor lamp during a draw: light red, no blinking
constexpr int kLiveViewIntervalMs = 40;   // preview ink during a draw, at most 25 times a second
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
QString estimateText(const PlotTest& test, std::optional<double> stepPeriodSeconds, bool plotterAnswers)
{
    const QString prefix = QStringLiteral("Estimated drawing time: ");
    // "Speed" is shown only once a plotter answers: without one, the way there is Check.
    if (!stepPeriodSeconds && !plotterAnswers)
        return prefix + QStringLiteral("no plotter answers: connect it and press Check");
    if (!stepPeriodSeconds)
        return prefix + QStringLiteral("unknown until \"Speed\" has measured the step period");
    if (const std::optional<double> seconds = test.estimatedSeconds(*stepPeriodSeconds, true))
        return prefix + duration(*seconds) + (test.needsPenToZero() ? QStringLiteral(" plus homing") : QString());
    return prefix + QStringLiteral("unknown, a point of this plot cannot be converted to motor steps");
}

// "Too big: 205 × 203 mm on a 150 × 150 mm machine": the plot's size as the fit rule
// measures it, beside the red Limit box.
QString tooBigText(const PlotExtents& extents, const MachineSettings& settings)
{
    const int width = std::abs(int{extents.minXmm}) + std::abs(int{extents.maxXmm});
    const int height = std::abs(int{extents.minYmm}) + std::abs(int{extents.maxYmm});
    return QStringLiteral("Too big: %1 \u00d7 %2 mm on a %3 \u00d7 %4 mm machine")
        .arg(width)
        .arg(height)
        .arg(settings.travelXmm, 0, 'g', 6)
        .arg(settings.travelYmm, 0, 'g', 6);
}

} // namespace

// What a successful test checked: Draw is allowed only while all of it still holds.
DrawableCheck MainWindow::currentCheckKey() const
{
    DrawableCheck key;
    key.path = plotFile_;
    key.zoom = preview_->zoom;
    key.halfStep = halfStepOption->isChecked();
    key.shorterTravel = shorterTravelAction->isChecked();
    key.lineWork = lineWorkBits();
    key.strokeText = strokeTextAction->isChecked();
    key.reading = plotReading();
    key.stepLengthX = settings_.stepLengthX;
    key.stepLengthY = settings_.stepLengthY;
    key.limitX = settings_.travelXmm;
    key.limitY = settings_.travelYmm;
    return key;
}

// Every run reads its plot from the plot's origin, which is where the carriage stands
// when its drawing begins: the preview pen starts there too, not where the last plot
// ended, so a plot that begins with PD shows the same first line the paper gets.
void MainWindow::startPreviewPen()
{
    preview().lastX = 0;
    preview().lastY = 0;
}

// The plot drawn again into the preview, scaled and shifted so that its box (the origin
// included) shows whole; the draw that follows keeps the same fit.
void MainWindow::showWholePlot(const PlotTest& test)
{
    const PlotBox& box = test.box;
    preview().fit = preview().fitFor(box.minX, box.minY, box.maxX, box.maxY);
    startPreviewPen();
    PreviewSink previewSink(&preview());
    if (test.plot)
        test.plot->replay(previewSink);
}

// The last test no longer speaks for what Draw would draw: Draw waits for a new one.
void MainWindow::forgetCheck()
{
    policy_.forgetCheck();
    enableDraw(false);
    updateResumeButton();
}

void MainWindow::updateDrawButton()
{
    enableDraw(policy_.drawAllowed(controller_->idle()));
}

void MainWindow::enableDraw(bool on)
{
    drawButton->setEnabled(on);
    drawAction->setEnabled(on);
}

// Previews and measures the plot, then applies the fit rule and the presence test.
void MainWindow::onTestAndShowClicked()
{
    if (!controller_->idle())
        return; // the button is disabled then; this guards calls from code
    policy_.forgetCheck();
    controller_->setTesting(true);
    if (prepareRunFile())
        finishTestAndShow();
    else if (!preparation_.busy())
        controller_->setTesting(false); // it failed, and a message said why
}

// The test proper, once the file is prepared.
void MainWindow::finishTestAndShow(const std::shared_ptr<BackgroundCheck>& checked)
{
    const struct TestingEnds {
        RunController& controller;
        ~TestingEnds() { controller.setTesting(false); }
    } testingEnds{*controller_};
    preview().clear();
    startPreviewPen();
    preview().fit.reset();
    PreviewSink previewSink(&preview());
    // With View > "Whole plot in the preview" the test only measures; the preview is drawn
    // afterwards, fitted to the plot's box.
    // A check made beside the window brings its preview along; one made with another
    // setup, or one the preview cannot take (the window changed size meanwhile), is made
    // again here.
    const bool wholePlot = wholePlotAction->isChecked();
    const CheckSetup setup = checkSetup();
    const bool checkedBeside =
        checked
        && adoptBesideCheck({checked->test.has_value(), checked->setup, checked->settings},
                            {setup, settings_, wholePlot, previewCanvas->sameSizeAs(checked->canvas)})
        && (wholePlot || previewCanvas->takeOver(checked->canvas));
    // The test keeps the plot it read: the preview redrawn and Draw replay it.
    PlotSink* const sink = wholePlot ? nullptr : &previewSink;
    const PlotTest test = checkedBeside   ? *checked->test
                          : preparedPlot_ ? testPrepared(*preparedPlot_, settings_, setup, sink)
                                          : testPlot(plotFile_, settings_, setup, sink);
    if (checkedBeside) {
        preview().lastX = checked->lastX;
        preview().lastY = checked->lastY;
    }
    if (wholePlot && test.verdict != PlotTest::Verdict::Unreadable && test.verdict != PlotTest::Verdict::Refused)
        showWholePlot(test);
    if (test.verdict == PlotTest::Verdict::Unreadable || test.verdict == PlotTest::Verdict::Refused) {
        // Nothing was measured: nothing of the last test stays, and Draw stays off.
        forgetTestResults();
        const bool refused = test.verdict == PlotTest::Verdict::Refused;
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(refused ? test.run.refusal->message : test.run.openError->message));
        return;
    }
    if (test.notAPlot && !plotFile_.empty()) {
        // Nothing to draw: not an empty plot but not a plot at all. Draw stays off.
        forgetTestResults();
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(test.notAPlotMessage(plotFile_)));
        return;
    }
    std::vector<std::string> notes = test.run.notes;
    if (std::string ignored = test.run.ignoredByClassic.sentence(); !ignored.empty())
        notes.push_back(std::move(ignored));
    addInputNotes(notes);
    announceRunEnd(test.run, *feedback_, *this);

    plotExtents = test.extents;
    minXLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.minXmm)));
    minYLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.minYmm)));
    maxXLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.maxXmm)));
    maxYLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.maxYmm)));

    paintFrame(limitFrame, test.fits() ? kFrameFits : kFrameTooBig);
    runPresenceCheck();
    // No file chosen: four zeros that fit, but nothing to draw.
    if (test.fits() && drive().state.connected && !plotFile_.empty()) {
        DrawableCheck key = currentCheckKey();
        key.tested = {test.plot};
        policy_.tested(key);
    }
    lastCheck = test;
    if (plotFile_.empty())
        progressLabel->setText(QStringLiteral("Choose a plot file first: File > Open"));
    else if (test.verdict == PlotTest::Verdict::TooBig || test.verdict == PlotTest::Verdict::BeyondCoordinates)
        progressLabel->setText(tooBigText(plotExtents, settings_)); // a plot beyond the steps is told in a message
    else
        progressLabel->setText(estimateText(test, stepPeriodSeconds(), drive().state.connected));

    showCarriagePosition();
    for (const std::string& warning : test.warnings())
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(warning));
}

// What the last good test showed belongs to another file, or to this one as it was: the
// preview, the extents and the Limit box are cleared, and Draw stays off.
void MainWindow::forgetTestResults()
{
    forgetCheck();
    lastCheck.reset();
    plotExtents = PlotExtents{};
    for (QLabel* label : {minXLabel, minYLabel, maxXLabel, maxYLabel})
        label->setText(QStringLiteral("000.000"));
    limitFrame->setPalette(QPalette());
    limitFrame->setAutoFillBackground(false);
    preview().clear();
    progressLabel->setText(QStringLiteral("Test and Show failed: nothing was measured, and Draw stays off"));
    showCarriagePosition();
}

// Draws the plot from the carriage position, after "Pen to 0" when the plot has
// negative coordinates. Stop (button or Esc) ends it after the current step.
void MainWindow::onDrawClicked()
{
    runDraw(DrawPlan{});
}

// Where a plain Draw's drawing starts, when that is known (after "Pen to 0", or from where
// the carriage stands once a homing made that known): the plot must fit from there.
std::optional<std::string> MainWindow::positionRefusal(const DrawPlan& plan) const
{
    if (plan.firstPoint != 1)
        return std::nullopt; // a resumed draw goes on in the frame of the stopped one
    return fitFromDrawStart(*lastCheck, settings_, plan.origin, controller_->carriagePlace(), kWindowRemedies).refusal;
}

// The draw of Draw and Resume, on the motion thread. The window follows it with its
// live-view timer: new preview ink at most 25 times a second, the progress text 5 times,
// from the steps sent against the test's count.
void MainWindow::runDraw(const DrawPlan& plan)
{
    // Only what a test checked is drawn: the buttons are disabled otherwise, and this also
    // guards calls from code.
    if (!policy_.drawAllowed(controller_->idle()) || !lastCheck)
        return;
    if (const std::optional<std::string> refusal = positionRefusal(plan)) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"),
                           QString::fromStdString(*refusal));
        return;
    }
    const bool fromHome = drawsFromHome(plan); // before the policy forgets the stopped draw
    policy_.drawStarts();
    // The plot the test read: a file changed or removed since is not read again.
    const DrawJob job = drawJobFor(*lastCheck, plan);
    if (!controller_->startDraw(job, *lastCheck, pauseAtPenChangeAction->isChecked()))
        return;
    // The lamp shows the motors steadily on.
    statusTimer->stop();
    motorSlashLine->hide();
    motorBackslashLine->hide();
    motorLamp->setColour(kLampSteady);
    motorStatusLabel->setText(QStringLiteral("Motor is connected"));
    progressLabel->setText(QString::fromStdString(controller_->monitor()->progress().text()));
    sinceProgressText_.start();
    liveViewTimer->start(kLiveViewIntervalMs);
    startJournal(plan, fromHome);
}

void MainWindow::onLiveViewTick()
{
    drainInk();
    emit plotterMoved();
    pollDrawJournal();
    const DrawMonitor* monitor = controller_->monitor();
    if (monitor != nullptr && runState() == RunState::Drawing && sinceProgressText_.elapsed() >= kProgressIntervalMs) {
        progressLabel->setText(QString::fromStdString(monitor->progress().text()));
        showCarriagePosition();
        sinceProgressText_.restart();
    }
}

void MainWindow::drainInk()
{
    ink_.clear();
    controller_->takeInk(ink_);
    for (const InkItem& item : ink_) {
        if (item.clear) {
            preview().clear();
            startPreviewPen();
        } else
            preview().drawLine(item.x, item.y,
                               item.pen == Pen::Down ? penColour(item.penNumber) : preview().penUpColour);
    }
}

void MainWindow::onDrawEnded(const DrawOutcome& outcome)
{
    liveViewTimer->stop();
    drainInk();
    showPen(Pen::Up); // however the draw ended
    endDrawJournal(outcome.report);
    showDrawEnd(outcome, *controller_->monitor());
    policy_.drawEnded(outcome, lastDrawFromHome_);
    if (askingToQuit_) // nothing is left to stop
        feedback_->updateQuestion(QStringLiteral("The drawing has ended. Quit?"), QStringLiteral("Quit"));
    statusTimer->start();
    emit plotterMoved();
}

// The status bar and, where the operator must know, a message: how the draw ended.
void MainWindow::showDrawEnd(const DrawOutcome& outcome, const DrawMonitor& monitor)
{
    using Kind = DrawOutcome::Kind;
    const DrawReport& report = outcome.report;
    const QString took = duration(monitor.drawingSeconds());
    announceRunEnd(report.run, *feedback_, *this);
    auto warn = [this](const std::string& text) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"), QString::fromStdString(text));
    };
    switch (outcome.kind) {
    case Kind::Finished: {
        // A resumed draw drew only the rest: its points, and no estimate of the whole.
        const std::uint64_t first = monitor.firstPoint();
        QString text =
            first > 1
                ? QStringLiteral("Drawing finished: points %1 to %2 in %3").arg(first).arg(report.run.points).arg(took)
                : QStringLiteral("Drawing finished: %1 points in %2").arg(report.run.points).arg(took);
        const std::optional<double> period = stepPeriodSeconds();
        if (const std::optional<double> estimate =
                period && first == 1 ? lastCheck->estimatedSeconds(*period, false) : std::nullopt)
            text += QStringLiteral(" (estimated %1)").arg(duration(*estimate));
        progressLabel->setText(text);
        break;
    }
    case Kind::Stopped:
        // The pen is up; the coils stay energised so the carriage holds its place.
        progressLabel->setText(
            QStringLiteral("Drawing stopped by the operator after %1 points, %2").arg(monitor.pointsDone()).arg(took));
        break;
    case Kind::OriginFailed:
        progressLabel->setText(QStringLiteral("Drawing not started: the pen did not reach the origin"));
        if (report.origin.home.outcome == HomeResult::Outcome::NotConnected)
            showNotConnected();
        else
            warn(outcome.message);
        break;
    case Kind::PointRefused:
        progressLabel->setText(QStringLiteral("Drawing stopped at the point (%1, %2)")
                                   .arg(report.refusedX, 0, 'g', 12)
                                   .arg(report.refusedY, 0, 'g', 12));
        warn(outcome.message);
        break;
    case Kind::ReadFailed:
        progressLabel->setText(QStringLiteral("Drawing stopped: the plot file could not be read"));
        warn(outcome.message);
        break;
    case Kind::PortFailed: portFailed(outcome.message); break;
    case Kind::NoPlotter:     // the window's session claims nothing: its test checked the plotter
    case Kind::SafeEndFailed: // nor does it switch the motors off at its end
        warn(outcome.message + outcome.safeEndMessage);
        break;
    }
    if (const std::string skipped = report.run.skippedMessage(); !skipped.empty())
        warn(skipped);
    if (const std::string& lost = controller_->lostInLastDraw(); !lost.empty()) {
        progressLabel->setText(progressLabel->text() + QStringLiteral("; steps were lost"));
        warn(lost);
    }
}

// Asks a running draw, homing or speed measurement to end after the current step, or
// at once while it waits for a clock that does not run.
void MainWindow::onStopClicked()
{
    preparation_.cancel();
    controller_->stop();
}

} // namespace orlex::ui
