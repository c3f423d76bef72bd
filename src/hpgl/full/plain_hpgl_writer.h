// The HPGL writer in the Plain frame and whole plotter units, streamed to an ostream:
// PA, PU, PD and SP only, so that any program (the classic reading too) reads the result.
#pragma once

#include "hpgl/hpgl_writer.h"
#include "hpgl/plot_sink.h"

#include <ostream>

namespace orlex {

class PlainHpglWriter : public PlotSink {
public:
    // Writes "PA;" (by the next point or finish()); `out` must outlive the writer.
    explicit PlainHpglWriter(std::ostream& out);
    // False when the point has no whole-unit text or `out` has failed.
    bool point(double x, double y, Pen pen) override;
    void selectPen(char pen) override;
    // Ends the last coordinate list and hands on the rest; call once after the reading.
    void finish();

private:
    std::ostream& out_;
    HpglWriter writer_{HpglNumbers::WholeUnits, HpglFrame::Plain};
};

} // namespace orlex
