// The preview: mapping of plot points onto the canvas, the preview pen position,
// zoom and pen-up colour, and the origin half-axes.
#pragma once

#include "settings/machine_settings.h"

#include <cstdint>
#include <optional>

namespace orlex {

// Colour numbers of the 16-colour console palette that the preview uses.
enum Colour : std::int16_t {
    kBlack = 0,     // pen-down segments
    kHidden = 7,    // a pen-up move that is not shown: drawLine only moves the preview pen
    kLightRed = 12, // origin half-axes
    kWhite = 15,    // pen-up segments when shown
};

// A surface measured in canvas units, origin top-left, y downwards. A canvas unit is a
// plotter unit at zoom 100 %; how many of them make a pixel is the front end's choice.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual int widthUnits() const = 0;  // inner width W
    virtual int heightUnits() const = 0; // inner height H
    virtual void line(long x1, long y1, long x2, long y2, std::int16_t colour) = 0;
    virtual void clear() = 0;
};

// Draws nothing; for the command-line tool.
class NullCanvas : public Canvas {
public:
    int widthUnits() const override { return 5655; }
    int heightUnits() const override { return 4695; }
    void line(long, long, long, long, std::int16_t) override {}
    void clear() override {}
};

// The preview colour of a pen (SP's character, '0' to '9'): a fixed palette, pen 1 black
// as the preview has always drawn, and none of the colours the preview keeps for the
// half-axes, hidden moves and pen-up moves.
std::int16_t penColour(char pen);

// Scales and shifts the preview's canvas points so that a whole plot shows:
// canvas' = canvas * scale + shift.
struct PreviewFit {
    double scale = 1;
    double shiftX = 0, shiftY = 0;
    double x(double canvasX) const { return canvasX * scale + shiftX; }
    double y(double canvasY) const { return canvasY * scale + shiftY; }
};

class Preview {
public:
    Preview(Canvas& canvas, const MachineSettings& settings) : canvas_(&canvas), settings_(settings) {}

    std::int16_t zoom = 100;            // percent, 1..400
    std::int16_t penUpColour = kHidden; // kWhite when pen-up moves are shown
    std::int32_t lastX = 0;             // preview pen, whole plotter units; never reset
    std::int32_t lastY = 0;
    // When set, every line and the half-axes are placed by it after the usual mapping; the
    // preview pen and the zoom stay as they are.
    std::optional<PreviewFit> fit;
    // The fit that shows the plot box (plotter units) whole, centred on the canvas.
    PreviewFit fitFor(double minX, double minY, double maxX, double maxY) const;

    Canvas& canvas() { return *canvas_; }
    void setCanvas(Canvas& canvas) { canvas_ = &canvas; }

    // Segment from the rounded last point to the exact new one (plotter units), or only
    // a move of the preview pen when colour is kHidden.
    void drawLine(double x, double y, std::int16_t colour);

    void drawYHalfAxis(); // origin straight up to the top edge, light red
    void drawXHalfAxis(); // origin across to the right edge, light red
    void clear();         // erases the canvas; lastX, lastY and zoom stay

private:
    Canvas* canvas_;
    const MachineSettings& settings_;
};

} // namespace orlex
