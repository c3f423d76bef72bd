// Extents of a test run in millimetres, their labels, the fit rule and the time estimate.
#include "hpgl/plot_extents.h"

#include "settings/conversions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace orlex {

namespace {

// Plotter units (0.025 mm) to whole millimetres on paper at `zoom` percent; a value that
// does not fit 16 bits sticks at the nearest end of the range.
std::int16_t unitsToMillimetres(std::int16_t units, std::int16_t zoom)
{
    const double mm = (units * 0.025) * (zoom / 100.0);
    if (const std::optional<std::int16_t> rounded = roundToInt16(mm))
        return *rounded;
    return mm < 0 ? INT16_MIN : INT16_MAX;
}

} // namespace

PlotExtents extentsInMillimetres(const RunResult& run, std::int16_t zoom)
{
    PlotExtents extents;
    extents.minXmm = unitsToMillimetres(run.minX, zoom);
    extents.minYmm = unitsToMillimetres(run.minY, zoom);
    extents.maxXmm = unitsToMillimetres(run.maxX, zoom);
    extents.maxYmm = unitsToMillimetres(run.maxY, zoom);
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

std::optional<double> estimatedDrawSeconds(const RunResult& test, double stepPeriodSeconds)
{
    if (!test.estimateValid || !std::isfinite(stepPeriodSeconds) || stepPeriodSeconds <= 0)
        return std::nullopt;
    // An output waits two clock cycles (one period), a pen command four (two periods).
    return static_cast<double>(test.stepOutputs) * stepPeriodSeconds
           + static_cast<double>(test.penCommands) * 2.0 * stepPeriodSeconds;
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
