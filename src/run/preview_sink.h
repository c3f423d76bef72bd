// The preview as a sink of a reading: pen-down points in black, pen-up moves in the
// preview's pen-up colour (which draws nothing while it is the hidden one).
#pragma once

#include "hpgl/plot_sink.h"
#include "preview/preview.h"

namespace orlex {

class PreviewSink : public PlotSink {
public:
    explicit PreviewSink(Preview* preview) : preview_(preview) {}
    bool point(double x, double y, Pen pen) override
    {
        preview_->drawLine(x, y, pen == Pen::Down ? std::int16_t{kBlack} : preview_->penUpColour);
        return true;
    }

private:
    Preview* preview_;
};

} // namespace orlex
