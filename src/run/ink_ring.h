// The preview of a draw that runs on the motion thread: each point, and the clear when
// the drawing begins, go through a ring that the window's frame timer drains into the
// preview on its own thread.
#pragma once

#include "common/spsc_ring.h"
#include "run/plot_draw.h"

#include <atomic>

namespace orlex {

struct InkItem {
    double x = 0, y = 0; // plotter units
    Pen pen = Pen::Up;
    bool clear = false;   // the preview is to be cleared here; x, y, pen mean nothing
    char penNumber = '1'; // the pen of the last SP, for the point's colour
};

class InkRing : public DrawPreview {
public:
    bool point(double x, double y, Pen pen) override
    {
        ring.push({x, y, pen, false, penNumber_});
        return true;
    }
    void clear() override // a draw begins: with pen 1, until its first SP
    {
        penNumber_ = '1';
        ring.push({0, 0, Pen::Up, true, penNumber_});
    }
    void selectPen(char pen) override { penNumber_ = pen; }

    SpscRing<InkItem> ring{16};

private:
    char penNumber_ = '1'; // on the motion thread only
};

} // namespace orlex
