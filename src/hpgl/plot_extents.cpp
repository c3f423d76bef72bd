// The check's bounding box, the extents in millimetres, their labels and the fit rule.
#include "hpgl/plot_extents.h"

#include "common/plotter_units.h"
#include "settings/conversions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace orlex {

namespace {

// Plotter units (0.025 mm) to whole millimetres on paper at `zoom` percent; a value that
// does not fit 16 bits sticks at the nearest end of the range.
std::int16_t unitsToMillimetres(std::int16_t units, std::int16_t zoom)
{
    const double mm = (units * kMillimetresPerPlotterUnit) * (zoom / 100.0);
    if (const std::optional<std::int16_t> rounded = roundToInt16(mm))
        return *rounded;
    return mm < 0 ? INT16_MIN : INT16_MAX;
}

} // namespace

PlotBox boxOfExtremes(double minX, double minY, double maxX, double maxY, bool nanX, bool nanY)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ExtentsSink sink;
    sink.add(minX, minY);
    sink.add(maxX, maxY);
    sink.add(nanX ? nan : 0, nanY ? nan : 0);
    return sink.box();
}

PlotExtents extentsInMillimetres(const PlotBox& box, std::int16_t zoom)
{
    PlotExtents extents;
    extents.minXmm = unitsToMillimetres(box.minX, zoom);
    extents.minYmm = unitsToMillimetres(box.minY, zoom);
    extents.maxXmm = unitsToMillimetres(box.maxX, zoom);
    extents.maxYmm = unitsToMillimetres(box.maxY, zoom);
    return extents;
}

std::string millimetreLabel(std::int16_t mm)
{
    return std::to_string(mm) + " mm";
}

bool plotFits(const PlotExtents& extents, const MachineSettings& settings)
{
    const std::optional<std::int16_t> maxx = roundToInt16(settings.travelXmm);
    const std::optional<std::int16_t> maxy = roundToInt16(settings.travelYmm);
    if (!maxx || !maxy)
        return false;
    // In int: |-32768| + 32767 does not fit 16 bits.
    const int width = std::abs(int{extents.minXmm}) + std::abs(int{extents.maxXmm});
    const int height = std::abs(int{extents.minYmm}) + std::abs(int{extents.maxYmm});
    return width <= *maxx && height <= *maxy;
}

std::string durationText(double seconds)
{
    if (!(seconds > 0))
        seconds = 0; // negative and NaN
    if (seconds > 3.6e9)
        seconds = 3.6e9; // a million hours is already meaningless; keeps the casts defined
    char text[64];
    const double wholeSeconds = roundHalfEven(seconds);
    if (wholeSeconds >= 3600) {
        const auto minutes = static_cast<long long>(roundHalfEven(seconds / 60.0));
        std::snprintf(text, sizeof text, "%lld h %02lld min", minutes / 60, minutes % 60);
    } else if (wholeSeconds >= 60) {
        const auto s = static_cast<long long>(wholeSeconds);
        std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(wholeSeconds));
    }
    return text;
}

} // namespace orlex
