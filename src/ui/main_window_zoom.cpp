// Preview controls of the main window: "Show Pen Up", the zoom scroll bar and text box
// with their change chain, the origin half-axes and "Cls".
#include "ui/main_window.h"

#include "preview/zoom.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace orlex::ui {

namespace {
const QString kDefaultZoomText = QStringLiteral("100");
} // namespace

void MainWindow::onShowPenUpClicked()
{
    preview().penUpColour = showPenUpCheck->isChecked() ? kWhite : kHidden;
}

// Setting the text fires onZoomTextChanged, which may move the scroll bar again; a value
// that is already valid comes back unchanged, so the exchange stops after one round.
void MainWindow::onZoomScrolled()
{
    zoomBox->setText(QString::number(zoomScrollBar->value()));
    preview().zoom = static_cast<std::int16_t>(zoomScrollBar->value());
    // The last check no longer measures the plot at this scale: Draw waits for a new one,
    // also when a draw or a homing is holding Draw off at the moment.
    forgetCheck();
    resumePositionLost(QStringLiteral("the zoom was changed"));
}

void MainWindow::onZoomTextChanged()
{
    if (zoomBox->text().isEmpty())
        zoomBox->setText(kDefaultZoomText); // its own change event does the work first

    if (const std::optional<std::int16_t> zoom = zoomFromText(zoomBox->text().toStdString())) {
        preview().zoom = *zoom;
        zoomScrollBar->setValue(*zoom);
    } else {
        preview().zoom = kDefaultZoom;
        zoomScrollBar->setValue(kDefaultZoom);
        zoomBox->setText(kDefaultZoomText);
    }
    forgetCheck();
    resumePositionLost(QStringLiteral("the zoom was changed"));
}

void MainWindow::onOriginXLabelClicked()
{
    preview().drawYHalfAxis();
}

void MainWindow::onOriginYLabelClicked()
{
    preview().drawXHalfAxis();
}

// Erases the preview; its pen position and the zoom stay. The window draws nothing on
// its own surface, so the preview is all there is to erase.
void MainWindow::onClearClicked()
{
    preview().clear();
}

} // namespace orlex::ui
