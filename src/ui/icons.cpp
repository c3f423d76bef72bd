// Jog arrows, pen and program icon, painted with QPainter at any size.
#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>

namespace orlex::ui {

namespace {

QImage blankImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// An arrow pointing up on a 32-unit grid, drawn inside the middle 22 units so a button
// smaller than the icon still shows it whole.
QPolygonF upArrow()
{
    return QPolygonF({QPointF(16, 5), QPointF(26, 16), QPointF(20, 16), QPointF(20, 27), QPointF(12, 27),
                      QPointF(12, 16), QPointF(6, 16)});
}

qreal rotationOf(Arrow direction)
{
    switch (direction) {
    case Arrow::Up: return 0;
    case Arrow::Right: return 90;
    case Arrow::Down: return 180;
    case Arrow::Left: return 270;
    }
    return 0;
}

// A pen pointing down-left: body, grip ring and nib, on a 32-unit grid.
void paintPen(QPainter& painter, const QColor& colour)
{
    painter.save();
    painter.translate(16, 16);
    painter.rotate(45);
    painter.setPen(QPen(colour, 1.2));
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(-3.5, -13, 7, 15), 1.5, 1.5); // body
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(-3.5, 3, 7, 2)); // grip ring
    painter.setBrush(colour);
    painter.drawPolygon(QPolygonF({QPointF(-3.5, 6), QPointF(3.5, 6), QPointF(0, 13)})); // nib
    painter.restore();
}

QIcon twoLookIcon(const QImage& normal, const QImage& second)
{
    QIcon icon;
    const QPixmap first = QPixmap::fromImage(normal);
    const QPixmap other = QPixmap::fromImage(second);
    icon.addPixmap(first, QIcon::Normal, QIcon::Off);
    icon.addPixmap(first, QIcon::Active, QIcon::Off);
    icon.addPixmap(other, QIcon::Disabled, QIcon::Off);
    icon.addPixmap(other, QIcon::Selected, QIcon::Off);
    icon.addPixmap(other, QIcon::Normal, QIcon::On);
    icon.addPixmap(other, QIcon::Active, QIcon::On);
    icon.addPixmap(other, QIcon::Disabled, QIcon::On);
    icon.addPixmap(other, QIcon::Selected, QIcon::On);
    return icon;
}

} // namespace

QImage arrowImage(Arrow direction, bool secondLook)
{
    QImage image = blankImage(kButtonIconSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(16, 16);
    painter.rotate(rotationOf(direction));
    painter.translate(-16, -16);
    if (secondLook) {
        painter.setPen(QPen(QColor(0, 0, 255), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
    } else {
        painter.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::black);
    }
    painter.drawPolygon(upArrow());
    return image;
}

QIcon arrowIcon(Arrow direction)
{
    return twoLookIcon(arrowImage(direction, false), arrowImage(direction, true));
}

QImage penImage(bool secondLook)
{
    QImage image = blankImage(kButtonIconSize);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintPen(painter, secondLook ? QColor(255, 0, 0) : QColor(Qt::black));
    return image;
}

QIcon penIcon()
{
    return twoLookIcon(penImage(false), penImage(true));
}

QImage programIconImage(int size)
{
    QImage image = blankImage(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);

    // Machine bed and the sheet of paper on it.
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(QColor(90, 100, 115));
    painter.drawRoundedRect(QRectF(4, 10, 56, 48), 4, 4);
    painter.setPen(QPen(QColor(150, 150, 150), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(10, 16, 44, 36));

    // What the pen has drawn so far.
    QPainterPath curve(QPointF(14, 46));
    curve.cubicTo(QPointF(22, 20), QPointF(30, 50), QPointF(38, 28));
    painter.setPen(QPen(QColor(0, 0, 160), 2, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(curve);

    // Gantry rail across the bed, with the pen carriage at the curve's end.
    painter.setPen(QPen(QColor(30, 30, 30), 1));
    painter.setBrush(QColor(200, 200, 205));
    painter.drawRect(QRectF(2, 24, 60, 6));
    painter.setBrush(QColor(220, 40, 40));
    painter.drawRoundedRect(QRectF(33, 20, 10, 14), 2, 2);
    painter.setBrush(QColor(30, 30, 30));
    painter.drawEllipse(QPointF(38, 28), 1.6, 1.6);
    return image;
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
    return icon;
}

} // namespace orlex::ui
