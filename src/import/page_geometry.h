// The page of an SVG document: its size in millimetres and the map from user units to it.
#pragma once

#include "common/result.h"

#include <QString>
#include <QTransform>

#include <optional>

namespace orlex {

// The root <svg> element's attributes that place the drawing; empty when absent.
struct RootAttributes {
    QString width, height, viewBox, preserveAspectRatio;
};

struct PageGeometry {
    double widthMm = 0, heightMm = 0;
    QTransform userToPage;        // user units to page millimetres, y down, origin top-left
    bool sizeFromDrawing = false; // no width, height or viewBox: the drawing's extents are the page
};

// "12.5mm", "3in", "96" (px) in millimetres at 96 px per inch; nullopt for an absent or
// percentage length (it has nothing to refer to on a plotter).
Result<std::optional<double>> lengthInMm(const QString& text);

// The map from a viewBox to a viewport of w x h at the origin, as preserveAspectRatio
// ("[defer] <align> [meet|slice]", default xMidYMid meet) asks.
Result<QTransform> viewBoxTransform(const QRectF& viewBox, double w, double h, const QString& preserveAspectRatio);

// A viewBox attribute: four numbers, width and height positive.
Result<QRectF> parseViewBox(const QString& text);

// Page size from width and height (or the viewBox size as px when one is missing) and
// the viewBox to page map that preserveAspectRatio asks for (default xMidYMid meet).
Result<PageGeometry> pageGeometry(const RootAttributes& root);

} // namespace orlex
