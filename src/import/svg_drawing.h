// What the SVG import hands over: the drawing's strokes and fills in plotter units, and
// the options it takes. Standard C++ only, so that the core (the run preparation, the
// command-line tool) takes drawings without seeing Qt.
#pragma once

#include "common/plotter_units.h"
#include "common/result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orlex {

inline constexpr std::uintmax_t kMaxSvgFileBytes = 32u << 20; // larger files are refused unread
inline constexpr std::size_t kMaxSvgPoints = 10'000'000;      // points after flattening curves

// How <text> is drawn: in the Hershey single-stroke face nearest its font, or left out
// with a note (as before text was drawn).
enum class SvgText { Stroke, Skip };

struct SvgImportOptions {
    SvgText text = SvgText::Stroke;
    double toleranceMm = 0.05; // largest distance between a curve and its chords, in mm
    int rotateDegrees = 0;     // 0, or 90: the page turns a quarter turn counterclockwise
    // Scale down (never up), keeping proportions, so that the page (not the drawing's own
    // extents: placement stays predictable) fits W x H mm, after any turn.
    std::optional<std::pair<double, double>> fitMm;
    // Also the outlines of the opaque fills, in paint order, for hiding what they cover.
    // Off, the import is as if fills were none.
    bool keepFillOutlines = false;
    // A long path is drawn in pieces of about this many segments, whose strokes are then
    // joined again (cairo takes time that grows with the square of a path's crossings);
    // 0 draws every path whole.
    int pathPieceSegments = 50;
};

// One pen-down run. Points are whole plotter units (0.025 mm), y up, the page's
// bottom-left corner at 0,0.
struct PlotStroke {
    int pen = 1;
    std::vector<std::pair<double, double>> points;
};

// The outline of an opaque fill, placed as the strokes are (not rounded, not cut to the
// page): each ring closed from its last point back to its first.
struct PlotFill {
    std::vector<std::vector<std::pair<double, double>>> rings;
    bool evenOdd = false;          // the fill rule; else non-zero winding
    std::size_t strokesBefore = 0; // painted after the first strokesBefore strokes
};

struct SvgDrawing {
    std::vector<PlotStroke> strokes; // in document order
    std::vector<PlotFill> fills;     // with keepFillOutlines: opaque fills in paint order
    double pageWidthMm = 0;          // the page as placed on the machine (turned, fitted)
    double pageHeightMm = 0;
    std::vector<std::string> notes; // what was done or left out, in plain words (text, images)
};

} // namespace orlex
