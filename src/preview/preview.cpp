// Maps plot points onto the preview canvas, keeps the preview pen, draws the origin half-axes.
#include "preview/preview.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orlex {

namespace {

// Rounds halves to even into 32 bits. Values beyond the range stick at its ends (the
// canvas clips them anyway) and NaN becomes 0, so no input is undefined behaviour. Held
// at the ends first, a value rounds as std::rint would in the default rounding mode
// (halves to even), which the program never changes: on x86-64 in one instruction that
// rounds and converts at once, as this runs several times for every point of a plot.
std::int32_t toInt32(double value)
{
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    if (!(value > kLowest && value < kHighest)) {
        if (std::isnan(value))
            return 0;
        return value <= kLowest ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    }
#if defined(__SSE2__)
    return _mm_cvtsd_si32(_mm_set_sd(value));
#else
    return static_cast<std::int32_t>(std::rint(value));
#endif
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

    double x1 = offsetX + static_cast<double>(zoomLastX) / 100.0;
    double y1 = h - static_cast<double>(zoomLastY) / 100.0 - offsetY;
    double x2 = offsetX + x * zoom / 100.0;
    double y2 = h - y * zoom / 100.0 - offsetY;
    if (fit) {
        x1 = fit->x(x1);
        y1 = fit->y(y1);
        x2 = fit->x(x2);
        y2 = fit->y(y2);
    }
    canvas_->line(toInt32(x1), toInt32(y1), toInt32(x2), toInt32(y2), colour);

    lastX = toInt32(x);
    lastY = toInt32(y);
}

void Preview::drawYHalfAxis()
{
    double x = originUnits(settings_.originXmm);
    double y = canvas_->heightUnits() - originUnits(settings_.originYmm);
    if (fit) {
        x = fit->x(x);
        y = fit->y(y);
    }
    canvas_->line(toInt32(x), toInt32(y), toInt32(x), 0, kLightRed);
}

void Preview::drawXHalfAxis()
{
    double x = originUnits(settings_.originXmm);
    double y = canvas_->heightUnits() - originUnits(settings_.originYmm);
    if (fit) {
        x = fit->x(x);
        y = fit->y(y);
    }
    canvas_->line(toInt32(x), toInt32(y), canvas_->widthUnits(), toInt32(y), kLightRed);
}

PreviewFit Preview::fitFor(double minX, double minY, double maxX, double maxY) const
{
    constexpr double kMargin = 0.04; // of the canvas, on every side
    const double w = canvas_->widthUnits();
    const double h = canvas_->heightUnits();
    const double z = zoom / 100.0;
    // The box as the usual mapping places it; at least one unit across.
    const double left = originUnits(settings_.originXmm) + minX * z;
    const double right = originUnits(settings_.originXmm) + maxX * z;
    const double top = h - maxY * z - originUnits(settings_.originYmm);
    const double bottom = h - minY * z - originUnits(settings_.originYmm);
    const double boxW = std::max(right - left, 1.0);
    const double boxH = std::max(bottom - top, 1.0);
    PreviewFit fitted;
    fitted.scale = std::min(w * (1 - 2 * kMargin) / boxW, h * (1 - 2 * kMargin) / boxH);
    fitted.shiftX = w / 2 - (left + right) / 2 * fitted.scale;
    fitted.shiftY = h / 2 - (top + bottom) / 2 * fitted.scale;
    return fitted;
}

std::int16_t penColour(char pen)
{
    // Pens 1 to 9: black, red, green, blue, magenta, cyan, brown, dark grey, light blue.
    static constexpr std::int16_t kPens[] = {0, 4, 2, 1, 5, 3, 6, 8, 9};
    if (pen < '1' || pen > '9')
        return kBlack; // SP0 puts the pen away: whatever follows is drawn as pen 1
    return kPens[pen - '1'];
}

void Preview::clear()
{
    canvas_->clear();
}

} // namespace orlex
