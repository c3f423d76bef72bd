// An SVG drawing's strokes with what its opaque fills cover taken out.
#pragma once

#include "common/result.h"
#include "import/svg_drawing.h"
#include "plan/line_work.h"

namespace orlex {

// The parts of the drawing's strokes that fills painted after them cover are taken out,
// as a viewer shows them; new ends are rounded to whole plotter units as the strokes are.
// Needs the fills (SvgImportOptions::keepFillOutlines); they are dropped once used. The
// change is reported as a line-work step, with times when `timing` is given.
Result<LineStepChange> hideCoveredStrokes(SvgDrawing& drawing, const DrawTiming* timing = nullptr);

} // namespace orlex
