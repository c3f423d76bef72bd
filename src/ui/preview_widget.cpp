// previewCanvas: lines in twips are converted to pixels, clipped and drawn into a backing image;
// painting only copies the image, and repaints are batched by update().
#include "ui/preview_widget.h"

#include "ui/widgets.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace orlex::ui {

namespace {

// Twips to pixels, halves to even. Done in doubles so no coordinate can overflow.
double toPixel(long twips)
{
    return std::nearbyint(static_cast<double>(twips) / PreviewWidget::kTwipsPerPixel);
}

// Liang-Barsky: cuts the segment to the rectangle [xmin, xmax] x [ymin, ymax].
// False when nothing of it is inside.
bool clipSegment(double& x1, double& y1, double& x2, double& y2, double xmin, double ymin, double xmax, double ymax)
{
    const double dx = x2 - x1, dy = y2 - y1;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - xmin, xmax - x1, y1 - ymin, ymax - y1};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double sx = x1, sy = y1;
    x1 = sx + t0 * dx;
    y1 = sy + t0 * dy;
    x2 = sx + t1 * dx;
    y2 = sy + t1 * dy;
    return true;
}

} // namespace

PreviewWidget::PreviewWidget(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // the 2-pixel sunken border
    setLineWidth(2);
    // 5715 x 4755 twips outside, so the inside is 377 x 313 pixels.
    resize(5715 / kTwipsPerPixel, 4755 / kTwipsPerPixel);
    background_ = palette().color(QPalette::Button);
    fitImage();
}

int PreviewWidget::widthTwips() const
{
    return image_.width() * kTwipsPerPixel;
}
int PreviewWidget::heightTwips() const
{
    return image_.height() * kTwipsPerPixel;
}

void PreviewWidget::line(long x1, long y1, long x2, long y2, std::int16_t colour)
{
    if (image_.isNull())
        return;
    double ax = toPixel(x1), ay = toPixel(y1), bx = toPixel(x2), by = toPixel(y2);
    // A margin of a few pixels keeps the slope right at the edges after rounding.
    if (!clipSegment(ax, ay, bx, by, -4, -4, image_.width() + 3, image_.height() + 3))
        return;
    if (!batch_.isActive()) {
        batch_.begin(&image_);
        batchColour_ = -1;
    }
    if (colour != batchColour_) {
        batch_.setPen(QPen(paletteColour(colour), 0)); // cosmetic: one pixel wide
        batchColour_ = colour;
    }
    const QPoint from(static_cast<int>(std::nearbyint(ax)), static_cast<int>(std::nearbyint(ay)));
    const QPoint to(static_cast<int>(std::nearbyint(bx)), static_cast<int>(std::nearbyint(by)));
    if (from == to)
        batch_.drawPoint(from);
    else
        batch_.drawLine(from, to);
    if (!repaintRequested_) {
        update();
        repaintRequested_ = true;
    }
}

void PreviewWidget::endBatch() const
{
    if (batch_.isActive())
        batch_.end();
}

void PreviewWidget::clear()
{
    endBatch();
    image_.fill(background_);
    update();
}

QColor PreviewWidget::pixelAtTwips(long x, long y) const
{
    endBatch();
    const double px = toPixel(x), py = toPixel(y);
    if (px < 0 || py < 0 || px >= image_.width() || py >= image_.height())
        return QColor();
    return image_.pixelColor(static_cast<int>(px), static_cast<int>(py));
}

void PreviewWidget::paintEvent(QPaintEvent* event)
{
    endBatch();
    repaintRequested_ = false;
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
}

void PreviewWidget::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    fitImage();
}

// Gives the image the inner size, keeping what is drawn (the layout is fixed, so this
// normally happens once).
void PreviewWidget::fitImage()
{
    endBatch();
    const QSize inner = contentsRect().size();
    if (image_.size() == inner)
        return;
    QImage fitted(inner.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    fitted.fill(background_);
    if (!image_.isNull()) {
        QPainter painter(&fitted);
        painter.drawImage(0, 0, image_);
    }
    image_ = std::move(fitted);
}

} // namespace orlex::ui
