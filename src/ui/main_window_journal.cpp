// The draw journal in the window: every draw keeps it (written from the live-view timer,
// never from the motion thread), and at start a journal that a draw left behind is
// offered in a bar under the progress: Resume (homing and "Pen to 0" first), "Resume
// from here" when its origin cannot be found again, or Discard. A bar rather than a
// question: the window stays usable while it shows, so the operator can jog the pen back
// to the plot's origin before "Resume from here".
#include "ui/main_window.h"

#include "run/journal_of_draw.h"

#include <QAction>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace orlex::ui {

namespace {

constexpr auto kJournalInterval = std::chrono::seconds(1); // at least once a second while the draw moves on

QString fromText(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

QWidget* MainWindow::buildJournalBar(QWidget* parent)
{
    journalBar = new QFrame(parent);
    journalBar->setObjectName(QStringLiteral("journalBar"));
    journalBar->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(journalBar);
    row->setContentsMargins(4, 2, 4, 2);
    journalLabel = new QLabel(journalBar);
    journalLabel->setObjectName(QStringLiteral("journalLabel"));
    journalLabel->setWordWrap(true);
    row->addWidget(journalLabel, 1);
    journalResumeButton = new QPushButton(QStringLiteral("Resume"), journalBar);
    journalResumeButton->setObjectName(QStringLiteral("journalResumeButton"));
    row->addWidget(journalResumeButton, 0, Qt::AlignTop);
    journalDiscardButton = new QPushButton(QStringLiteral("Discard"), journalBar);
    journalDiscardButton->setObjectName(QStringLiteral("journalDiscardButton"));
    row->addWidget(journalDiscardButton, 0, Qt::AlignTop);
    connect(journalResumeButton, &QPushButton::clicked, this, &MainWindow::onJournalResumeClicked);
    connect(journalDiscardButton, &QPushButton::clicked, this, &MainWindow::onJournalDiscardClicked);
    journalBar->hide();
    return journalBar;
}

// The journal of the virtual plotter, or of the port at its address.
std::string MainWindow::journalPort() const
{
    const OpenedPort& port = controller_->port();
    return journalPortName(port.virtualPlotter != nullptr ? PortKind::Virtual : port.request.kind,
                           settings_.portAddress);
}

std::filesystem::path MainWindow::journalFilePath() const
{
    const std::string port = journalPort();
    return options_.journalFolder.empty() ? journalFile(port) : journalFile(port, options_.journalFolder);
}

void MainWindow::offerKeptJournal()
{
    connect(controller_.get(), &RunController::stateChanged, journalBar,
            [this](RunState state) { journalBar->setEnabled(state == RunState::Idle); });
    const std::filesystem::path file = journalFilePath();
    const JournalRead read = readJournal(file);
    if (read.state == JournalRead::State::Bad) {
        feedback_->message(nullptr, OperatorFeedback::Icon::Warning, QStringLiteral("Draw journal"),
                           QStringLiteral("The draw journal %1 cannot be used: %2 %3")
                               .arg(fromText(file.string()), fromText(read.problem),
                                    read.asideAs.empty()
                                        ? QStringLiteral("It could not be moved aside.")
                                        : QStringLiteral("It was moved aside to %1.").arg(fromText(read.asideAs))));
        return;
    }
    if (read.state != JournalRead::State::Kept)
        return;
    keptJournal_ = read.journal;
    QString text = fromText(journalStoppedText(read.journal));
    if (read.journal.originFromHome) {
        text += QStringLiteral(". Resume homes, moves to the plot's origin (\"Pen to 0\") and draws the rest.");
        journalResumeButton->setText(QStringLiteral("Resume"));
    } else {
        text += QStringLiteral(". It began where the pen stood, not from home, so its origin cannot be found "
                               "again: jog the pen back to the plot's origin, then press \"Resume from here\".");
        journalResumeButton->setText(QStringLiteral("Resume from here"));
    }
    journalLabel->setText(text);
    journalBar->show();
}

void MainWindow::hideJournalOffer()
{
    keptJournal_.reset();
    journalResumeDue_ = false;
    journalBar->hide();
}

void MainWindow::onJournalDiscardClicked()
{
    if (!keptJournal_ || !controller_->idle())
        return;
    std::error_code error;
    std::filesystem::remove(journalFilePath(), error);
    if (error) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Draw journal"),
                           QStringLiteral("Cannot remove %1 (%2).")
                               .arg(fromText(journalFilePath().string()), fromText(error.message())));
        return;
    }
    hideJournalOffer();
}

// The journal's file, checked with its zoom, step mode and reading; the draw itself
// follows once the check has run (continueJournalResume).
void MainWindow::onJournalResumeClicked()
{
    if (!keptJournal_ || !controller_->idle())
        return;
    const DrawJournal& kept = *keptJournal_;
    openPlotFile(QFile::decodeName(QByteArray::fromStdString(kept.plotPath)));
    zoomBox->setText(QString::number(kept.zoom));
    (kept.halfStep ? halfStepOption : fullStepOption)->setChecked(true);
    fullHpglAction->setChecked(kept.reading == "full");
    journalResumeDue_ = true;
    onTestAndShowClicked();
    if (!preparation_.busy())
        continueJournalResume(); // the test ran here; a long preparation calls it when done
}

