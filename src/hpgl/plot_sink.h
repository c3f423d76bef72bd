// What a plot reader hands on as it reads: every point it carries out, in order, and
// every pen selection. The check, the preview, the draw, the statistics and the estimate
// are sinks; a reader never moves the machine or paints anything itself.
#pragma once

#include "common/pen.h"

namespace orlex {

class PlotSink {
public:
    virtual ~PlotSink() = default;
    // One point in plotter units (0.025 mm), relative coordinates already resolved: a
    // line from the previous point when `pen` is Down, a move otherwise. False asks the
    // reader to stop at once (a refused or stopped move ends the run).
    virtual bool point(double x, double y, Pen pen) = 0;
    // An SP command, with the one character taken as its pen number ('1' to '9', '0').
    virtual void selectPen(char pen) { (void)pen; }
};

} // namespace orlex
