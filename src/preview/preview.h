// The preview: mapping of plot points onto the canvas, the preview pen position,
// zoom and pen-up colour, and the origin half-axes.
#pragma once

#include "settings/machine_settings.h"

#include <cstdint>

namespace orlex {

// Colour numbers of the 16-colour console palette that the preview uses.
enum Colour : std::int16_t {
    kBlack = 0,     // pen-down segments
    kLightGrey = 7, // pen-up segment not shown: nothing is drawn
    kLightRed = 12, // origin half-axes
    kWhite = 15,    // pen-up segments when shown
};

// A surface measured in twips, origin top-left, y downwards.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual int widthTwips() const = 0;  // inner width W
    virtual int heightTwips() const = 0; // inner height H
    virtual void line(long x1, long y1, long x2, long y2, std::int16_t colour) = 0;
    virtual void clear() = 0;
};

// Draws nothing; for the command-line tool.
class NullCanvas : public Canvas {
public:
    int widthTwips() const override { return 5655; }
    int heightTwips() const override { return 4695; }
    void line(long, long, long, long, std::int16_t) override {}
    void clear() override {}
};

class Preview {
public:
    Preview(Canvas& canvas, const MachineSettings& settings) : canvas_(&canvas), settings_(settings) {}

    std::int16_t zoom = 100;      // percent, 1..400
    std::int16_t penUpColour = 7; // 15 shown, 7 hidden
    std::int32_t lastX = 0;       // preview pen, whole plotter units; never reset
    std::int32_t lastY = 0;

    Canvas& canvas() { return *canvas_; }
    void setCanvas(Canvas& canvas) { canvas_ = &canvas; }

    // Segment from the rounded last point to the exact new one (plotter units), or only
    // a move of the preview pen when colour is 7.
    void drawLine(double x, double y, std::int16_t colour);

    void drawYHalfAxis(); // origin straight up to the top edge, light red
    void drawXHalfAxis(); // origin across to the right edge, light red
    void clear();         // erases the canvas; lastX, lastY and zoom stay

private:
    Canvas* canvas_;
    const MachineSettings& settings_;
};

} // namespace orlex