void MainWindow::continueJournalResume()
{
    if (!journalResumeDue_ || !keptJournal_)
        return;
    journalResumeDue_ = false;
    const DrawJournal kept = *keptJournal_;
    const QString title = QStringLiteral("Resume");
    if (!policy_.check() || !lastCheck) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, title,
                           QStringLiteral("The draw of %1 cannot be resumed: \"Test and Show\" of it did not pass.")
                               .arg(fromText(kept.plotPath)));
        return;
    }
    DrawPlan plan;
    plan.origin = kept.originFromHome ? DrawPlan::Origin::PenToZero : DrawPlan::Origin::KeepPosition;
    plan.firstPoint = kept.resumePoint();
    const Result<DrawJournal> now = journalForWindowDraw(plan, kept.originFromHome);
    if (!now) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, title,
                           QStringLiteral("The draw of %1 cannot be resumed: %2")
                               .arg(fromText(kept.plotPath), fromText(now.message())));
        return;
    }
    const std::vector<std::string> differences = journalDifferences(kept, *now);
    if (!differences.empty()) {
        QString text = QStringLiteral("The draw of %1 cannot be resumed: it is not the same draw any more:")
                           .arg(fromText(kept.plotPath));
        for (const std::string& difference : differences)
            text += QStringLiteral("\n  ") + fromText(difference);
        text += QStringLiteral("\nPut back what changed, or discard the journal. Nothing was moved.");
        feedback_->message(this, OperatorFeedback::Icon::Warning, title, text);
        return;
    }
    hideJournalOffer();
    // "Resume from here": where the pen stands now is the plot's origin.
    if (plan.origin == DrawPlan::Origin::KeepPosition) {
        drive().state.positionX = 0;
        drive().state.positionY = 0;
    }
    runDraw(plan);
}

// The origin can be found again when the draw begins with "Pen to 0", or goes on in the
// frame of a stopped draw that did.
bool MainWindow::drawsFromHome(const DrawPlan& plan) const
{
    switch (plan.origin) {
    case DrawPlan::Origin::PenToZero: return true;
    case DrawPlan::Origin::AsTested: return lastCheck && lastCheck->needsPenToZero();
    case DrawPlan::Origin::KeepPosition: return policy_.stoppedFromPenToZero();
    }
    return false;
}

Result<DrawJournal> MainWindow::journalForWindowDraw(const DrawPlan& plan, bool fromHome) const
{
    JournalDrawSetup setup;
    setup.plotFile = plotFile_;
    if (preparedPlot_ && preparedPlot_->converted())
        setup.conversion = std::string("text=") + (strokeTextAction->isChecked() ? "stroke" : "skip")
                           + (hideCoveredAction->isChecked() ? ", hide-covered" : "");
    setup.port = journalPort();
    setup.shorterTravel = shorterTravelAction->isChecked();
    setup.fromHome = fromHome;
    setup.firstPoint = plan.firstPoint;
    return journalForDraw(setup, settings_, *lastCheck);
}

// Before the draw's first step: its record replaces any earlier one. A long draw that
// starts where the pen stands is told, once, that a cut would leave it unresumable.
void MainWindow::startJournal(const DrawPlan& plan, bool fromHome)
{
    drawJournal_.reset();
    lastDrawFromHome_ = fromHome;
    if (keptJournal_)
        hideJournalOffer(); // this draw's journal takes the port's place
    if (!options_.keepJournal)
        return;
    const Result<DrawJournal> record = journalForWindowDraw(plan, fromHome);
    if (!record) {
        addInputNotes({"No draw journal is kept: " + record.message()});
        return;
    }
    if (plan.firstPoint == 1) {
        const std::optional<double> period = stepPeriodSeconds();
        if (const std::optional<std::string> note = unhomedLongDrawNote(
                period ? lastCheck->estimatedSeconds(*period, true) : std::nullopt, lastDrawFromHome_);
            note && !inputLabel->text().contains(fromText(*note)))
            addInputNotes({*note});
    }
    drawJournal_.emplace(journalFilePath(), *record, kJournalInterval);
    pollDrawJournal();
}

void MainWindow::pollDrawJournal()
{
    const DrawMonitor* monitor = controller_->monitor();
    if (!drawJournal_ || monitor == nullptr)
        return;
    orlex::pollJournal(*drawJournal_, *monitor);
    if (const std::optional<Error> problem = drawJournal_->takeProblem())
        addInputNotes({"The draw journal cannot be written: " + problem->message
                       + " The draw goes on, but cannot be resumed after a crash."});
}

// A draw that ended normally drops its journal; any other keeps where it got to.
void MainWindow::endDrawJournal(const DrawReport& report)
{
    const DrawMonitor* monitor = controller_->monitor();
    if (!drawJournal_ || monitor == nullptr)
        return;
    // A first draw whose "Pen to 0" failed drew nothing: nothing is left to resume.
    const bool finished =
        report.outcome == DrawReport::Outcome::Finished
        || (report.outcome == DrawReport::Outcome::OriginFailed && drawJournal_->record().pointsDone == 0);
    orlex::endJournal(*drawJournal_, finished, report.stoppedAtPoint, drawJournal_->record().pointsDone + 1,
                      monitor->progress().fraction() * 100);
    if (const std::optional<Error> problem = drawJournal_->takeProblem())
        addInputNotes({"The draw journal cannot be written: " + problem->message});
}

} // namespace orlex::ui
