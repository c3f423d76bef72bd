// Strokes in page millimetres placed on the machine: cut to the page, turned, fitted,
// in whole plotter units with y up.
#include "import/placement.h"

#include "common/plotter_units.h"
#include "common/segment_clip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orlex {

namespace {

constexpr double kMinUnit = -32768, kMaxUnit = 32767;

// The part of segment a-b inside the box as parameters t0 <= t1, or false.
bool clipSegment(const QPointF& a, const QPointF& b, const QRectF& box, double& t0, double& t1)
{
    return orlex::clipSegment(a.x(), a.y(), b.x(), b.y(), box.left(), box.top(), box.right(), box.bottom(), t0, t1);
}

std::string mm(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

} // namespace

std::vector<std::vector<QPointF>> clipPolyline(const std::vector<QPointF>& points, const QRectF& box)
{
    std::vector<std::vector<QPointF>> pieces;
    std::vector<QPointF> piece;
    const auto inside = [&box](const QPointF& p) {
        return p.x() >= box.left() && p.x() <= box.right() && p.y() >= box.top() && p.y() <= box.bottom();
    };
    if (std::all_of(points.begin(), points.end(), inside)) {
        if (!points.empty())
            pieces.push_back(points);
        return pieces;
    }
    for (std::size_t i = 1; i < points.size(); ++i) {
        double t0, t1;
        const QPointF &a = points[i - 1], &b = points[i];
        if (!clipSegment(a, b, box, t0, t1))
            continue;
        const QPointF from = t0 > 0 ? a + (b - a) * t0 : a;
        const QPointF to = t1 < 1 ? a + (b - a) * t1 : b;
        if (piece.empty() || t0 > 0) {
            if (!piece.empty())
                pieces.push_back(std::move(piece));
            piece = {from};
        }
        piece.push_back(to);
        if (t1 < 1) {
            pieces.push_back(std::move(piece));
            piece.clear();
        }
    }
    if (!piece.empty())
        pieces.push_back(std::move(piece));
    return pieces;
}

Result<SvgDrawing> placeStrokes(std::vector<MmStroke>& strokes, const QRectF& page, const SvgImportOptions& options,
                                const std::vector<MmFill>& fills)
{
    const bool turned = options.rotateDegrees == 90;
    const double width = turned ? page.height() : page.width();
    const double height = turned ? page.width() : page.height();
    double scale = 1;
    if (options.fitMm)
        scale = std::min({1.0, options.fitMm->first / width, options.fitMm->second / height});
    const double k = scale * kPlotterUnitsPerMm;

    // Page millimetres (y down from the top-left corner) to plotter units (y up from the
    // bottom-left corner); turned a quarter turn counterclockwise, the page's top edge
    // lies on the left.
    const auto placeExactly = [&](const QPointF& p) {
        const double x = p.x() - page.left(), y = p.y() - page.top();
        return turned ? std::pair(y * k, x * k) : std::pair(x * k, (page.height() - y) * k);
    };
    const auto place = [&](const QPointF& p) {
        const auto [x, y] = placeExactly(p);
        return std::pair(std::round(x), std::round(y));
    };

    SvgDrawing drawing;
    drawing.pageWidthMm = width * scale;
    drawing.pageHeightMm = height * scale;
    // The box is widened by a hair so that strokes on the page's edge are kept whole: the
    // renderer's fixed-point steps are 1/1024 mm.
    const double hair = 0.002;
    const QRectF box = page.adjusted(-hair, -hair, hair, hair);
    bool cut = false;
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    std::vector<std::size_t> placedBefore; // placed strokes before each stroke, with fills only
    for (MmStroke& stroke : strokes) {
        if (!fills.empty())
            placedBefore.push_back(drawing.strokes.size());
        cut = cut || !std::all_of(stroke.points.begin(), stroke.points.end(), [&box](const QPointF& p) {
                  return p.x() >= box.left() && p.x() <= box.right() && p.y() >= box.top() && p.y() <= box.bottom();
              });
        auto pieces = clipPolyline(stroke.points, box);
        for (const auto& piece : pieces) {
            PlotStroke placed{stroke.pen, {}};
            placed.points.reserve(piece.size());
            for (const QPointF& p : piece) {
                const auto q = place(p);
                if (placed.points.empty() || placed.points.back() != q)
                    placed.points.push_back(q);
            }
            if (placed.points.size() < 2)
                continue; // nothing left to draw once rounded
            for (const auto& [x, y] : placed.points) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
            drawing.strokes.push_back(std::move(placed));
        }
        std::vector<QPointF>().swap(stroke.points); // the millimetre copy is no longer needed
    }
    for (const MmFill& fill : fills) {
        PlotFill& placed = drawing.fills.emplace_back();
        placed.evenOdd = fill.evenOdd;
        placed.strokesBefore =
            fill.strokesBefore < placedBefore.size() ? placedBefore[fill.strokesBefore] : drawing.strokes.size();
        for (const auto& ring : fill.rings) {
            auto& out = placed.rings.emplace_back();
            out.reserve(ring.size());
            for (const QPointF& p : ring)
                out.push_back(placeExactly(p));
        }
    }
    if (cut)
        drawing.notes.push_back("parts outside the page were cut off");
    if (!drawing.strokes.empty() && (minX < kMinUnit || minY < kMinUnit || maxX > kMaxUnit || maxY > kMaxUnit))
        return failure("the drawing is " + mm((maxX - minX) / kPlotterUnitsPerMm) + " x "
                           + mm((maxY - minY) / kPlotterUnitsPerMm) + " mm and reaches "
                           + mm(std::max(maxX, maxY) / kPlotterUnitsPerMm)
                           + " mm from the page's corner; the plotter's range is 819.175 mm",
                       Error::Kind::TooBig);
    return drawing;
}

} // namespace orlex
