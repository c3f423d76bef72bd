// The single-stroke font labels are drawn with: the Hershey "futural" (simplex roman) face
// of hershey-fonts-data (fonts/stroke_faces.h), in the reading's own point type.
#pragma once

#include "hpgl/full/plot_state.h"

#include <array>
#include <vector>

namespace orlex::fullhpgl {

// One character: strokes in font units, x from the glyph's left edge, y up from the
// baseline; capital letters are kFontCapHeight high.
struct Glyph {
    bool present = false;
    double width = 0; // the advance of the proportional face
    std::vector<std::vector<Point>> strokes;
};

inline constexpr double kFontCapHeight = 21;
// The body width of a capital in font units, which HP's character width is taken as.
inline constexpr double kFontCapWidth = 16;

struct StrokeFont {
    std::array<Glyph, 256> glyphs;
};

// The font, loaded on first use; null when its file cannot be read.
const StrokeFont* strokeFont();
inline constexpr const char* kStrokeFontName = "futural";

} // namespace orlex::fullhpgl
