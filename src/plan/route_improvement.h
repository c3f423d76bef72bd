// Local search on a group's route: 2-opt (reverse a run of strokes), Or-opt (move a run
// of one to three strokes elsewhere, either way round) and, for closed strokes, a new
// starting point, each tried only towards the nearest ends of other strokes; then
// iterated: swap two short runs, search again, keep the result if it is shorter.
#pragma once

#include "common/work_signals.h"
#include "plan/stroke_route.h"

#include <chrono>

namespace orlex {

// Improves `route` (a visit of every stroke of `group`) in place: local search until no
// listed move shortens its pen-up travel from `start`, then up to 20 kicks per stroke,
// each kept only if the travel got shorter, so the route never gets worse. Returns false
// when `deadline` stopped it first; a search that ends before the deadline gives the
// same route on every run.
// A cancel request through `work` stops it as the deadline does.
bool improveRoute(const GroupStrokes& group, Position start, Route& route,
                  std::chrono::steady_clock::time_point deadline, const WorkSignals* work = nullptr);

// Starts each closed stroke at whichever of all its points is nearest to the strokes
// before and after it (the search only tries a few points of each). O(points) a sweep,
// repeated while a start moves, three sweeps at most. Never lengthens the travel.
void settleLoopStarts(const GroupStrokes& group, Position start, Route& route);

} // namespace orlex
