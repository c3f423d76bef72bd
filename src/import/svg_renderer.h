// librsvg draws a prepared SVG document onto a cairo script surface; the script is read
// back into the strokes that reach the page.
#pragma once

#include "common/result.h"
#include "import/cairo_script_reader.h"

#include <QByteArray>
#include <QSizeF>

#include <vector>

namespace orlex {

struct RenderRequest {
    QSizeF viewport;              // the document's viewport, from the page's top-left corner
    double mmPerViewportUnit = 1; // 1 for a viewport in millimetres, 25.4 / 96 in px
    double toleranceMm = 0.05;    // largest distance between a curve and its chords
    std::size_t maxPoints = 0;    // more points than this is TooBig
    bool keepFills = false;       // the outlines of opaque fills too
};

struct RenderedStrokes {
    std::vector<MmStroke> strokes; // page millimetres, y down, in drawing order
    bool dashed = false;           // a dashed stroke was kept; it is drawn solid
    std::vector<MmFill> fills;     // with keepFills: opaque fills in paint order
};

// Fails with TooBig when the strokes hold more than maxPoints points or reach more than
// 2 km from the page (cairo keeps coordinates in 32-bit fixed point; a second, much
// smaller drawing checks that none of them wrapped round). Messages do not name the file.
Result<RenderedStrokes> renderStrokes(const QByteArray& document, const RenderRequest& request);

} // namespace orlex
