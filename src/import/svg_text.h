// An SVG <text> element drawn in a single-stroke face: its characters, positions and
// styles read from the document, laid out, and written into the cleaned copy as paths
// stroked in the text's stroke colour, or its fill colour when it has no stroke (a
// plotter draws a letter's centre line). The element becomes a group that keeps its
// attributes (transform, class, clip-path, opacity ...), so librsvg places and hides the
// paths as it would the text.
#pragma once

#include "import/text_style.h"

#include <QString>

#include <cstddef>
#include <vector>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace orlex {

struct TextOutcome {
    bool drawn = false;        // some of its characters were drawn
    std::size_t missing = 0;   // characters the faces have no glyph for, left out
    int onPaths = 0;           // <textPath> elements, left out
    bool facesMissing = false; // the faces' files cannot be read: nothing was drawn
    std::size_t points = 0;    // of the paths written
};

struct TextContext {
    const TextStyleSheet& sheet;
    std::vector<StyledElement>& path; // the elements from the root down to the text, included
    QString pathElement;              // "path", with the document's prefix when it has one
};

// Reads the text whose start element `reader` has just read, up to and including its end
// element, and writes its paths with `writer` (inside the group the caller opened).
// `style` is the text element's own.
TextOutcome writeStrokeText(QXmlStreamReader& reader, QXmlStreamWriter& writer, const TextStyle& style,
                            const TextContext& context);

// The text element's attributes that only place its characters: the group does not keep them.
bool isTextPositioning(QStringView attribute);

} // namespace orlex
