// The preview canvas: lines in twips are converted to pixels and written straight into a
// backing image; painting copies only the part of the image that changed.
#include "ui/preview_widget.h"

#include "preview/line_raster.h"
#include "ui/widgets.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <limits>

namespace orlex::ui {

namespace {

// Twips to the nearest whole pixel. 15 is odd, so no twip lies halfway between two
// pixels. The preview gives 32-bit twips; anything beyond is held at that range, which
// keeps the pixels well inside what the rasteriser takes.
std::int64_t toPixel(long twips)
{
    const std::int64_t t = std::clamp<std::int64_t>(twips, std::numeric_limits<std::int32_t>::min(),
                                                    std::numeric_limits<std::int32_t>::max());
    const std::int64_t shifted = t + PreviewWidget::kTwipsPerPixel / 2;
    return shifted >= 0 ? shifted / PreviewWidget::kTwipsPerPixel
                        : -((-shifted + PreviewWidget::kTwipsPerPixel - 1) / PreviewWidget::kTwipsPerPixel);
}

} // namespace

PreviewWidget::PreviewWidget(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // the 2-pixel sunken border
    setLineWidth(2);
    // The border and the image cover the whole widget: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // 5715 x 4755 twips outside, so the inside is 377 x 313 pixels.
    resize(5715 / kTwipsPerPixel, 4755 / kTwipsPerPixel);
    background_ = palette().color(QPalette::Button);
    for (std::size_t number = 0; number < palette_.size(); ++number)
        palette_[number] = paletteColour(static_cast<std::int16_t>(number)).rgb();
    fitImage();
}

int PreviewWidget::widthUnits() const
{
    return image_.width() * kTwipsPerPixel;
}
int PreviewWidget::heightUnits() const
{
    return image_.height() * kTwipsPerPixel;
}

void PreviewImage::line(long x1, long y1, long x2, long y2, std::int16_t colour)
{
    const PixelBuffer buffer{reinterpret_cast<std::uint32_t*>(image_.bits()), image_.bytesPerLine() / 4, image_.width(),
                             image_.height()};
    drawPixelLine(buffer, toPixel(x1), toPixel(y1), toPixel(x2), toPixel(y2),
                  palette_[static_cast<std::size_t>(colour & 15)]);
}

PreviewImage PreviewWidget::blankCopy() const
{
    QImage blank(image_.size(), QImage::Format_RGB32);
    blank.fill(background_);
    return PreviewImage(std::move(blank), palette_, background_);
}

bool PreviewWidget::sameSizeAs(const PreviewImage& drawn) const
{
    return drawn.image().size() == image_.size();
}

bool PreviewWidget::takeOver(const PreviewImage& drawn)
{
    if (!sameSizeAs(drawn))
        return false;
    image_ = drawn.image().copy();
    pendingRepaint_ = image_.rect();
    update();
    return true;
}

void PreviewWidget::line(long x1, long y1, long x2, long y2, std::int16_t colour)
{
    // bits() of the non-const image: a copy someone holds is detached from, not drawn on.
    const PixelBuffer buffer{reinterpret_cast<std::uint32_t*>(image_.bits()), image_.bytesPerLine() / 4, image_.width(),
                             image_.height()};
    const PixelBox drawn = drawPixelLine(buffer, toPixel(x1), toPixel(y1), toPixel(x2), toPixel(y2),
                                         palette_[static_cast<std::size_t>(colour & 15)]);
    if (drawn.empty())
        return;
    const QRect box(QPoint(drawn.left, drawn.top), QPoint(drawn.right, drawn.bottom));
    if (box.left() >= pendingRepaint_.left() && box.right() <= pendingRepaint_.right()
        && box.top() >= pendingRepaint_.top() && box.bottom() <= pendingRepaint_.bottom())
        return; // already asked for
    pendingRepaint_ = pendingRepaint_.united(box);
    update(pendingRepaint_.translated(contentsRect().topLeft()));
}

void PreviewWidget::clear()
{
    image_.fill(background_);
    pendingRepaint_ = image_.rect();
    update();
}

QColor PreviewWidget::pixelAtTwips(long x, long y) const
{
    const std::int64_t px = toPixel(x), py = toPixel(y);
    if (px < 0 || py < 0 || px >= image_.width() || py >= image_.height())
        return QColor();
    return image_.pixelColor(static_cast<int>(px), static_cast<int>(py));
}

void PreviewWidget::paintEvent(QPaintEvent* event)
{
    pendingRepaint_ = QRect();
    // New lines repaint only the inside: the border is left alone then, as drawing it
    // through the style costs more than copying the lines.
    if (!contentsRect().contains(event->rect()))
        QFrame::paintEvent(event);
    const QPoint origin = contentsRect().topLeft();
    const QRect target = event->rect() & QRect(origin, image_.size());
    if (target.isEmpty())
        return;
    copyingImage_ = true;
    QPainter painter(this);
    copyingImage_ = false;
    painter.drawImage(target.topLeft(), image_, target.translated(-origin));
}

void PreviewWidget::initPainter(QPainter* painter) const
{
    if (!copyingImage_)
        QFrame::initPainter(painter);
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
    pendingRepaint_ = QRect();
}

} // namespace orlex::ui
