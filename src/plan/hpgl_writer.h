// Plot events and ordered plots as HPGL, through the one writer (hpgl/hpgl_writer.h).
#pragma once

#include "common/result.h"
#include "hpgl/hpgl_writer.h"
#include "plan/plot_events.h"
#include "plan/stroke_order.h"

#include <string>

namespace orlex {

// The events as HPGL in the Initialised frame; fails for a point that cannot be written
// in `numbers`.
Result<std::string> writeHpgl(const PlotEvents& events, HpglNumbers numbers = HpglNumbers::Exact);

// The plot's strokes as strokeEvents draws them.
Result<std::string> writeHpgl(const OrderedPlot& plot);

} // namespace orlex
