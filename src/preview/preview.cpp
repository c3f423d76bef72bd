// Maps plot points onto the preview canvas, keeps the preview pen, draws the origin half-axes.
#include "preview/preview.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace orlex {

namespace {

// Rounds halves to even into 32 bits. Values beyond the range stick at its ends (the
// canvas clips them anyway) and NaN becomes 0, so no input is undefined behaviour.
// std::rint rounds halves to even in the default rounding mode, which the program never
// changes, and is inlined: this runs several times for every point of a plot.
std::int32_t toInt32(double value)
{
    if (std::isnan(value))
        return 0;
    const double rounded = std::rint(value);
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

// An origin setting (Offsetx, Offsety) on the canvas: 20 canvas units per unit of the
// setting, whatever the zoom.
double originUnits(double setting)
{
    return setting * 20.0;
}

} // namespace

void Preview::drawLine(double x, double y, std::int16_t colour)
{
    if (colour == kHidden) {
        lastX = toInt32(x);
        lastY = toInt32(y);
        return;
    }
    const double offsetX = originUnits(settings_.originXmm);
    const double offsetY = originUnits(settings_.originYmm);
    const double h = canvas_->heightUnits();
    // zoom * Last is an integer product; 64 bits so that no pen position can overflow it.
    const auto zoomLastX = static_cast<std::int64_t>(zoom) * lastX;
    const auto zoomLastY = static_cast<std::int64_t>(zoom) * lastY;

    const std::int32_t x1 = toInt32(offsetX + static_cast<double>(zoomLastX) / 100.0);
    const std::int32_t y1 = toInt32(h - static_cast<double>(zoomLastY) / 100.0 - offsetY);
    const std::int32_t x2 = toInt32(offsetX + x * zoom / 100.0);
    const std::int32_t y2 = toInt32(h - y * zoom / 100.0 - offsetY);
    canvas_->line(x1, y1, x2, y2, colour);

    lastX = toInt32(x);
    lastY = toInt32(y);
}

void Preview::drawYHalfAxis()
{
    const std::int32_t x = toInt32(originUnits(settings_.originXmm));
    const std::int32_t y = toInt32(canvas_->heightUnits() - originUnits(settings_.originYmm));
    canvas_->line(x, y, x, 0, kLightRed);
}

void Preview::drawXHalfAxis()
{
    const std::int32_t x = toInt32(originUnits(settings_.originXmm));
    const std::int32_t y = toInt32(canvas_->heightUnits() - originUnits(settings_.originYmm));
    canvas_->line(x, y, canvas_->widthUnits(), y, kLightRed);
}

void Preview::clear()
{
    canvas_->clear();
}

} // namespace orlex
