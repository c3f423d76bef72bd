// The chosen file as the window's runs read it: a plot file as it is, an SVG drawing
// converted to plotter units, and with Options > "Shorter pen-up travel" the strokes in
// the stroke planner's order; with Options > "Full HP-GL" every run reads it with the
// full reading; Options > "Text in a single-stroke font" draws an SVG's text. "Test and Show" prepares it; the preview,
// the fit, the estimate and Draw then all use the prepared plot. The file on disk is never changed.
#include "ui/main_window.h"

#include "import/svg_import.h"
#include "run/preview_sink.h"
#include "ui/preview_widget.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

#include <cmath>

namespace orlex::ui {

namespace {

constexpr const char* kShorterTravelKey = "shorterPenUpTravel";
constexpr int kPreparationPollMs = 20; // progress and the end of a preparation
constexpr const char* kFullHpglKey = "fullHpgl";
constexpr const char* kStrokeTextKey = "strokeText";
constexpr const char* kRecentFilesKey = "recentFiles";
constexpr double kWindowLineWorkMm = 0.05; // the window's tolerance for each line-work step

// Options > "Line work", in the order the steps run.
struct LineWorkItem {
    const char* objectName;
    const char* text;
    const char* key;
};

// "Shorter pen-up travel saves 1324 mm (58 %): 953 mm instead of 2277 mm"
QString travelText(const TravelChange& travel)
{
    const double before = travel.before.penUpMillimetres;
    const double after = travel.after.penUpMillimetres;
    const int share = before > 0 ? static_cast<int>(std::lround(100 * (before - after) / before)) : 0;
    return QStringLiteral("Shorter pen-up travel saves %1 mm (%2 %): %3 mm instead of %4 mm")
        .arg(std::lround(before - after))
        .arg(share)
        .arg(std::lround(after))
        .arg(std::lround(before));
}

} // namespace

void MainWindow::buildInputOptions()
{
    shorterTravelAction = optionsMenu->addAction(QStringLiteral("Shorter pen-up travel"));
    shorterTravelAction->setObjectName(QStringLiteral("shorterTravelAction"));
    shorterTravelAction->setCheckable(true);
    shorterTravelAction->setChecked(preferences_->value(QLatin1String(kShorterTravelKey), false).toBool());
    connect(shorterTravelAction, &QAction::toggled, this, &MainWindow::onShorterTravelToggled);

    fullHpglAction = optionsMenu->addAction(QStringLiteral("Full HP-GL"));
    fullHpglAction->setObjectName(QStringLiteral("fullHpglAction"));
    fullHpglAction->setCheckable(true);
    fullHpglAction->setChecked(preferences_->value(QLatin1String(kFullHpglKey), false).toBool());
    connect(fullHpglAction, &QAction::toggled, this, &MainWindow::onFullHpglToggled);

    // An SVG drawing's text in the Hershey face nearest its font; off, it is left out
    // with a note, as before text was drawn.
    strokeTextAction = optionsMenu->addAction(QStringLiteral("Text in a single-stroke font"));
    strokeTextAction->setObjectName(QStringLiteral("strokeTextAction"));
    strokeTextAction->setCheckable(true);
    strokeTextAction->setChecked(preferences_->value(QLatin1String(kStrokeTextKey), true).toBool());
    connect(strokeTextAction, &QAction::toggled, this, &MainWindow::onStrokeTextToggled);

    buildLineWorkOptions();
    // File > "Recent files", under Open: the files chosen last, newest first.
    recentFilesMenu = new QMenu(QStringLiteral("Recent files"), fileMenu);
    recentFilesMenu->setObjectName(QStringLiteral("recentFilesMenu"));
    fileMenu->insertMenu(openPrivateAction, recentFilesMenu);
    showRecentFiles();
}

namespace {

const LineWorkItem kLineWorkItems[] = {
    {"hideCoveredAction", "Hide lines under fills", "lineWork/hideCovered"},
    {"dedupeAction", "Drop retraced lines", "lineWork/dedupe"},
    {"mergeAction", "Join strokes that meet", "lineWork/merge"},
    {"simplifyAction", "Simplify curves", "lineWork/simplify"},
};

} // namespace

// Each changes what is drawn (only as it says), so a toggle is another plot: Draw waits
// for a check of it.
void MainWindow::buildLineWorkOptions()
{
    lineWorkMenu = optionsMenu->addMenu(QStringLiteral("Line work"));
    lineWorkMenu->setObjectName(QStringLiteral("lineWorkMenu"));
    QAction** actions[] = {&hideCoveredAction, &dedupeAction, &mergeAction, &simplifyAction};
    for (std::size_t i = 0; i < std::size(kLineWorkItems); ++i) {
        const LineWorkItem& item = kLineWorkItems[i];
        QAction* action = *actions[i] = lineWorkMenu->addAction(QString::fromLatin1(item.text));
        action->setObjectName(QString::fromLatin1(item.objectName));
        action->setCheckable(true);
        action->setChecked(preferences_->value(QLatin1String(item.key), false).toBool());
        const QString key = QString::fromLatin1(item.key);
        connect(action, &QAction::toggled, this, [this, key](bool on) {
            preferences_->setValue(key, on);
            preferences_->sync();
            showInputNotes({});
            forgetCheck();
        });
    }
}

unsigned MainWindow::lineWorkBits() const
{
    const QAction* actions[] = {hideCoveredAction, dedupeAction, mergeAction, simplifyAction};
    unsigned bits = 0;
    for (std::size_t i = 0; i < std::size(actions); ++i)
        bits |= actions[i]->isChecked() ? 1u << i : 0u;
    return bits;
}

void MainWindow::applyLineWork(PlotPreparation& preparation) const
{
    preparation.hideCovered = hideCoveredAction->isChecked();
    if (dedupeAction->isChecked())
        preparation.lineWork.dedupeMm = kWindowLineWorkMm;
    if (mergeAction->isChecked())
        preparation.lineWork.mergeMm = kWindowLineWorkMm;
    if (simplifyAction->isChecked())
        preparation.lineWork.simplifyMm = kWindowLineWorkMm;
}

QStringList MainWindow::recentFiles() const
{
    return preferences_->value(QLatin1String(kRecentFilesKey)).toStringList();
}

void MainWindow::rememberRecentFile(const QString& path)
{
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > kMaxRecentFiles)
        files.removeLast();
    preferences_->setValue(QLatin1String(kRecentFilesKey), files);
    preferences_->sync();
    showRecentFiles();
}

