// The line work's steps in order, each measured before and after.
#include "plan/line_work.h"

#include "common/number_text.h"
#include "common/plotter_units.h"
#include "hpgl/plot_extents.h"
#include "plan/line_dedupe.h"
#include "plan/line_merge.h"
#include "plan/line_simplify.h"
#include "plan/plot_statistics.h"

#include <algorithm>
#include <cmath>

namespace orlex {

namespace {

bool allStrokePointsFinite(const std::vector<StrokeGroup>& groups)
{
    for (const StrokeGroup& g : groups)
        for (const Stroke& s : g.strokes)
            for (const Position& p : s.points)
                if (!std::isfinite(p.x) || !std::isfinite(p.y))
                    return false;
    return true;
}

std::string mmText(double mm)
{
    return numberText(std::round(mm * 10) / 10);
}

std::string timeText(double seconds)
{
    return seconds < 59.995 ? numberText(std::round(seconds * 100) / 100) + " s" : durationText(seconds);
}

const char* stepName(LineStep step)
{
    switch (step) {
    case LineStep::HideCovered: return "Hide covered";
    case LineStep::Dedupe: return "Dedupe";
    case LineStep::Merge: return "Merge";
    case LineStep::Simplify: return "Simplify";
    }
    return "";
}

} // namespace

LineFigures lineFigures(const std::vector<StrokeGroup>& groups, const DrawTiming* timing)
{
    const PlotEvents events = strokeEvents(groups);
    const PlotStatistics s = computeStatistics(events);
    LineFigures f;
    f.points = s.points;
    f.penLifts = s.penLifts;
    f.penDownMm = s.penDownMillimetres;
    f.segments = static_cast<std::uint64_t>(std::count_if(events.begin(), events.end(), [](const PlotEvent& e) {
        const PlotPoint* p = std::get_if<PlotPoint>(&e);
        return p != nullptr && p->penDown;
    }));
    if (timing != nullptr)
        if (const Result<double> seconds =
                estimatedSeconds(events, timing->stepLengths, timing->halfStep, timing->zoom, timing->clockHz))
            f.seconds = *seconds;
    return f;
}

std::string lineStepText(const LineStepChange& c)
{
    std::string text = stepName(c.step);
    if (c.step != LineStep::HideCovered)
        text += " " + numberText(c.toleranceMm) + " mm";
    text += ": ";
    switch (c.step) {
    case LineStep::HideCovered:
        text += std::to_string(c.count) + " segments hidden wholly or in part, " + mmText(c.lengthMm) + " mm";
        break;
    case LineStep::Dedupe:
        text += std::to_string(c.count) + " segments dropped wholly or in part, " + mmText(c.lengthMm) + " mm";
        break;
    case LineStep::Merge:
        text += std::to_string(c.count) + " joins, " + mmText(c.lengthMm) + " mm of gaps drawn";
        break;
    case LineStep::Simplify: text += std::to_string(c.count) + " points removed"; break;
    }
    text += "; pen lifts " + std::to_string(c.before.penLifts) + " -> " + std::to_string(c.after.penLifts)
            + ", pen-down segments " + std::to_string(c.before.segments) + " -> " + std::to_string(c.after.segments)
            + ", pen-down length " + mmText(c.before.penDownMm) + " -> " + mmText(c.after.penDownMm) + " mm";
    if (c.before.seconds && c.after.seconds)
        text += ", time " + timeText(*c.before.seconds) + " -> " + timeText(*c.after.seconds);
    return text;
}

std::vector<LineStepChange> applyLineWork(std::vector<StrokeGroup>& groups, const LineWorkOptions& options,
                                          const DrawTiming* timing)
{
    std::vector<LineStepChange> changes;
    if (!options.any() || !allStrokePointsFinite(groups))
        return changes;
    LineFigures figures = lineFigures(groups, timing);
    const auto record = [&](LineStep step, double toleranceMm, std::uint64_t count, double lengthMm) {
        LineStepChange& c = changes.emplace_back(LineStepChange{step, toleranceMm, figures, {}, count, lengthMm});
        figures = c.after = lineFigures(groups, timing);
    };
    if (options.dedupeMm) {
        const DedupeCount dropped = dropRetraces(groups, *options.dedupeMm * kPlotterUnitsPerMm);
        record(LineStep::Dedupe, *options.dedupeMm, dropped.segments, dropped.length / kPlotterUnitsPerMm);
    }
    if (options.mergeMm) {
        MergeCount merged;
        for (StrokeGroup& g : groups) {
            const MergeCount m = mergeStrokes(g.strokes, *options.mergeMm * kPlotterUnitsPerMm, options.allowReverse);
            merged.joins += m.joins;
            merged.gaps += m.gaps;
        }
        record(LineStep::Merge, *options.mergeMm, merged.joins, merged.gaps / kPlotterUnitsPerMm);
    }
    if (options.simplifyMm) {
        std::uint64_t removed = 0;
        for (StrokeGroup& g : groups)
            for (Stroke& s : g.strokes) {
                const std::size_t before = s.points.size();
                simplifyLine(s.points, *options.simplifyMm * kPlotterUnitsPerMm);
                removed += before - s.points.size();
            }
        record(LineStep::Simplify, *options.simplifyMm, removed, 0);
    }
    return changes;
}

} // namespace orlex
