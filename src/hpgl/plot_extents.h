// Plot extents: the check's bounding box in plotter units, in millimetres, their label
// texts and the fit rule.
#pragma once

#include "hpgl/plot_sink.h"
#include "settings/conversions.h"
#include "settings/machine_settings.h"

#include <algorithm>

#include <cstdint>
#include <optional>
#include <string>

namespace orlex {

// The bounding box of a plot, origin included, in whole plotter units.
struct PlotBox {
    std::int16_t minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool outOfRange = false; // a point lay outside -32768..32767 plotter units
};

// Widens the box with every point, rounded halves to even; a point outside the 16-bit
// range sticks at the nearest end and marks the box out of range.
class ExtentsSink final : public PlotSink {
public:
    bool point(double x, double y, Pen) override
    {
        add(x, y);
        return true;
    }
    // point() without the call through the sink, for a check that feeds several sinks.
    void add(double x, double y)
    {
        const std::int16_t ix = extentValue(x);
        const std::int16_t iy = extentValue(y);
        box_.minX = std::min(box_.minX, ix);
        box_.minY = std::min(box_.minY, iy);
        box_.maxX = std::max(box_.maxX, ix);
        box_.maxY = std::max(box_.maxY, iy);
    }
    const PlotBox& box() const { return box_; }

private:
    std::int16_t extentValue(double v)
    {
        if (const std::optional<std::int16_t> rounded = roundToInt16(v))
            return *rounded;
        box_.outOfRange = true;
        return v < 0 ? INT16_MIN : INT16_MAX;
    }
    PlotBox box_;
};

// The box ExtentsSink gives for points whose least and greatest coordinates, origin
// included, are these: the rounding and the ends of the range keep the order of values,
// so the extremes rounded are the rounded points' extremes. NaN, which extremes pass
// over, counts beyond the top of the range, as in the sink: `nanX`, `nanY` tell that a
// coordinate on that axis was NaN.
PlotBox boxOfExtremes(double minX, double minY, double maxX, double maxY, bool nanX, bool nanY);

struct PlotExtents {
    std::int16_t minXmm = 0, minYmm = 0, maxXmm = 0, maxYmm = 0; // mm at the test's zoom
};

// (units * 0.025) * (zoom / 100), rounded halves to even, for each of the four extents.
PlotExtents extentsInMillimetres(const PlotBox& box, std::int16_t zoom);

// "-12 mm", "0 mm".
std::string millimetreLabel(std::int16_t mm);

// Width |minX| + |maxX| and height |minY| + |maxY| must not exceed Maxx / Maxy (equal fits).
// A limit that does not convert to a number fits nothing.
bool plotFits(const PlotExtents& extents, const MachineSettings& settings);

// "1 h 02 min", "3 min 05 s", "12 s".
std::string durationText(double seconds);

} // namespace orlex
