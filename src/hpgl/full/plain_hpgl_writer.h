// A sink that writes what it is handed as plain absolute HPGL in whole plotter units,
// PA, PU, PD and SP only, so that any program (the classic reading too) reads the result.
#pragma once

#include "hpgl/plot_sink.h"

#include <ostream>

namespace orlex {

class PlainHpglWriter : public PlotSink {
public:
    // Writes "PA;" at once; `out` must outlive the writer.
    explicit PlainHpglWriter(std::ostream& out);
    bool point(double x, double y, Pen pen) override;
    void selectPen(char pen) override;
    // Ends the last coordinate list; call once after the reading.
    void finish();

private:
    std::ostream& out_;
    char list_ = 0; // 'U' or 'D' while a PU or PD list is open
};

} // namespace orlex
