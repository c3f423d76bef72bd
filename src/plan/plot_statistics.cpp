// Counts and lengths of a plot, in one pass over its events.
#include "plan/plot_statistics.h"

#include "common/plotter_units.h"

#include <algorithm>

namespace orlex {

void StatisticsCounter::add(const PlotEvent& event)
{
    if (std::holds_alternative<SelectPen>(event)) {
        ++s_.penSelections;
        inStroke_ = false;
        return;
    }
    const PlotPoint& p = std::get<PlotPoint>(event);
    const Position to{p.x, p.y};
    ++s_.points;
    if (p.penDown) {
        if (!inStroke_) {
            ++s_.strokes;
            inStroke_ = true;
        }
        downLength_ += distance(at_, to);
    } else {
        if (penDown_)
            ++s_.penLifts;
        inStroke_ = false;
        upLength_ += distance(at_, to);
    }
    penDown_ = p.penDown;
    at_ = to;
    s_.units.minX = std::min(s_.units.minX, p.x);
    s_.units.minY = std::min(s_.units.minY, p.y);
    s_.units.maxX = std::max(s_.units.maxX, p.x);
    s_.units.maxY = std::max(s_.units.maxY, p.y);
}

PlotStatistics StatisticsCounter::result() const
{
    PlotStatistics s = s_;
    if (penDown_)
        ++s.penLifts; // the program lifts the pen at the end of every draw
    s.penDownMillimetres = downLength_ * kMillimetresPerPlotterUnit;
    s.penUpMillimetres = upLength_ * kMillimetresPerPlotterUnit;
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
