// HPGL text from imported strokes.
#pragma once

#include "import/svg_import.h"

#include <string>

namespace orlex {

// "IN;SP1;PU x,y;PD x,y,x,y,...;...PU;" with whole plotter units; SP n whenever the pen
// changes.
std::string toHpgl(const SvgDrawing& drawing);

} // namespace orlex
