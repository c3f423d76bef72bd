// Splitting events into stroke groups, and writing stroke groups as events.
#include "plan/strokes.h"

#include <utility>

namespace orlex {

std::vector<StrokeGroup> splitStrokes(const PlotEvents& events)
{
    std::vector<StrokeGroup> groups(1);
    Position at;
    Stroke open;                    // the stroke being collected; empty when none is
    bool lastPointUp = false;       // the latest point was a pen-up point
    std::size_t lastPointGroup = 0; // the group it was read in
    const auto close = [&] {
        if (!open.points.empty())
            groups.back().strokes.push_back(std::exchange(open, Stroke{}));
    };

    for (const PlotEvent& event : events) {
        if (const SelectPen* sp = std::get_if<SelectPen>(&event)) {
            close();
            groups.push_back(StrokeGroup{sp->pen, {}});
            continue;
        }
        const PlotPoint& p = std::get<PlotPoint>(event);
        const Position to{p.x, p.y};
        lastPointUp = !p.penDown;
        lastPointGroup = groups.size() - 1;
        if (p.penDown) {
            if (open.points.empty())
                open.points.push_back(at);
            open.points.push_back(to);
        } else {
            close();
        }
        at = to;
    }
    close();
    if (lastPointUp)
        groups[lastPointGroup].parkAt = at;
    return groups;
}

PlotEvents strokeEvents(const std::vector<StrokeGroup>& groups)
{
    PlotEvents events;
    Position at;
    for (const StrokeGroup& group : groups) {
        if (group.pen)
            events.emplace_back(SelectPen{*group.pen});
        for (const Stroke& stroke : group.strokes) {
            const Position start = stroke.points.front();
            if (!(start == at))
                events.emplace_back(PlotPoint{start.x, start.y, false});
            for (std::size_t i = 1; i < stroke.points.size(); ++i)
                events.emplace_back(PlotPoint{stroke.points[i].x, stroke.points[i].y, true});
            at = stroke.points.back();
        }
        if (group.parkAt && !(*group.parkAt == at)) {
            events.emplace_back(PlotPoint{group.parkAt->x, group.parkAt->y, false});
            at = *group.parkAt;
        }
    }
    return events;
}

} // namespace orlex
