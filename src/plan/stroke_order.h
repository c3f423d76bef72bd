// Reordering strokes to shorten pen-up travel without changing what is drawn.
//
// Within each group (groups keep their order), strokes are ordered greedily by nearest
// end, then improved by local search (2-opt, Or-opt, iterated) within a time budget. A stroke may be drawn
// backwards, and a closed stroke may start at any of its points: either way it draws the
// same segments between the same points. Strokes whose ends meet are drawn as one run
// (strokeEvents joins them). Each group keeps its file order unless the new order makes
// the whole plot's travel shorter, so the travel never grows.
#pragma once

#include "common/work_signals.h"
#include "plan/strokes.h"

#include <chrono>
#include <cstddef>
#include <vector>

namespace orlex {

struct ReorderOptions {
    bool allowReverse = true; // a stroke may be drawn from its last point to its first
    bool allowRotate = true;  // a closed stroke may start and end at any of its points
    bool improve = true;      // false: the nearest-neighbour order alone
    // Cap on the improvement for the whole plot, shared among the groups by stroke
    // count. Small plots finish well within it and give the same order on every run;
    // large ones use all of it, and what it finds then depends on the machine's speed.
    std::chrono::milliseconds timeBudget{1000};
    WorkSignals* work = nullptr; // progress out, cancel in; a cancelled reorder is incomplete
};

struct OrderedPlot {
    std::vector<StrokeGroup> groups;   // the input's groups in order, strokes as drawn
    std::size_t groupsInFileOrder = 0; // groups with strokes whose file order was kept
    bool stoppedByTimeBudget = false;  // the budget cut the search short somewhere
    bool cancelled = false;            // given up on request: the groups are not a plot
};

// Coordinates must be finite, as the reader's are; a plot with any that is not is
// returned in file order.
OrderedPlot reorder(const std::vector<StrokeGroup>& groups, const ReorderOptions& options = {});

// Pen-up travel of the groups drawn in the order given, from the origin to the start of
// the last stroke and on to where the plot's last pen-up move parks the pen, in plotter
// units (what reorder shortens).
double penUpTravel(const std::vector<StrokeGroup>& groups);

} // namespace orlex
