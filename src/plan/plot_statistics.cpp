// Counts and lengths of a plot, in one pass over its events.
#include "plan/plot_statistics.h"

#include <algorithm>

namespace orlex {

PlotStatistics computeStatistics(const PlotEvents& events)
{
    PlotStatistics s;
    Position at; // the pen starts up at the origin
    bool penDown = false;
    bool inStroke = false; // a pen-down run is open (an SP closes it, the pen stays down)
    double downLength = 0;
    double upLength = 0;      // travel counted up to the start of the latest stroke
    double pendingTravel = 0; // travel since then, counted once another stroke starts

    for (const PlotEvent& event : events) {
        if (std::holds_alternative<SelectPen>(event)) {
            ++s.penSelections;
            inStroke = false;
            continue;
        }
        const PlotPoint& p = std::get<PlotPoint>(event);
        const Position to{p.x, p.y};
        ++s.points;
        if (p.penDown) {
            if (!inStroke) {
                ++s.strokes;
                upLength += pendingTravel;
                pendingTravel = 0;
                inStroke = true;
            }
            downLength += distance(at, to);
        } else {
            if (penDown)
                ++s.penLifts;
            inStroke = false;
            pendingTravel += distance(at, to);
        }
        penDown = p.penDown;
        at = to;
        s.units.minX = std::min(s.units.minX, p.x);
        s.units.minY = std::min(s.units.minY, p.y);
        s.units.maxX = std::max(s.units.maxX, p.x);
        s.units.maxY = std::max(s.units.maxY, p.y);
    }
    if (penDown)
        ++s.penLifts; // the program lifts the pen at the end of every draw

    s.penDownMillimetres = downLength * kMillimetresPerPlotterUnit;
    s.penUpMillimetres = upLength * kMillimetresPerPlotterUnit;
    s.millimetres = {s.units.minX * kMillimetresPerPlotterUnit, s.units.minY * kMillimetresPerPlotterUnit,
                     s.units.maxX * kMillimetresPerPlotterUnit, s.units.maxY * kMillimetresPerPlotterUnit};
    return s;
}

} // namespace orlex
