// Pre-scan of SVG bytes before librsvg sees them: refusals, page attributes, pen markers,
// what is left out, and the cleaned document that is drawn.
#pragma once

#include "common/result.h"
#include "import/page_geometry.h"
#include "import/svg_import.h"

#include <QByteArray>
#include <QString>

namespace orlex {

// What the cleaned document leaves out or ignores, counted for the notes.
struct LeftOut {
    int text = 0;                      // text elements left out (SvgText::Skip)
    int textDrawn = 0;                 // text elements drawn in a stroke face
    std::size_t missingCharacters = 0; // characters of drawn text the faces lack, left out
    int textOnPaths = 0;               // <textPath> elements, left out
    int textWithoutFaces = 0;          // text elements left out: the faces' files cannot be read
    int images = 0;                    // images, embedded or linked: never read, never plotted
    int filters = 0;                   // filter effects: the shapes are drawn without them
    int masks = 0;                     // masks: the masked shapes are drawn whole
    int fonts = 0;                     // font definitions
    int metadata = 0;                  // <metadata> and elements of other vocabularies
    int links = 0;                     // hyperlinks: their content is drawn, the link not followed
    int embedded = 0;                  // foreignObject content (HTML and the like)
    int styleSheets = 0;               // style sheets of other files (@import, xml-stylesheet): never read
};

struct PreparedSvg {
    QByteArray document; // well-formed, self-contained SVG for librsvg
    RootAttributes root;
    LeftOut leftOut;
};

// Reads the whole document once with QXmlStreamReader and writes the cleaned copy:
// - refuses what is not an SVG, malformed XML, references to entities declared in another
//   file, and what would read another file and change what is drawn (<use> of another
//   file, a pattern or gradient of another file, url() of another file in a stroke, clip,
//   mask or marker); nesting deeper than 256 and <use> chains that loop or expand past
//   500,000 elements;
// - expands internal entities (within QXmlStreamReader's bound) and drops the DOCTYPE;
// - replaces each <text> (outside clipping paths, which librsvg fills with its outline)
//   with a group of paths: its characters in a single-stroke face (svg_text.h), unless
//   `text` is SvgText::Skip;
// - leaves out, and counts, what is never plotted: text (SvgText::Skip), images, filters (and the
//   references to them), fonts, metadata and elements of other vocabularies, foreignObject,
//   style sheets of other files (CSS @import, a style sheet processing instruction);
//   scripts and media are left out too;
// - keeps the fills inside a pattern, whose tile may paint a stroke;
// - marks where the pen changes: before each top-level element whose pen differs (a
//   numbered Inkscape layer's, else 1) it writes a pen marker (see kPenMarkerRed).
// - writes a long path that may be (path_split_rules.h) as a group of pieces of about
//   `pieceSegments` segments (0: never), with join markers (cairo_script_reader.h)
//   between them; the group has the path's attributes but its data.
// With `keepFills` the fills stay as they are (the root's default black too), so that the
// drawn copy paints them as a viewer does, and no path is split.
// Error positions are the original document's. Messages do not name the file.
Result<PreparedSvg> prescanSvg(const QByteArray& bytes, SvgText text = SvgText::Stroke, bool keepFills = false,
                               int pieceSegments = SvgImportOptions{}.pathPieceSegments);

// The pen of an Inkscape layer label: "2", "2 red", "Pen 3" -> 2, 2, 3; 0 when the label
// does not start with a pen number 1..255.
int penFromLayerLabel(const QString& label);

} // namespace orlex
