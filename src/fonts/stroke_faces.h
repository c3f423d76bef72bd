// The Hershey single-stroke faces of Debian's hershey-fonts-data, read through
// libhersheyfont once per process and kept as plain data: the HP-GL labels and the SVG
// import's text are drawn with them. No font data is kept in the program itself.
#pragma once

#include <array>
#include <string_view>
#include <vector>

namespace orlex {

struct StrokePoint {
    double x = 0, y = 0;
};

// One character: strokes in font units, x from the glyph's left edge, y up from the
// baseline; capital letters are kStrokeCapHeight high, and the advance takes in the
// glyph's side bearings.
struct StrokeGlyph {
    bool present = false;
    double advance = 0;
    std::vector<std::vector<StrokePoint>> strokes;
};

inline constexpr double kStrokeCapHeight = 21;
// The body the faces were drawn on: 32 units from the top of the tallest letter to the
// bottom of the deepest, taken as the em when a face is set at a font size.
inline constexpr double kStrokeEm = 32;

struct StrokeFace {
    std::array<StrokeGlyph, 256> glyphs; // by character code; the faces cover ASCII 32..126
};

// The face of that name ("futural", "timesr", ...), loaded on first use; null when its
// file cannot be read. Safe to call from several threads.
const StrokeFace* strokeFace(std::string_view name);

} // namespace orlex
