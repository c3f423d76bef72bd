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
