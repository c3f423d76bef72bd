// Small widgets of the main window: the 16-colour palette, clickable labels, the motor
// lamp and the two lines that cross out the motor symbol.
#include "ui/widgets.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <array>

namespace orlex::ui {

QColor paletteColour(std::int16_t number)
{
    static constexpr std::array<std::array<int, 3>, 16> kColours{{
        {0, 0, 0},
        {0, 0, 128},
        {0, 128, 0},
        {0, 128, 128},
        {128, 0, 0},
        {128, 0, 128},
        {128, 128, 0},
        {192, 192, 192},
        {128, 128, 128},
        {0, 0, 255},
        {0, 255, 0},
        {0, 255, 255},
        {255, 0, 0},
        {255, 0, 255},
        {255, 255, 0},
        {255, 255, 255},
    }};
    // Numbers outside the palette wrap into it, as the console colours do.
    const auto& rgb = kColours[static_cast<std::size_t>(number & 15)];
    return QColor(rgb[0], rgb[1], rgb[2]);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

MotorLamp::MotorLamp(QWidget* parent) : QWidget(parent) {}

void MotorLamp::setColour(std::int16_t paletteNumber)
{
    if (paletteNumber == colour_)
        return;
    colour_ = paletteNumber;
    update();
}

void MotorLamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(paletteColour(colour_));
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

namespace {
constexpr int kLineWidth = 2;
}

CrossLine::CrossLine(QPoint from, QPoint to, QWidget* parent) : QWidget(parent)
{
    // The widget covers the line's bounding box plus room for its thickness.
    const QRect box = QRect(QPoint(std::min(from.x(), to.x()), std::min(from.y(), to.y())),
                            QPoint(std::max(from.x(), to.x()), std::max(from.y(), to.y())))
                          .adjusted(-kLineWidth, -kLineWidth, kLineWidth, kLineWidth);
    setGeometry(box);
    from_ = from - box.topLeft();
    to_ = to - box.topLeft();
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CrossLine::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), kLineWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(from_, to_);
}

} // namespace orlex::ui
