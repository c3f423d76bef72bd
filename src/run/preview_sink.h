// The preview as a sink of a reading: pen-down points in their pen's colour, pen-up moves in the
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
        preview_->drawLine(x, y, pen == Pen::Down ? inkColour_ : preview_->penUpColour);
        return true;
    }
    // Each pen draws in its own colour.
    void selectPen(char pen) override { inkColour_ = penColour(pen); }

private:
    Preview* preview_;
    std::int16_t inkColour_ = kBlack; // pen 1 until an SP
};

} // namespace orlex