void MainWindow::showRecentFiles()
{
    recentFilesMenu->clear();
    const QStringList files = recentFiles();
    for (const QString& path : files) {
        QAction* item = recentFilesMenu->addAction(path);
        // Chosen, it is opened as File > Open opens it.
        connect(item, &QAction::triggered, this, [this, path] {
            if (controller_->idle())
                openPlotFile(path);
        });
    }
    recentFilesMenu->menuAction()->setEnabled(!files.isEmpty() && (!controller_ || controller_->idle()));
}

// Another order is another plot: Draw waits for a check of it.
void MainWindow::onShorterTravelToggled(bool on)
{
    preferences_->setValue(QLatin1String(kShorterTravelKey), on);
    preferences_->sync();
    showInputNotes({});
    forgetCheck();
}

// Another reading is another plot too.
void MainWindow::onFullHpglToggled(bool on)
{
    preferences_->setValue(QLatin1String(kFullHpglKey), on);
    preferences_->sync();
    showInputNotes({});
    forgetCheck();
}

// Text drawn or left out: another plot again.
void MainWindow::onStrokeTextToggled(bool on)
{
    preferences_->setValue(QLatin1String(kStrokeTextKey), on);
    preferences_->sync();
    showInputNotes({});
    forgetCheck();
}

PlotReading MainWindow::plotReading() const
{
    return fullHpglAction->isChecked() ? PlotReading::Full : PlotReading::Classic;
}

CheckSetup MainWindow::checkSetup()
{
    CheckSetup setup{preview().zoom, halfStepOption->isChecked(), plotReading(), true};
    PlotPreparation reordering;
    reordering.shorterTravel = shorterTravelAction->isChecked();
    applyLineWork(reordering);
    const bool reordered = reordering.shorterTravel || reordering.lineWork.any();
    setup.census = setup.reading == PlotReading::Classic && !reordered ? Census::Take : Census::Skip;
    return setup;
}

