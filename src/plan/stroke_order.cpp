// Per group: greedy route, improved; then per group the file order or the new one,
// whichever combination gives the shortest travel over the whole plot.
#include "plan/stroke_order.h"

#include "plan/greedy_route.h"
#include "plan/route_improvement.h"
#include "plan/stroke_route.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orlex {

namespace {

bool allFinite(const std::vector<StrokeGroup>& groups)
{
    const auto finite = [](const Position& p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    for (const StrokeGroup& g : groups) {
        if (g.parkAt && !finite(*g.parkAt))
            return false;
        for (const Stroke& s : g.strokes)
            if (!std::all_of(s.points.begin(), s.points.end(), finite))
                return false;
    }
    return true;
}

Route fileRoute(std::size_t strokes)
{
    Route route(strokes);
    for (std::size_t i = 0; i < strokes; ++i)
        route[i].stroke = static_cast<std::uint32_t>(i);
    return route;
}

// The two ways a group can be drawn: 0 its file order, 1 the new route.
struct GroupChoices {
    std::array<Route, 2> routes;
    std::array<double, 2> travel{};  // from the route's first entry on
    std::array<Position, 2> first{}; // first entry
    std::array<Position, 2> last{};  // last exit
};

// Cheapest choice per group, by a two-state shortest path over the groups (the state is
// which choice drew the group before, since that fixes where the pen is).
std::vector<int> chooseRoutes(const std::vector<StrokeGroup>& groups, const std::vector<GroupChoices>& choices)
{
    struct State {
        double travel = 0;
        Position at;
    };
    std::array<State, 2> states{};
    std::vector<std::array<int, 2>> cameFrom(groups.size(), {0, 1});
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (groups[g].strokes.empty())
            continue; // the pen stays where it was: both states carry over
        std::array<State, 2> next{};
        for (int c = 0; c < 2; ++c) {
            for (int p = 0; p < 2; ++p) {
                const double travel =
                    states[p].travel + distance(states[p].at, choices[g].first[c]) + choices[g].travel[c];
                if (p == 0 || travel < next[c].travel) {
                    next[c] = {travel, choices[g].last[c]};
                    cameFrom[g][c] = p;
                }
            }
        }
        states = next;
    }
    // The plot's last pen-up move comes after every stroke, from wherever the choices left the pen.
    for (const StrokeGroup& g : groups)
        if (g.parkAt)
            for (State& state : states)
                state.travel += distance(state.at, *g.parkAt);
    std::vector<int> chosen(groups.size(), 0);
    int state = states[1].travel < states[0].travel ? 1 : 0; // the file order on a tie
    for (std::size_t g = groups.size(); g-- > 0;) {
        chosen[g] = state;
        state = cameFrom[g][state];
    }
    return chosen;
}

} // namespace

OrderedPlot reorder(const std::vector<StrokeGroup>& groups, const ReorderOptions& options)
{
    OrderedPlot plot;
    if (!allFinite(groups)) {
        plot.groups = groups;
        for (const StrokeGroup& g : groups)
            plot.groupsInFileOrder += g.strokes.empty() ? 0 : 1;
        return plot;
    }

    const auto deadline = std::chrono::steady_clock::now() + options.timeBudget;
    std::size_t strokesLeft = 0;
    for (const StrokeGroup& g : groups)
        strokesLeft += g.strokes.size();
    std::vector<GroupStrokes> views;
    views.reserve(groups.size());
    std::vector<GroupChoices> choices(groups.size());
    Position at; // where the new routes leave the pen
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const GroupStrokes& view = views.emplace_back(groups[g].strokes, options.allowReverse, options.allowRotate);
        GroupChoices& c = choices[g];
        c.routes[0] = fileRoute(view.size());
        c.routes[1] = greedyRoute(view, at, options.work);
        if (cancelled(options.work)) {
            plot.cancelled = true;
            return plot;
        }
        if (options.improve && view.size() > 0) {
            // The time left, shared by stroke count: time a group does not use passes on.
            const auto now = std::chrono::steady_clock::now();
            const auto left = std::max(deadline - now, std::chrono::steady_clock::duration::zero());
            const auto share = now + left / static_cast<long>(strokesLeft) * static_cast<long>(view.size());
            if (options.work)
                options.work->report(50);
            if (!improveRoute(view, at, c.routes[1], share, options.work))
                plot.stoppedByTimeBudget = true;
            if (cancelled(options.work)) {
                plot.cancelled = true;
                return plot;
            }
            strokesLeft -= view.size();
        }
        if (options.improve && options.allowRotate)
            settleLoopStarts(view, at, c.routes[1]);
        for (int k = 0; k < 2 && view.size() > 0; ++k) {
            c.first[k] = view.entry(c.routes[k].front());
            c.last[k] = view.exit(c.routes[k].back());
            c.travel[k] = routeTravel(view, c.first[k], c.routes[k]);
        }
        at = routeEnd(view, at, c.routes[1]);
    }

    const std::vector<int> chosen = chooseRoutes(groups, choices);
    plot.groups.reserve(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        StrokeGroup& out = plot.groups.emplace_back(StrokeGroup{groups[g].pen, {}, groups[g].parkAt});
        if (chosen[g] == 0) {
            out.strokes = groups[g].strokes;
            plot.groupsInFileOrder += out.strokes.empty() ? 0 : 1;
            continue;
        }
        out.strokes.reserve(groups[g].strokes.size());
        for (const StrokeVisit& v : choices[g].routes[1])
            out.strokes.push_back(views[g].drawn(v));
    }
    return plot;
}

double penUpTravel(const std::vector<StrokeGroup>& groups)
{
    double travel = 0;
    Position at;
    for (const StrokeGroup& g : groups) {
        for (const Stroke& s : g.strokes) {
            travel += distance(at, s.points.front());
            at = s.points.back();
        }
        if (g.parkAt) {
            travel += distance(at, *g.parkAt);
            at = *g.parkAt;
        }
    }
    return travel;
}

} // namespace orlex
