// The "Pen to 0" move and the place homing leaves the carriage at.
#include "drive/pen_to_zero.h"

#include "common/plotter_units.h"
#include "drive/line_steps.h"

#include <cmath>

namespace orlex {

double penToZeroAxisSteps(std::int16_t minMm, double lowestStep, double stepLength, bool halfStep, std::int16_t zoom)
{
    // Millimetres to plotter units, with the zoom that the conversion applies
    // taken out again, so the pen moves |minMm| millimetres on paper.
    const double units = (std::fabs(static_cast<double>(minMm)) * kPlotterUnitsPerMm) / (zoom / 100.0);
    const double byExtent = roundedSteps(units, stepLength, halfStep, zoom);
    // NaN stays NaN, for the range check to refuse.
    return byExtent < -lowestStep ? -lowestStep : byExtent;
}

StepPair penToZeroSteps(const PenToZeroNeed& need, const MachineSettings& settings, bool halfStep, std::int16_t zoom)
{
    return {penToZeroAxisSteps(need.minXmm, need.lowestStepX, settings.stepLengthX, halfStep, zoom),
            penToZeroAxisSteps(need.minYmm, need.lowestStepY, settings.stepLengthY, halfStep, zoom)};
}

StepPair homedCarriageMm(const MachineSettings& settings, bool halfStep)
{
    return {kBackOffSteps * stepScale(settings.stepLengthX, halfStep, 100).stepMm,
            kBackOffSteps * stepScale(settings.stepLengthY, halfStep, 100).stepMm};
}

} // namespace orlex
