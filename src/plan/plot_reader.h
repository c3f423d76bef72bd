// The events of a plot file, as the program's reader reads them.
#pragma once

#include "common/result.h"
#include "common/work_signals.h"
#include "hpgl/plot_reading.h"
#include "plan/plot_events.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orlex {

struct ReadPlot {
    PlotEvents events;
    std::uint64_t skippedPairs = 0; // coordinate pairs the reader passed over
    std::vector<std::string> notes; // what the full reading left without effect
};

// Reads the file with `reading` and keeps every point and SP. Fails when the file cannot
// be opened or read, when the full reading refuses it (kind TooBig for a size limit), or
// (kind Cancelled) when `work` asks it to give up.
Result<ReadPlot> readPlotEvents(const std::string& path, PlotReading reading = PlotReading::Classic,
                                const FullHpglOptions& fullOptions = {}, const WorkSignals* work = nullptr);

} // namespace orlex