bool MainWindow::prepareRunFile()
{
    preparedPlot_.reset();
    showInputNotes({});
    PlotPreparation preparation;
    preparation.shorterTravel = shorterTravelAction->isChecked();
    applyLineWork(preparation);
    preparation.svg.text = strokeTextAction->isChecked() ? SvgText::Stroke : SvgText::Skip;
    preparation.reading = plotReading();
    preparation.fullOptions = machinePage(settings_);
    const CheckSetup setup = checkSetup();
    // A census the check takes is not taken twice.
    preparation.census = setup.census == Census::Take ? Census::Skip : Census::Take;
    if (!preparationTakesWork(plotFile_, linkedSvgImporter(), preparation))
        return acceptPrepared(preparePlot(plotFile_, linkedSvgImporter(), preparation));
    // The check follows on the same thread, drawing its preview into an image of its own
    // (with the whole plot to be fitted into the preview, that waits for the plot's box).
    auto check = std::make_shared<BackgroundCheck>(
        BackgroundCheck{previewCanvas->blankCopy(), settings_, setup, preview().penUpColour, std::nullopt, 0, 0});
    const bool drawPreview = !wholePlotAction->isChecked();
    backgroundCheck_ = check;
    preparation_.start(plotFile_, linkedSvgImporter(), preparation, [check, drawPreview](const PreparedPlot& plot) {
        Preview preview(check->canvas, check->settings);
        preview.zoom = check->setup.zoom;
        preview.penUpColour = check->penUpColour;
        PreviewSink sink(&preview);
        check->test = testPrepared(plot, check->settings, check->setup, drawPreview ? &sink : nullptr);
        check->lastX = preview.lastX;
        check->lastY = preview.lastY;
    });
    stopButton->setVisible(true); // Stop and Esc cancel it
    if (!preparationTimer_) {
        preparationTimer_ = new QTimer(this);
        preparationTimer_->setInterval(kPreparationPollMs);
        connect(preparationTimer_, &QTimer::timeout, this, &MainWindow::pollPreparation);
    }
    // Its end is taken only from the timer, never from here: the test stays a state the
    // window is in until its events run, however fast the work.
    preparationTimer_->start();
    progressLabel->setText(QString::fromStdString(preparation_.progressText()));
    return false;
}

// While the preparation lasts: its progress; once it has ended, the rest of the test.
void MainWindow::pollPreparation()
{
    std::optional<Result<PreparedPlot>> prepared = preparation_.takeResult();
    if (!prepared) {
        progressLabel->setText(QString::fromStdString(preparation_.progressText()));
        return;
    }
    preparationTimer_->stop();
    stopButton->setVisible(false);
    const bool journalResumeDue = std::exchange(journalResumeDue_, false); // only a test that passed goes on
    if (!prepared->ok() && prepared->error().kind == Error::Kind::Cancelled) {
        progressLabel->setText(QStringLiteral("Test and Show cancelled"));
        controller_->setTesting(false);
        return;
    }
    if (!acceptPrepared(std::move(*prepared))) {
        controller_->setTesting(false);
        return;
    }
    finishTestAndShow(std::exchange(backgroundCheck_, nullptr));
    journalResumeDue_ = journalResumeDue;
    continueJournalResume();
}

bool MainWindow::acceptPrepared(Result<PreparedPlot> prepared)
{
    if (!prepared) {
        forgetTestResults();
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(prepared.message()));
        return false;
    }
    preparedPlot_ = std::move(*prepared);

    QStringList notes;
    for (const std::string& note : preparedPlot_->notes())
        notes << QString::fromStdString(note);
    for (const LineStepChange& step : preparedPlot_->lineWork())
        notes << QString::fromStdString(lineStepText(step));
    if (preparedPlot_->travel())
        notes << travelText(*preparedPlot_->travel());
    if (const std::string ignored = preparedPlot_->ignoredByClassic().sentence(); !ignored.empty())
        notes << QString::fromStdString(ignored);
    showInputNotes(notes.join(QStringLiteral("; ")));
    return true;
}

// What the test run's full reading drew differently joins the notes of the preparation.
void MainWindow::addInputNotes(const std::vector<std::string>& notes)
{
    QStringList all;
    if (!inputLabel->text().isEmpty())
        all << inputLabel->text();
    for (const std::string& note : notes)
        all << QString::fromStdString(note);
    showInputNotes(all.join(QStringLiteral("; ")));
}

// The notes have a row of their own under the progress, shown only when there are any.
void MainWindow::showInputNotes(const QString& notes)
{
    inputLabel->setText(notes);
    inputLabel->setVisible(!notes.isEmpty());
}

} // namespace orlex::ui
