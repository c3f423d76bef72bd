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

void MainWindow::Check1_Click()
{
    preview().PenUpColor = Check1->isChecked() ? kWhite : kLightGrey;
}

// Setting the text fires txtZoom_Change, which may move the scroll bar again; a value
// that is already valid comes back unchanged, so the exchange stops after one round.
void MainWindow::scrZoom_Change()
{
    txtZoom->setText(QString::number(scrZoom->value()));
    preview().Zoom = static_cast<std::int16_t>(scrZoom->value());
    // The last test no longer measures the plot at this scale: Draw waits for a new one,
    // also when a draw or a homing is holding Draw off at the moment.
    forgetTest();
}

void MainWindow::txtZoom_Change()
{
    if (txtZoom->text().isEmpty())
        txtZoom->setText(kDefaultZoomText); // its own change event does the work first

    if (const std::optional<std::int16_t> zoom = zoomFromText(txtZoom->text().toStdString())) {
        preview().Zoom = *zoom;
        scrZoom->setValue(*zoom);
    } else {
        preview().Zoom = kDefaultZoom;
        scrZoom->setValue(kDefaultZoom);
        txtZoom->setText(kDefaultZoomText);
    }
    forgetTest();
}

void MainWindow::lblOffsetx_Click()
{
    preview().drawYHalfAxis();
}

void MainWindow::lblOffsety_Click()
{
    preview().drawXHalfAxis();
}

// Erases the preview; its pen position and the zoom stay. The window draws nothing on
// its own surface, so the preview is all there is to erase.
void MainWindow::cmdCls_Click()
{
    preview().clear();
}

} // namespace orlex::ui
