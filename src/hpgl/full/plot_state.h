// Where user units land: P1 and P2 (IP, IR), the user scale (SC), the rotation of the
// coordinate system (RO) and the clipping window (IW). Frame units are plotter units
// (0.025 mm) of the rotated page; physical units are the plotter's own, as the sink gets them.
#pragma once

#include <optional>

namespace orlex::fullhpgl {

struct Point {
    double x = 0, y = 0;
};

// An axis-aligned rectangle, min corner first.
struct Box {
    Point min, max;
};

enum class ScaleKind { Off, Anisotropic, Isotropic, PointFactor };

struct UserScale {
    ScaleKind kind = ScaleKind::Off;
    // Anisotropic, isotropic: the user ranges. Point factor: xMax and yMax are the
    // plotter units per user unit.
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    double leftPercent = 50, bottomPercent = 50; // isotropic: where the unused space goes
};

class PlotState {
public:
    PlotState(double pageWidth, double pageHeight);

    // IN: P1 and P2 at the page's corners, no scale, no rotation, no window.
    void initialize();
    // DF: no scale, no window (P1, P2 and the rotation stay).
    void setDefaults();

    // False (nothing changed) when P1 and P2 share an x or a y: the scale would have no size.
    bool setInputPoints(Point p1, Point p2);
    // IP without parameters: the page's corners.
    void resetInputPoints();
    // False (nothing changed) for a scale that maps a range or a factor of zero.
    bool setScale(const UserScale& scale);
    // RO: 0, 90, 180 or 270 degrees; P1 and P2 go to the rotated page's corners.
    void setRotation(int degrees);
    // IW: the window in user units; clearWindow for IW without parameters.
    void setWindow(Point corner1, Point corner2);
    void clearWindow() { window_.reset(); }

    Point toFrame(Point user) const { return {scaleX_ * user.x + offsetX_, scaleY_ * user.y + offsetY_}; }
    Point toUser(Point frame) const { return {(frame.x - offsetX_) / scaleX_, (frame.y - offsetY_) / scaleY_}; }
    // A relative move of user units in frame units.
    Point frameDelta(Point userDelta) const { return {scaleX_ * userDelta.x, scaleY_ * userDelta.y}; }
    // The frame turned counterclockwise by the rotation, its origin at the rotated
    // page's lower-left corner.
    Point toPhysical(Point frame) const
    {
        switch (rotation_) {
        case 90: return {pageWidth_ - frame.y, frame.x};
        case 180: return {pageWidth_ - frame.x, pageHeight_ - frame.y};
        case 270: return {frame.y, pageHeight_ - frame.x};
        default: return frame;
        }
    }
    Point fromPhysical(Point physical) const;

    Point p1() const { return p1_; }
    Point p2() const { return p2_; }
    double p1p2Diagonal() const;
    bool scaled() const { return scale_.kind != ScaleKind::Off; }
    double userUnitsPerFrameUnitX() const { return 1 / scaleX_; }
    const std::optional<Box>& window() const { return window_; } // physical units

    // The rotated page's size in frame units.
    double frameWidth() const;
    double frameHeight() const;

private:
    void updateTransform();

    double pageWidth_, pageHeight_;
    int rotation_ = 0;
    Point p1_, p2_;
    UserScale scale_;
    double scaleX_ = 1, scaleY_ = 1, offsetX_ = 0, offsetY_ = 0; // user -> frame
    std::optional<Box> window_;
};

} // namespace orlex::fullhpgl
