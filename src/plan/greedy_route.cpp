// Greedy nearest-neighbour route: one k-d tree query per stroke, the stroke's ends
// removed once it is drawn.
#include "plan/greedy_route.h"

#include "plan/point_tree.h"

namespace orlex {

Route greedyRoute(const GroupStrokes& group, Position start, WorkSignals* work)
{
    const std::vector<StrokeEnd> ends = group.ends(group.allowReverse());
    std::vector<TreePoint> points;
    points.reserve(ends.size());
    std::vector<std::uint32_t> firstEnd(group.size() + 1, 0); // ends of stroke s: [firstEnd[s], firstEnd[s+1])
    for (std::size_t i = 0; i < ends.size(); ++i) {
        points.push_back({ends[i].at, ends[i].stroke});
        firstEnd[ends[i].stroke + 1] = static_cast<std::uint32_t>(i + 1);
    }
    PointTree tree(std::move(points));

    Route route;
    route.reserve(group.size());
    Position at = start;
    while (const std::optional<std::size_t> nearest = tree.nearest(at)) {
        if (work && (route.size() & 1023) == 0) {
            if (work->cancelled())
                break;
            work->report(static_cast<int>(50 * route.size() / group.size()));
        }
        const StrokeEnd& end = ends[*nearest];
        const StrokeVisit visit = group.visitFrom(end);
        route.push_back(visit);
        for (std::uint32_t i = firstEnd[end.stroke]; i < firstEnd[end.stroke + 1]; ++i)
            tree.remove(i);
        at = group.exit(visit);
    }
    return route;
}

} // namespace orlex
