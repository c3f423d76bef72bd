// The chosen file as the window's runs read it: a plot file as it is, an SVG drawing
// converted to plotter units, and with Options > "Shorter pen-up travel" the strokes in
// the stroke planner's order. "Test and Show" prepares it; the preview, the fit, the
// estimate and Draw then all use the prepared plot. The file on disk is never changed.
#include "ui/main_window.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include <cmath>

namespace orlex::ui {

namespace {

constexpr const char* kShorterTravelKey = "shorterPenUpTravel";
constexpr const char* kRecentFilesKey = "recentFiles";

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

    // File > "Recent files", under Open: the files chosen last, newest first.
    recentFilesMenu = new QMenu(QStringLiteral("Recent files"), fileMenu);
    recentFilesMenu->setObjectName(QStringLiteral("recentFilesMenu"));
    fileMenu->insertMenu(openPrivateAction, recentFilesMenu);
    showRecentFiles();
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

bool MainWindow::prepareRunFile()
{
    preparedPlot_.reset();
    showInputNotes({});
    PlotPreparation preparation;
    preparation.shorterTravel = shorterTravelAction->isChecked();
    Result<PreparedPlot> prepared = preparePlot(plotFile_, linkedSvgImporter(), preparation);
    if (!prepared) {
        feedback_->message(this, OperatorFeedback::Icon::Warning, QStringLiteral("Test and Show"),
                           QString::fromStdString(prepared.message()));
        return false;
    }
    preparedPlot_ = std::move(*prepared);

    QStringList notes;
    for (const std::string& note : preparedPlot_->notes())
        notes << QString::fromStdString(note);
    if (preparedPlot_->travel())
        notes << travelText(*preparedPlot_->travel());
    showInputNotes(notes.join(QStringLiteral("; ")));
    return true;
}

// The notes have a row of their own under the progress, shown only when there are any.
void MainWindow::showInputNotes(const QString& notes)
{
    inputLabel->setText(notes);
    inputLabel->setVisible(!notes.isEmpty());
}

const std::string& MainWindow::runFile() const
{
    return preparedPlot_ ? preparedPlot_->path() : plotFile_;
}

} // namespace orlex::ui
