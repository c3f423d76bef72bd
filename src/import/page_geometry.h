// The page of an SVG document: its size in millimetres.
#pragma once

#include "common/result.h"

#include <QRectF>
#include <QString>

#include <optional>

namespace orlex {

// The root <svg> element's attributes that place the drawing; empty when absent.
struct RootAttributes {
    QString width, height, viewBox, preserveAspectRatio;
};

struct PageGeometry {
    double widthMm = 0, heightMm = 0;
    bool sizeFromDrawing = false; // no width, height or viewBox: the drawing's extents are the page
};

// "12.5mm", "3in", "96" (px) in millimetres at 96 px per inch; nullopt for an absent or
// percentage length (it has nothing to refer to on a plotter).
Result<std::optional<double>> lengthInMm(const QString& text);

// A viewBox attribute: four numbers, width and height positive.
Result<QRectF> parseViewBox(const QString& text);

// Page size from width and height, or the viewBox size as px when one is missing (the
// renderer places the viewBox on the page as preserveAspectRatio asks).
Result<PageGeometry> pageGeometry(const RootAttributes& root);

} // namespace orlex
