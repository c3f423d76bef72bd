// Strokes in page millimetres placed on the machine: cut to the page, turned, fitted,
// in whole plotter units with y up.
#pragma once

#include "common/result.h"
#include "import/cairo_script_reader.h"
#include "import/svg_import.h"

#include <QRectF>

#include <vector>

namespace orlex {

// `page` is the page in the strokes' coordinates (millimetres, y down). Strokes are cut
// where they leave it; the page's bottom-left corner lands at 0,0. Fails with TooBig
// when a point leaves -32768..32767 plotter units. Messages do not name the file.
// `fills` are placed as the strokes are, without rounding or cutting, and counted by the
// placed strokes painted before them.
Result<SvgDrawing> placeStrokes(std::vector<MmStroke>& strokes, const QRectF& page, const SvgImportOptions& options,
                                const std::vector<MmFill>& fills = {});

// Cuts a polyline to `box` (edges included): the pieces inside, in order.
std::vector<std::vector<QPointF>> clipPolyline(const std::vector<QPointF>& points, const QRectF& box);

} // namespace orlex
