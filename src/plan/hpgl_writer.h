// Plain absolute HPGL that the reader reads back to the same points, bit for bit.
#pragma once

#include "common/result.h"
#include "plan/plot_events.h"
#include "plan/stroke_order.h"

#include <string>

namespace orlex {

// "IN;", then "SP1;" if points come before any SP, "PU x,y;" for each pen-up point,
// "PD x,y,x,y,...;" for each run of pen-down points, "SPn;" with each pen's own
// character, and "PU;" at the end. Coordinates are written in the shortest plain decimal
// form that reads back as the identical double. Fails for a coordinate that is not
// finite or whose text would be longer than the reader reads.
Result<std::string> writeHpgl(const PlotEvents& events);

// The plot's strokes as strokeEvents draws them.
Result<std::string> writeHpgl(const OrderedPlot& plot);

} // namespace orlex
