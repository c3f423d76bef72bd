// Plot extents in millimetres, their label texts, the fit rule and the drawing-time estimate.
#pragma once

#include "hpgl/interpreter.h"
#include "settings/machine_settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orlex {

struct PlotExtents {
    std::int16_t minXmm = 0, minYmm = 0, maxXmm = 0, maxYmm = 0; // mm at the test's zoom
};

// (units * 0.025) * (zoom / 100), rounded halves to even, for each of the four extents.
PlotExtents extentsInMillimetres(const RunResult& run, std::int16_t zoom);

// "-12 mm", "0 mm".
std::string millimetreLabel(std::int16_t mm);

// Width |minX| + |maxX| and height |minY| + |maxY| must not exceed Maxx / Maxy (equal fits).
// A limit that does not convert to a number fits nothing.
bool plotFits(const PlotExtents& extents, const MachineSettings& settings);

// Estimated drawing time in seconds from the test run's counts and the step period
// (one two-cycle wait) in seconds; nullopt when the estimate is not valid.
std::optional<double> estimatedDrawSeconds(const RunResult& test, double stepPeriodSeconds);

// "1 h 02 min", "3 min 05 s", "12 s".
std::string durationText(double seconds);

} // namespace orlex
