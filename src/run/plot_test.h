// The test run that both front ends use before a draw: the interpreter in test mode,
// the extents in millimetres at the zoom, and the fit rule in millimetres and in steps.
#pragma once

#include "drive/drive.h"
#include "hpgl/interpreter.h"
#include "hpgl/plot_extents.h"
#include "preview/preview.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

struct PlotTest {
    enum class Verdict {
        Fits,
        TooBig,            // wider than Maxx or higher than Maxy
        BeyondCoordinates, // a point outside -32768..32767 plotter units
        BeyondSteps,       // a point the drive cannot count in 16-bit steps
        Unreadable,        // the file could not be read: nothing was measured
    };

    RunResult run;
    PlotExtents extents; // mm at the zoom of the test
    std::int16_t zoom = 100;
    bool halfStep = true;               // the step mode the steps were counted in
    std::optional<std::int16_t> limitX; // Maxx, Maxy as the fit rule reads them
    std::optional<std::int16_t> limitY;
    Verdict verdict = Verdict::Fits;
    std::string stepRangeMessage; // BeyondSteps: the axis and its limit in mm

    bool fits() const { return verdict == Verdict::Fits; }
    // Messages for the operator about the run: skipped pairs, coordinates beyond range,
    // steps beyond range. Empty when there is nothing to say.
    std::vector<std::string> warnings() const;
};

// Clears the preview, interprets `path` in test mode at the preview's zoom and the
// drive's step mode, measures the extents and applies the fit rule. Nothing moves.
PlotTest testPlot(const std::string& path, Preview& preview, Drive& drive);

inline constexpr const char* kCoordinateRangeMessage =
    "The plot exceeds the coordinate range: it has points outside -32768 to 32767 "
    "plotter units and cannot be drawn.";

} // namespace orlex
