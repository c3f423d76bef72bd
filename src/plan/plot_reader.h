// The events of a plot file, as the program's reader reads them.
#pragma once

#include "common/result.h"
#include "common/work_signals.h"
#include "plan/plot_events.h"

#include <cstdint>
#include <string>

namespace orlex {

struct ReadPlot {
    PlotEvents events;
    std::uint64_t skippedPairs = 0; // coordinate pairs the reader passed over
};

// Reads the file with the classic reader and keeps every point and SP. Fails when the
// file cannot be opened or read, or (kind Cancelled) when `work` asks it to give up.
Result<ReadPlot> readPlotEvents(const std::string& path, const WorkSignals* work = nullptr);

} // namespace orlex
