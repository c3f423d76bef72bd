// The JSON objects of the test, stat and optimize commands, one line each.
#pragma once

#include "cli/test_run.h"
#include "run/prepared_plot.h"

#include <optional>
#include <string>

namespace orlex::cli {

// {"min_x_mm": -10, ..., "fits": true, ...}; a limit that is not a number is null, and so
// is an estimate that cannot be made. Lengths are at the check's zoom; the estimate is at
// a clock of `clockHz`. "ignored_commands" lists `ignored`: [{"command": "CI", "count": 12}].
std::string testJson(const PlotTest& outcome, double clockHz, const ClassicIgnoredCommands& ignored = {});

// The test's object with the plot's strokes besides its points.
std::string statJson(const PlotTest& outcome, double clockHz);

// Pen-up travel, pen lifts and the estimate before and after a reorder, and the line
// work's steps ("line_work": [{"step": "merge", ...}], only when there are any).
struct OptimizeFigures {
    TravelChange travel;
    std::optional<double> secondsBefore, secondsAfter;
    std::vector<LineStepChange> lineWork;
};
std::string optimizeJson(const OptimizeFigures& figures);

// Millimetres on paper at the check's zoom, from the statistics' unscaled millimetres.
double atZoom(double millimetres, const PlotTest& check);

} // namespace orlex::cli
