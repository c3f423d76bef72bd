// The View menu: the virtual plotter's view shown again, the whole plot in the preview;
// and the carriage's position in the status bar.
#include "ui/main_window.h"

#include "run/carriage_reach.h"
#include "run/preview_sink.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSettings>

namespace orlex::ui {

namespace {

constexpr const char* kWholePlotKey = "preview/wholePlot";

QString penAtText(double xMm, double yMm)
{
    return QStringLiteral("Pen at X %1 mm, Y %2 mm").arg(xMm, 0, 'f', 2).arg(yMm, 0, 'f', 2);
}

} // namespace

void MainWindow::buildViewMenu()
{
    wholePlotAction->setChecked(preferences_->value(QLatin1String(kWholePlotKey), false).toBool());
    connect(wholePlotAction, &QAction::toggled, this, [this](bool on) {
        preferences_->setValue(QLatin1String(kWholePlotKey), on);
        preferences_->sync();
        // At once for the plot last tested; a run going on keeps its placing until it ends.
        if (controller_->idle() && lastCheck)
            redrawTestedPlot();
        else if (!on)
            preview().fit.reset();
    });
}

// The preview of the last tested plot drawn again, whole or placed as always.
void MainWindow::redrawTestedPlot()
{
    preview().clear();
    if (wholePlotAction->isChecked()) {
        showWholePlot(*lastCheck);
        return;
    }
    preview().fit.reset();
    startPreviewPen();
    PreviewSink previewSink(&preview());
    if (lastCheck->plot)
        lastCheck->plot->replay(previewSink);
}

void MainWindow::setVirtualPlotterView(QWidget* view)
{
    if (virtualPlotter() == nullptr || view == nullptr || virtualPlotterAction != nullptr)
        return;
    virtualPlotterAction = new QAction(QStringLiteral("Virtual plotter"), viewMenu);
    virtualPlotterAction->setObjectName(QStringLiteral("virtualPlotterAction"));
    viewMenu->insertAction(wholePlotAction, virtualPlotterAction);
    connect(virtualPlotterAction, &QAction::triggered, view, [view] {
        view->show();
        view->raise();
        view->activateWindow();
    });
}

// "Pen at X 12.25 mm, Y 30.00 mm" while a homing has made the position known; only read
// while no job owns the drive.
void MainWindow::showCarriagePosition()
{
    if (drawRunning()) { // from the draw's own note of it, after each point
        const DrawMonitor* monitor = controller_->monitor();
        if (const DrawMonitor::Place at = monitor ? monitor->carriage() : DrawMonitor::Place{}; at.known) {
            positionLabel->setText(penAtText(at.xMm, at.yMm));
            positionLabel->show();
        }
        return;
    }
    if (!controller_->idle())
        return;
    const DriveState& state = drive().state;
    // Unknown, it matters to a checked plot that starts where the pen stands: it fits
    // only from its origin.
    const bool startsWherePenStands = lastCheck && lastCheck->fits() && !lastCheck->needsPenToZero();
    positionLabel->setVisible(state.carriageKnown || startsWherePenStands);
    if (state.carriageKnown)
        positionLabel->setText(penAtText(state.carriageXmm, state.carriageYmm));
    else
        positionLabel->setText(QString::fromUtf8(kPositionUnknownText));
}

} // namespace orlex::ui
