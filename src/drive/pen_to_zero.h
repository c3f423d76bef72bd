// The move of "Pen to 0", worked out in one place: the drive moves by it, and the fit
// and the estimate count with it.
#pragma once

#include "settings/machine_settings.h"

#include <cstdint>

namespace orlex {

// What "Pen to 0" leaves room for: the tested plot's minima, and how far below its origin
// its lowest steps lie.
struct PenToZeroNeed {
    std::int16_t minXmm = 0, minYmm = 0; // the extents' minima, whole mm at the zoom of the test
    // The plot's lowest step on each axis from its origin (<= 0), counted in the step mode
    // and at the zoom of the draw; 0 when not counted.
    double lowestStepX = 0, lowestStepY = 0;
};

// Steps on the two axes.
struct StepPair {
    double x = 0;
    double y = 0;
};

// The "Pen to 0" move on one axis, in steps from where homing leaves the pen: |minMm| mm on
// paper, converted as a line's target is (rounded halves to even), so a plot whose extents
// are whole millimetres gets the move it always had. When that falls short of the plot's
// lowest step (a minimum such as -0.5 mm that rounds towards zero), the move goes as far
// as that step instead, so no step of the plot lies behind home. Not range-checked: a
// step length that is not above 0 gives NaN or infinity.
double penToZeroAxisSteps(std::int16_t minMm, double lowestStep, double stepLength, bool halfStep, std::int16_t zoom);

// Both axes, with the step lengths of `settings`.
StepPair penToZeroSteps(const PenToZeroNeed& need, const MachineSettings& settings, bool halfStep, std::int16_t zoom);

// Steps homing backs off from the switches once both have closed.
inline constexpr int kBackOffSteps = 4;

// Where homing leaves the carriage, in mm from the switches: the back-off steps in the
// step mode of the homing.
StepPair homedCarriageMm(const MachineSettings& settings, bool halfStep);

} // namespace orlex
