// Drawing time of a sequence of events, counted as the interpreter's test run counts it,
// so that the time an order saves is estimate(before) - estimate(after).
#pragma once

#include "common/result.h"
#include "plan/plot_events.h"

#include <cstdint>

namespace orlex {

// Lstepx / Lstepy converted: hundredths of a millimetre per full step, above 0.
struct StepLengths {
    double x = 0;
    double y = 0;
};

struct DrawCounts {
    std::uint64_t stepOutputs = 0; // coil writes, each a two-cycle wait
    std::uint64_t penCommands = 0; // one per point, each two step periods
};

// One pen command per point and max(|dx|, |dy|) outputs per line in whole steps from
// step 0,0. Fails when a step length is not above 0 or a point lies beyond the 16-bit
// step range (the test run then calls the estimate not valid).
Result<DrawCounts> countDrawOutputs(const PlotEvents& events, StepLengths stepLengths, bool halfStep,
                                    std::int16_t zoom);

// The counts in seconds with the program's formula (plot_extents.h), a step period being
// two cycles of a clock of `clockHz`.
Result<double> estimatedSeconds(const PlotEvents& events, StepLengths stepLengths, bool halfStep, std::int16_t zoom,
                                double clockHz);

} // namespace orlex
