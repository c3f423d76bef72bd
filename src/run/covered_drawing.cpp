// The drawing's strokes and fills handed to the planner's hiding, and back.
#include "run/covered_drawing.h"

#include "common/plotter_units.h"
#include "plan/covered_lines.h"

#include <cmath>
#include <utility>

namespace orlex {

namespace {

// A stroke on a fill's edge, up to a plotter unit off it after rounding, stays.
constexpr double kEdgeMargin = 1;

// The strokes as the planner counts them: a group wherever the pen changes.
std::vector<StrokeGroup> groupsOf(const SvgDrawing& drawing)
{
    std::vector<StrokeGroup> groups(1);
    int pen = 0;
    for (const PlotStroke& s : drawing.strokes) {
        if (s.pen != pen) {
            pen = s.pen;
            groups.push_back(StrokeGroup{static_cast<char>('0' + pen % 10), {}});
        }
        Stroke& stroke = groups.back().strokes.emplace_back();
        for (const auto& [x, y] : s.points)
            stroke.points.push_back({x, y});
    }
    return groups;
}

} // namespace

Result<LineStepChange> hideCoveredStrokes(SvgDrawing& drawing, const DrawTiming* timing)
{
    LineStepChange change;
    change.step = LineStep::HideCovered;
    change.before = lineFigures(groupsOf(drawing), timing);

    std::vector<PaintedLine> lines;
    lines.reserve(drawing.strokes.size());
    for (PlotStroke& s : drawing.strokes) {
        PaintedLine& line = lines.emplace_back(PaintedLine{s.pen, {}});
        line.points.reserve(s.points.size());
        for (const auto& [x, y] : s.points)
            line.points.push_back({x, y});
        std::vector<std::pair<double, double>>().swap(s.points);
    }
    std::vector<FillOutline> fills;
    fills.reserve(drawing.fills.size());
    for (const PlotFill& f : drawing.fills) {
        FillOutline& outline = fills.emplace_back(FillOutline{{}, f.evenOdd, f.strokesBefore});
        for (const auto& ring : f.rings) {
            std::vector<Position>& out = outline.rings.emplace_back();
            for (const auto& [x, y] : ring)
                out.push_back({x, y});
        }
    }
    std::vector<PlotFill>().swap(drawing.fills);

    const Result<HiddenCount> hidden = hideCovered(lines, fills, kEdgeMargin);
    if (!hidden)
        return hidden.error();
    drawing.strokes.clear();
    for (const PaintedLine& line : lines) {
        PlotStroke stroke{line.pen, {}};
        for (const Position& p : line.points) {
            const std::pair<double, double> q(std::round(p.x), std::round(p.y));
            if (stroke.points.empty() || stroke.points.back() != q)
                stroke.points.push_back(q);
        }
        if (stroke.points.size() >= 2)
            drawing.strokes.push_back(std::move(stroke));
    }
    if (drawing.strokes.empty())
        return failure("the fills painted over its strokes hide every one of them: nothing is left to draw");
    change.count = hidden->segments;
    change.lengthMm = hidden->length * kMillimetresPerPlotterUnit;
    change.after = lineFigures(groupsOf(drawing), timing);
    return change;
}

} // namespace orlex
