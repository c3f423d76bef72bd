// The events of a plot file, as the program's interpreter executes them.
#pragma once

#include "common/result.h"
#include "plan/plot_events.h"

#include <cstdint>
#include <string>

namespace orlex {

struct ReadPlot {
    PlotEvents events;
    std::uint64_t skippedPairs = 0; // coordinate pairs the interpreter passed over
};

// Runs the interpreter in test mode over the file (nothing is drawn or moved) and keeps
// every executed point and SP. Fails when the file cannot be opened or read.
Result<ReadPlot> readPlotEvents(const std::string& path);

} // namespace orlex
