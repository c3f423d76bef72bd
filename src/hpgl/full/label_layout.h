// Labels (LB) laid out as HP's fixed-pitch stick font is: a character cell 1.5 character
// widths wide, lines 2 cap heights apart, the glyphs of the stroke font centred on a
// body one character width wide; direction, slant, label origin and extra spacing.
#pragma once

#include "hpgl/full/plot_state.h"
#include "hpgl/full/stroke_font.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace orlex::fullhpgl {

struct LabelStyle {
    double width = 0;  // character width, frame units (negative mirrors)
    double height = 0; // cap height, frame units (negative mirrors)
    double directionRadians = 0;
    double slant = 0;                       // SL: tangent of the slant angle
    int origin = 1;                         // LO: 1..9, 11..19
    double extraSpaces = 0, extraLines = 0; // ES, in cells and lines

    double advance() const { return 1.5 * width * (1 + extraSpaces); }
    double lineSpacing() const { return 2 * height * (1 + extraLines); }
};

struct LabelStrokes {
    std::vector<std::vector<Point>> strokes; // frame units
    Point end;                               // where the pen is after the label
    std::uint64_t missingGlyphs = 0;         // characters the font has no glyph for
};

// Lays out `text` from `start` (frame units); CR, LF and BS move the carriage, other
// control characters are passed over.
LabelStrokes layoutLabel(std::string_view text, Point start, const LabelStyle& style, const StrokeFont& font);

// `start` moved by `cells` character cells along the label direction and `lines` lines
// down across it (CP).
Point moveByCells(Point start, const LabelStyle& style, double cells, double lines);

} // namespace orlex::fullhpgl
