// "Test and Show", "Draw" and "Stop": the steps around the interpreter's two kinds of
// run, the fit rule, and the progress and time estimate in the status bar.
#include "ui/main_window.h"

#include "ui/widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace orlex::ui {

namespace {

constexpr std::int16_t kFrameTooBig = 12; // light red
constexpr std::int16_t kFrameFits = 7;    // light grey
constexpr std::uint8_t kPenUp = 1;        // control register bit 0
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

// What the interpreter reports during a draw; the status bar reads it on a timer.
class DrawProgress : public RunObserver {
public:
    explicit DrawProgress(Drive& drive) : drive_(drive) {}

    void onPoint(std::uint64_t bytesRead, std::uint64_t fileSize, std::uint64_t points) override
    {
        bytesRead_ = bytesRead;
        fileSize_ = fileSize;
        points_ = points;
    }
    bool stopRequested() override { return drive_.stopRequested(); }

    std::uint64_t points() const { return points_; }

    // "Drawing: 42 % of the file, 1234 points, 1 min 05 s elapsed, about 2 min 10 s left"
    QString text(double elapsedSeconds) const
    {
        QString text = QStringLiteral("Drawing: ");
        if (fileSize_ > 0) {
            const double share = static_cast<double>(bytesRead_) / static_cast<double>(fileSize_);
            text += QStringLiteral("%1 % of the file, ").arg(static_cast<int>(share * 100));
        }
        text += QStringLiteral("%1 points, %2 elapsed").arg(points_).arg(duration(elapsedSeconds));
        // The time left assumes the rest of the file draws at the pace of what is done.
        if (fileSize_ > 0 && bytesRead_ > 0 && bytesRead_ < fileSize_) {
            const double left = elapsedSeconds * static_cast<double>(fileSize_ - bytesRead_)
                / static_cast<double>(bytesRead_);
            text += QStringLiteral(", about %1 left").arg(duration(left));
        }
        return text;
    }

private:
    Drive& drive_;
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

// Previews and measures the plot, then applies the fit rule and the presence test.
void MainWindow::cmdTest_Click()
{
    if (drawRunning_ || motionRunning_)
        return; // the button is disabled then; this guards calls from code
    cmdDraw->setEnabled(false);
    cmdTest->setEnabled(false);
    preview().clear();

    const RunResult r = drawfile(settings().PlotFile, kTestMode, preview(), drive());
    if (!r.opened) {
        // Nothing was measured: the extents of the last good test stay, Draw stays off.
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(r.openError));
        cmdTest->setEnabled(true);
        return;
    }
    announceRunEnd(r, *feedback_, *this);

    plotExtents = extentsInMillimetres(r, preview().Zoom);
    Label8->setText(QString::fromStdString(millimetreLabel(plotExtents.PlotMinX)));
    Label7->setText(QString::fromStdString(millimetreLabel(plotExtents.PlotMinY)));
    Label11->setText(QString::fromStdString(millimetreLabel(plotExtents.PlotMaxX)));
    Label13->setText(QString::fromStdString(millimetreLabel(plotExtents.PlotMaxY)));

    // Points beyond the 16-bit extents cannot be measured, so such a plot never fits.
    if (r.outOfRange || !plotFits(plotExtents, settings())) {
        paintFrame(Frame5, kFrameTooBig);
        cmdDraw->setEnabled(false);
        check();
    } else {
        paintFrame(Frame5, kFrameFits);
        check();
        cmdDraw->setEnabled(drive().state.Connected);
    }
    lastTest = r;
    lblProgress->setText(estimateText(r, stepPeriodSeconds()));

    if (const std::string skipped = r.skippedMessage(); !skipped.empty())
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(skipped));
    if (r.outOfRange)
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QStringLiteral("The plot exceeds the coordinate range: it has points "
                                          "outside -32768 to 32767 plotter units and cannot be drawn."));
    cmdTest->setEnabled(true);
}

// Draws the plot from the carriage position, after "Pen to 0" when the plot has
// negative coordinates. Stop (button or Esc) ends it after the current step.
void MainWindow::cmdDraw_Click()
{
    if (drawRunning_ || motionRunning_)
        return;
    cmdDraw->setEnabled(false);
    cmdTest->setEnabled(false);
    Frame1->setEnabled(false);
    drive().clearStop();
    drawRunning_ = true;
    cmdStop->show(); // from here on, so Stop also ends the homing of Pen to 0

    auto endRun = [this] {
        cmdStop->hide();
        drawRunning_ = false;
        drive().clearStop();
        Timer1->start();
        cmdDraw->setEnabled(true);
        cmdTest->setEnabled(true);
        Frame1->setEnabled(true);
        emit plotterMoved();
    };

    if (plotExtents.PlotMinX < 0 || plotExtents.PlotMinY < 0) {
        cmdZero_Click(); // shows its own message when it cannot run
        if (!lastZeroReachedOrigin_) {
            lblProgress->setText(QStringLiteral("Drawing not started: the pen did not reach the origin"));
            endRun();
            return;
        }
    }
    drive().state.PosX = 0;
    drive().state.PosY = 0;
    preview().clear();

    Timer1->stop();
    Line1->hide();
    Line2->hide();
    Shape9->setColour(kLampSteady);
    Label10->setText(QStringLiteral("Motor is connected"));

    DrawProgress progress(drive());
    QElapsedTimer sinceLabel;
    QTimer liveView;
    liveView.setInterval(kLiveViewIntervalMs);
    connect(&liveView, &QTimer::timeout, this, [&] {
        emit plotterMoved();
        if (sinceLabel.elapsed() >= kProgressIntervalMs) {
            lblProgress->setText(progress.text(drawClock_.elapsed() / 1000.0));
            sinceLabel.restart();
        }
    });
    drawClock_.start();
    sinceLabel.start();
    lblProgress->setText(progress.text(0));
    liveView.start();

    const RunResult r = drawfile(settings().PlotFile, kDrawMode, preview(), drive(), &progress);

    liveView.stop();
    const QString took = duration(drawClock_.elapsed() / 1000.0);
    announceRunEnd(r, *feedback_, *this);
    if (!r.opened) {
        lblProgress->setText(QStringLiteral("Drawing stopped: the plot file could not be read"));
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"),
                           QString::fromStdString(r.openError));
    } else if (r.refusal.refusal != MoveRefusal::None) {
        drive().writeControl(kPenUp);
        const QString point =
            QStringLiteral("(%1, %2)").arg(r.refusedX, 0, 'g', 12).arg(r.refusedY, 0, 'g', 12);
        lblProgress->setText(QStringLiteral("Drawing stopped at the point %1").arg(point));
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"),
                           QStringLiteral("Drawing stopped at the point %1: %2 The pen has been lifted.")
                               .arg(point, QString::fromStdString(r.refusal.reason)));
    } else if (r.stopped) {
        // The pen comes up; the coils stay energised so the carriage holds its place.
        drive().writeControl(kPenUp);
        lblProgress->setText(QStringLiteral("Drawing stopped by the operator after %1 points, %2")
                                 .arg(progress.points())
                                 .arg(took));
    } else {
        lblProgress->setText(
            QStringLiteral("Drawing finished: %1 points in %2").arg(r.points).arg(took));
    }
    if (const std::string skipped = r.skippedMessage(); !skipped.empty())
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw"),
                           QString::fromStdString(skipped));
    endRun();
}

// Asks a running draw (or the homing of its Pen to 0) to end after the current step.
void MainWindow::cmdStop_Click()
{
    if (drawRunning_)
        drive().requestStop();
}

} // namespace orlex::ui
