// Fixed layouts are given in twips (1/1440 inch): 15 to a pixel at 96 dots per inch.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <cmath>

namespace orlex::ui {

inline constexpr int kTwipsPerPixel = 15;

// Twips to whole pixels, halves to the even neighbour.
inline int pixels(int twips)
{
    return static_cast<int>(std::nearbyint(twips / static_cast<double>(kTwipsPerPixel)));
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

// Names a new control, places it at `twips` in its parent and gives it a tooltip.
template <class Widget>
Widget* place(Widget* widget, const char* name, const QRect& twips, const char* tooltip = nullptr)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    if (tooltip != nullptr && *tooltip != '\0')
        widget->setToolTip(QString::fromLatin1(tooltip));
    return widget;
}

} // namespace orlex::ui
