// A text's characters set in the Hershey single-stroke face nearest their font: placed by
// their absolute and relative positions, text chunks moved by their text-anchor, sized by
// font-size, spaced by letter- and word-spacing. Coordinates are the text's user units,
// y down, as in the document.
#pragma once

#include "import/shape_clip.h"
#include "import/text_style.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace orlex {

// One character as the text's elements place it.
struct TextChar {
    char32_t code = ' ';
    int style = 0;              // index into the text's styles
    std::optional<double> x, y; // absolute position (x, y), which starts a new text chunk
    double dx = 0, dy = 0;      // relative move before it
};

// The face a font is drawn in: name, slant (added x per unit up) and whether every
// character takes the same advance (monospace).
struct StrokeFaceChoice {
    const char* name;
    double slant = 0;
    bool fixedPitch = false;
    double narrowing = 1; // of the face's widths, for a family set narrower than the face
};

// serif -> Times, sans-serif (and any family not known) -> Futura / simplex, monospace ->
// simplex at a fixed advance, cursive -> script; bold -> the family's heavier face; italic
// or oblique -> the italic face where the family has one, else slanted. No family:
// librsvg's default, a serif. Times and the faces made to its widths are set 0.8 as wide
// as the Hershey Times faces.
StrokeFaceChoice strokeFaceFor(const TextStyle& style);

struct TextRun {
    int style = 0;                 // of every glyph in it
    std::vector<Polyline> strokes; // user units, y down
};

struct LaidText {
    std::vector<TextRun> runs; // consecutive glyphs of one style, in order
    std::size_t glyphs = 0;    // characters drawn (spaces included)
    std::size_t missing = 0;   // characters the face has no glyph for, left out
    bool facesMissing = false; // a face's file cannot be read: nothing is laid out
};

// Characters of a display:none element take no place and are not in `chars`.
LaidText layoutText(const std::vector<TextChar>& chars, const std::vector<TextStyle>& styles);

} // namespace orlex
