// "Test and Show", "Draw" and "Stop": the window's side of the shared test and draw runs,
// which Draw is allowed for, and the progress and time estimate in the status bar.
#include "ui/main_window.h"

#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "ui/widgets.h"

#include <QAction>
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
void announceRunEnd(const RunResult& run, OperatorFeedback& feedback, QWidget& window)
{
    for (int i = 0; i < run.beeps; ++i)
        feedback.beep();
    if (run.endOfFileCaption)
        window.setWindowTitle(QString::fromUtf8(kEndOfFileCaption));
}

// What the interpreter reports during a draw. Once the drawing itself begins, a timer
// shows it: the live views at most 25 times a second, the status bar 5 times.
class DrawProgress : public DrawObserver {
public:
    DrawProgress(Drive& drive, std::function<void()> drawingStarts, std::function<void()> liveViewDue,
                 std::function<void(const QString&)> showText)
        : drive_(drive), drawingStarts_(std::move(drawingStarts)), liveViewDue_(std::move(liveViewDue)),
          showText_(std::move(showText))
    {
        liveView_.setInterval(kLiveViewIntervalMs);
        QObject::connect(&liveView_, &QTimer::timeout, [this] {
            liveViewDue_();
            if (sinceText_.elapsed() >= kProgressIntervalMs) {
                showText_(text());
                sinceText_.restart();
            }
        });
        showText_(text());
    }

    void drawingStarts() override
    {
        drawingStarts_();
        clock_.start();
        sinceText_.start();
        liveView_.start();
    }
    void onPoint(std::uint64_t bytesRead, std::uint64_t fileSize, std::uint64_t points) override
    {
        bytesRead_ = bytesRead;
        fileSize_ = fileSize;
        points_ = points;
    }
    bool stopRequested() override { return drive_.stopRequested(); }

    std::uint64_t points() const { return points_; }
    // "1 min 05 s": how long the drawing itself has taken so far.
    QString took() const { return duration(clock_.isValid() ? clock_.elapsed() / 1000.0 : 0.0); }

    // "Drawing: 42 % of the file, 1234 points, 1 min 05 s elapsed, about 2 min 10 s left"
    QString text() const
    {
        const double elapsedSeconds = clock_.isValid() ? clock_.elapsed() / 1000.0 : 0.0;
        QString text = QStringLiteral("Drawing: ");
        if (fileSize_ > 0) {
            const double share = static_cast<double>(bytesRead_) / static_cast<double>(fileSize_);
            text += QStringLiteral("%1 % of the file, ").arg(static_cast<int>(share * 100));
        }
        text += QStringLiteral("%1 points, %2 elapsed").arg(points_).arg(duration(elapsedSeconds));
        // The time left assumes the rest of the file draws at the pace of what is done.
        if (fileSize_ > 0 && bytesRead_ > 0 && bytesRead_ < fileSize_) {
            const double left =
                elapsedSeconds * static_cast<double>(fileSize_ - bytesRead_) / static_cast<double>(bytesRead_);
            text += QStringLiteral(", about %1 left").arg(duration(left));
        }
        return text;
    }

private:
    Drive& drive_;
    std::function<void()> drawingStarts_;
    std::function<void()> liveViewDue_;
    std::function<void(const QString&)> showText_;
    QTimer liveView_;
    QElapsedTimer clock_;     // since the drawing itself began
    QElapsedTimer sinceText_; // since the status bar was last written
    std::uint64_t bytesRead_ = 0;
    std::uint64_t fileSize_ = 0;
    std::uint64_t points_ = 0;
};

QString estimateText(const RunResult& test, std::optional<double> stepPeriodSeconds)
{
    const QString prefix = QStringLiteral("Estimated drawing time: ");
    if (!stepPeriodSeconds)
        return prefix + QStringLiteral("unknown until \"Speed\" has measured the step period");
    if (const std::optional<double> seconds = estimatedDrawSeconds(test, *stepPeriodSeconds))
        return prefix + duration(*seconds);
    return prefix + QStringLiteral("unknown, a point of this plot cannot be converted to motor steps");
}

} // namespace

// What a successful test checked: Draw is allowed only while all of it still holds.
MainWindow::DrawableTest MainWindow::currentTestKey() const
{
    DrawableTest key;
    key.path = plotFile_;
    key.zoom = preview_->zoom;
    key.halfStep = halfStepOption->isChecked();
    key.stepLengthX = settings_.stepLengthX;
    key.stepLengthY = settings_.stepLengthY;
    key.limitX = settings_.travelXmm;
    key.limitY = settings_.travelYmm;
    return key;
}

// The last test no longer speaks for what Draw would draw: Draw waits for a new one.
void MainWindow::forgetTest()
{
    drawableTest_.reset();
    drawButton->setEnabled(false);
}

