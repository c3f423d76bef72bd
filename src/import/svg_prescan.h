// Pre-scan of SVG bytes before Qt SVG sees them: refusals, page attributes, pen markers,
// and the cleaned document that is rendered.
#pragma once

#include "common/result.h"
#include "import/page_geometry.h"

#include <QByteArray>
#include <QString>

namespace orlex {

// A pen marker is a 1 x 1 image of this colour, its blue the pen (1..255).
inline constexpr int kPenMarkerRed = 0x4F, kPenMarkerGreen = 0x52;

struct PreparedSvg {
    QByteArray document; // well-formed, self-contained SVG for QSvgRenderer
    RootAttributes root;
    int skippedText = 0; // text elements left out
};

// Reads the whole document once with QXmlStreamReader and writes the cleaned copy:
// - refuses what is not an SVG, malformed XML, entity declarations and references,
//   links to anything outside the document (href, url(), @import, style sheets),
//   nesting deeper than 256 and <use> chains that loop or expand past 4 million elements;
// - leaves out text (Qt needs a GUI application and fonts to lay it out) and images;
// - turns <symbol> into a group in <defs> and nested <svg> into a group, applying their
//   viewBox in a transform (Qt SVG 6.4 knows neither);
// - marks where the pen changes: before each top-level element whose pen differs (a
//   numbered Inkscape layer's, else 1) it writes a pen marker image.
// Messages do not name the file; the caller does.
Result<PreparedSvg> prescanSvg(const QByteArray& bytes);

// The pen of an Inkscape layer label: "2", "2 red", "Pen 3" -> 2, 2, 3; 0 when the label
// does not start with a pen number 1..255.
int penFromLayerLabel(const QString& label);

} // namespace orlex
