// Nearest-neighbour order of a group's strokes over a k-d tree of their ends.
#pragma once

#include "plan/stroke_route.h"

#include "common/work_signals.h"

namespace orlex {

// From `start`, always on to the nearest end of a stroke not yet drawn, entering it
// there (reversed or rotated when the group allows). O(e log e) for e ends.
// With `work`, reports the share of strokes placed, and stops early (a partial route)
// when asked to.
Route greedyRoute(const GroupStrokes& group, Position start, WorkSignals* work = nullptr);

} // namespace orlex
