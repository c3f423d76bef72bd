// Counts and lengths of a plot, in one pass over its events.
#include "plan/plot_statistics.h"

#include "common/plotter_units.h"

#include <algorithm>

namespace orlex {

void StatisticsCounter::add(const PlotEvent& event)
{
    if (const PlotPoint* p = std::get_if<PlotPoint>(&event))
        addPoint(p->x, p->y, p->penDown);
    else
        addPenSelection();
}

void StatisticsCounter::join(const StatisticsCounter& later)
{
    const PlotStatistics& l = later.s_;
    std::uint64_t strokes = l.strokes, penLifts = l.penLifts;
    downLength_.add(later.downLength_);
    upLength_.add(later.upLength_);
    if (l.points != 0) {
        // Its first move began where this counter stands, not at the origin; a pen-down
        // first point goes on with a stroke left open here, a pen-up one lifts a pen
        // left down.
        const FirstPoint& f = later.first_;
        ExactSum& length = f.down ? downLength_ : upLength_;
        length.subtract(distance({}, f.at));
        length.add(distance(at_, f.at));
        if (f.down && inStroke_ && !f.afterPenSelection)
            --strokes;
        if (!f.down && penDown_)
            ++penLifts;
        if (s_.points == 0)
            first_ = {f.at, f.down, s_.penSelections != 0 || f.afterPenSelection};
        at_ = later.at_;
        penDown_ = later.penDown_;
        inStroke_ = later.inStroke_;
    } else if (l.penSelections != 0) {
        inStroke_ = false;
    }
    s_.points += l.points;
    s_.strokes += strokes;
    s_.penLifts += penLifts;
    s_.penSelections += l.penSelections;
    s_.units = {std::min(s_.units.minX, l.units.minX), std::min(s_.units.minY, l.units.minY),
                std::max(s_.units.maxX, l.units.maxX), std::max(s_.units.maxY, l.units.maxY)};
}

PlotStatistics StatisticsCounter::result() const
{
    PlotStatistics s = s_;
    if (penDown_)
        ++s.penLifts; // the program lifts the pen at the end of every draw
    s.penDownMillimetres = downLength_.value() * kMillimetresPerPlotterUnit;
    s.penUpMillimetres = upLength_.value() * kMillimetresPerPlotterUnit;
    s.millimetres = {s.units.minX * kMillimetresPerPlotterUnit, s.units.minY * kMillimetresPerPlotterUnit,
                     s.units.maxX * kMillimetresPerPlotterUnit, s.units.maxY * kMillimetresPerPlotterUnit};
    return s;
}

PlotStatistics computeStatistics(const PlotEvents& events)
{
    StatisticsCounter counter;
    for (const PlotEvent& event : events)
        counter.add(event);
    return counter.result();
}

} // namespace orlex
