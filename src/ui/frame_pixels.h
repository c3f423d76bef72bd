// Pixel work the virtual plotter view builds its frames with: plain loops over 32-bit
// images, each clipped to one rectangle, so that a frame's changes cost a few
// microseconds instead of a paint engine's set-up for every part.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>

namespace orlex::ui {

// Copies the pixels of `area` from `from` to `to` (images of the same size and depth).
void copyPixels(QImage& to, const QImage& from, const QRect& area);

// Lays `picture` (premultiplied ARGB) with its top left corner at `at` over the opaque
// image `to`, within `clip`.
void blendPicture(QImage& to, const QImage& picture, QPoint at, const QRect& clip);

// Sets the pixels of `area` to `colour`.
void fillPixels(QImage& to, const QRect& area, QRgb colour, const QRect& clip);

// A straight line `width` pixels wide with square ends reaching half the width beyond
// its ends, edges softened by how much of each pixel it covers. Pixel (x, y) spans x to
// x + 1 and y to y + 1. Every pixel's colour depends only on the line and the pixel, not
// on the clip, so lines drawn in pieces match lines drawn whole.
void drawInkLine(QImage& to, QPointF a, QPointF b, double width, QRgb colour, const QRect& clip);

} // namespace orlex::ui
