// P1, P2, the user scale, the rotation and the window of the full HP-GL reading.
#include "hpgl/full/plot_state.h"

#include <algorithm>
#include <cmath>

namespace orlex::fullhpgl {

PlotState::PlotState(double pageWidth, double pageHeight) : pageWidth_(pageWidth), pageHeight_(pageHeight)
{
    initialize();
}

void PlotState::initialize()
{
    rotation_ = 0;
    resetInputPoints();
    setDefaults();
}

void PlotState::setDefaults()
{
    scale_ = UserScale{};
    window_.reset();
    updateTransform();
}

double PlotState::frameWidth() const
{
    return rotation_ % 180 == 0 ? pageWidth_ : pageHeight_;
}

double PlotState::frameHeight() const
{
    return rotation_ % 180 == 0 ? pageHeight_ : pageWidth_;
}

bool PlotState::setInputPoints(Point p1, Point p2)
{
    if (p1.x == p2.x || p1.y == p2.y)
        return false;
    p1_ = p1;
    p2_ = p2;
    updateTransform();
    return true;
}

void PlotState::resetInputPoints()
{
    p1_ = {0, 0};
    p2_ = {frameWidth(), frameHeight()};
    updateTransform();
}

bool PlotState::setScale(const UserScale& scale)
{
    const bool zero = scale.kind == ScaleKind::PointFactor ? scale.xMax == 0 || scale.yMax == 0
                                                           : scale.xMin == scale.xMax || scale.yMin == scale.yMax;
    if (scale.kind != ScaleKind::Off && zero)
        return false;
    scale_ = scale;
    updateTransform();
    return true;
}

void PlotState::setRotation(int degrees)
{
    rotation_ = degrees;
    window_.reset();
    resetInputPoints();
}

void PlotState::setWindow(Point corner1, Point corner2)
{
    const Point a = toPhysical(toFrame(corner1));
    const Point b = toPhysical(toFrame(corner2));
    window_ = Box{{std::min(a.x, b.x), std::min(a.y, b.y)}, {std::max(a.x, b.x), std::max(a.y, b.y)}};
}

Point PlotState::fromPhysical(Point physical) const
{
    switch (rotation_) {
    case 90: return {physical.y, pageWidth_ - physical.x};
    case 180: return {pageWidth_ - physical.x, pageHeight_ - physical.y};
    case 270: return {pageHeight_ - physical.y, physical.x};
    default: return physical;
    }
}

double PlotState::p1p2Diagonal() const
{
    return std::hypot(p2_.x - p1_.x, p2_.y - p1_.y);
}

void PlotState::updateTransform()
{
    const double width = p2_.x - p1_.x;
    const double height = p2_.y - p1_.y;
    switch (scale_.kind) {
    case ScaleKind::Off:
        scaleX_ = scaleY_ = 1;
        offsetX_ = offsetY_ = 0;
        return;
    case ScaleKind::PointFactor:
        scaleX_ = scale_.xMax;
        scaleY_ = scale_.yMax;
        offsetX_ = p1_.x - scale_.xMin * scaleX_;
        offsetY_ = p1_.y - scale_.yMin * scaleY_;
        return;
    case ScaleKind::Anisotropic:
        scaleX_ = width / (scale_.xMax - scale_.xMin);
        scaleY_ = height / (scale_.yMax - scale_.yMin);
        offsetX_ = p1_.x - scale_.xMin * scaleX_;
        offsetY_ = p1_.y - scale_.yMin * scaleY_;
        return;
    case ScaleKind::Isotropic: {
        // One factor for both axes, the smaller; the space left over on the other axis
        // goes left/bottom by the given percentages.
        const double ax = width / (scale_.xMax - scale_.xMin);
        const double ay = height / (scale_.yMax - scale_.yMin);
        const double factor = std::min(std::fabs(ax), std::fabs(ay));
        scaleX_ = std::copysign(factor, ax);
        scaleY_ = std::copysign(factor, ay);
        const double slackX = width - (scale_.xMax - scale_.xMin) * scaleX_;
        const double slackY = height - (scale_.yMax - scale_.yMin) * scaleY_;
        offsetX_ = p1_.x + slackX * scale_.leftPercent / 100 - scale_.xMin * scaleX_;
        offsetY_ = p1_.y + slackY * scale_.bottomPercent / 100 - scale_.yMin * scaleY_;
        return;
    }
    }
}

} // namespace orlex::fullhpgl