void MainWindow::updateDrawButton()
{
    drawButton->setEnabled(!drawRunning_ && !motionRunning_ && drawableTest_.has_value());
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

// Previews and measures the plot, then applies the fit rule and the presence test.
void MainWindow::onTestClicked()
{
    if (drawRunning_ || motionRunning_)
        return; // the button is disabled then; this guards calls from code
    drawButton->setEnabled(false);
    testButton->setEnabled(false);
    drawableTest_.reset();

    const PlotTest test = testPlot(plotFile_, preview(), drive());
    if (test.verdict == PlotTest::Verdict::Unreadable) {
        // Nothing was measured: the extents of the last good test stay, Draw stays off.
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(test.run.openError));
        testButton->setEnabled(true);
        return;
    }
    announceRunEnd(test.run, *feedback_, *this);

    plotExtents = test.extents;
    minXLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.minXmm)));
    minYLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.minYmm)));
    maxXLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.maxXmm)));
    maxYLabel->setText(QString::fromStdString(millimetreLabel(plotExtents.maxYmm)));

    if (!test.fits()) {
        paintFrame(limitFrame, kFrameTooBig);
        drawButton->setEnabled(false);
        runPresenceCheck();
    } else {
        paintFrame(limitFrame, kFrameFits);
        runPresenceCheck();
        if (drive().state.connected) {
            DrawableTest key = currentTestKey();
            key.stamp = stampOf(key.path);
            drawableTest_ = key;
        }
        drawButton->setEnabled(drawableTest_.has_value());
    }
    lastTest = test.run;
    progressLabel->setText(estimateText(test.run, stepPeriodSeconds()));

    for (const std::string& warning : test.warnings())
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(warning));
    testButton->setEnabled(true);
}

// Draws the plot from the carriage position, after "Pen to 0" when the plot has
// negative coordinates. Stop (button or Esc) ends it after the current step.
void MainWindow::onDrawClicked()
{
    // Only what a test checked is drawn: the button is disabled otherwise, and this also
    // guards calls from code.
    if (drawRunning_ || motionRunning_ || !drawableTest_ || !plotStillAsTested())
        return;
    setDrawRunning(true);
    DrawProgress progress(
        drive(),
        [this] { // the drawing begins: the lamp shows the motors steadily on
            statusTimer->stop();
            motorCrossLine1->hide();
            motorCrossLine2->hide();
            motorLamp->setColour(kLampSteady);
            motorStatusLabel->setText(QStringLiteral("Motor is connected"));
        },
        [this] { emit plotterMoved(); }, [this](const QString& text) { progressLabel->setText(text); });

    const DrawReport report = drawPlot(plotFile_, plotExtents, preview(), drive(), &progress);

    showDrawEnd(report, progress.points(), progress.took());
    setDrawRunning(false);
}

// A file that is gone or changed since the test must not move the carriage, not even for
// "Pen to 0": Draw then says why and waits for a new test.
bool MainWindow::plotStillAsTested()
{
    QString problem;
    if (const Result<void> readable = checkPlotReadable(plotFile_); !plotFile_.empty() && !readable)
        problem = QString::fromStdString(readable.message() + " Nothing was moved.");
    else if (drawableTest_->stamp != stampOf(drawableTest_->path))
        problem = QStringLiteral("The plot file has changed since it was tested. "
                                 "Press \"Test and Show\" again before drawing.");
    if (problem.isEmpty())
        return true;
    forgetTest();
    feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"), problem);
    return false;
}

// The controls around a draw: while it runs, Test, Draw and the manual controls are off
// and Stop is offered; afterwards everything comes back, Draw as the last test allows.
void MainWindow::setDrawRunning(bool running)
{
    if (running) {
        drawButton->setEnabled(false);
        testButton->setEnabled(false);
        plotterControlFrame->setEnabled(false);
        drive().clearStop();
        drawRunning_ = true;
        setRunActive(true); // from here on, so Stop also ends the homing of Pen to 0
        return;
    }
    setRunActive(false);
    drawRunning_ = false;
    drive().clearStop();
    port_.flush();
    statusTimer->start();
    testButton->setEnabled(true);
    plotterControlFrame->setEnabled(true);
    updateDrawButton();
    emit plotterMoved();
}

// The status bar and, where the operator must know, a message: how the draw ended.
void MainWindow::showDrawEnd(const DrawReport& report, std::uint64_t points, const QString& took)
{
    announceRunEnd(report.run, *feedback_, *this);
    auto warn = [this](const std::string& text) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"), QString::fromStdString(text));
    };
    switch (report.outcome) {
    case DrawReport::Outcome::Finished:
        progressLabel->setText(QStringLiteral("Drawing finished: %1 points in %2").arg(report.run.points).arg(took));
        break;
    case DrawReport::Outcome::Stopped:
        // The pen is up; the coils stay energised so the carriage holds its place.
        progressLabel->setText(
            QStringLiteral("Drawing stopped by the operator after %1 points, %2").arg(points).arg(took));
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
                                   .arg(report.run.refusedX, 0, 'g', 12)
                                   .arg(report.run.refusedY, 0, 'g', 12));
        warn(report.message());
        break;
    case DrawReport::Outcome::ReadFailed:
        progressLabel->setText(QStringLiteral("Drawing stopped: the plot file could not be read"));
        warn(report.message());
        break;
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
