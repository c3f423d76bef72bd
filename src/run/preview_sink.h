// The preview as a sink of a reading: pen-down points in black, pen-up moves in the
// preview's pen-up colour (which draws nothing while it is the hidden one).
#pragma once

#include "preview/preview.h"
#include "run/plot_draw.h"

namespace orlex {

class PreviewSink : public DrawPreview {
public:
    explicit PreviewSink(Preview* preview) : preview_(preview) {}
    void clear() override { preview_->clear(); }
    bool point(double x, double y, Pen pen) override
    {
        preview_->drawLine(x, y, pen == Pen::Down ? std::int16_t{kBlack} : preview_->penUpColour);
        return true;
    }

private:
    Preview* preview_;
};

} // namespace orlex
