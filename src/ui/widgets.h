// Small widgets of the main window: clickable labels, the motor lamp, the cross lines
// over the motor symbol, and the 16-colour palette.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPoint>
#include <QWidget>

#include <cstdint>

namespace orlex::ui {

// Colour of a number of the 16-colour console palette (0 black, 7 light grey,
// 12 light red, 15 white, ...).
QColor paletteColour(std::int16_t number);

class ClickableLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The motor lamp: a filled circle whose fill is a palette colour.
class MotorLamp : public QWidget {
    Q_OBJECT
public:
    explicit MotorLamp(QWidget* parent = nullptr);
    void setColour(std::int16_t paletteNumber);
    std::int16_t colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::int16_t colour_ = 12;
};

// One of the two lines that cross out the motor symbol: a 2-pixel line between two points
// given in the parent's pixels.
class CrossLine : public QWidget {
    Q_OBJECT
public:
    CrossLine(QPoint from, QPoint to, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint from_, to_; // in this widget's coordinates
};

} // namespace orlex::ui
