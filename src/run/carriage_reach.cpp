// Where a plot takes the carriage from a known start, in the drive's steps.
#include "run/carriage_reach.h"

#include "common/number_text.h"
#include "drive/line_steps.h"

#include <cmath>

namespace orlex {

namespace {

// Rounding of step lengths that are not binary fractions (0.255 mm) must not pass a limit.
constexpr double kToleranceMm = 1e-6;

std::string millimetres(double mm)
{
    return numberText(std::round(mm * 100) / 100 + 0.0) + " mm";
}

// The carriage positions an axis reaches: from the plot's lowest to its highest step.
std::optional<LimitOverrun> axisOverrun(char axis, double originMm, double minSteps, double maxSteps, double stepMm,
                                        double limitMm)
{
    const double highest = originMm + maxSteps * stepMm;
    const double lowest = originMm + minSteps * stepMm;
    if (highest > limitMm + kToleranceMm)
        return LimitOverrun{axis, highest, limitMm};
    if (lowest < -kToleranceMm)
        return LimitOverrun{axis, lowest, 0};
    return std::nullopt;
}

} // namespace

double penToZeroSteps(std::int16_t plotMinMm, double stepLength, bool halfStep, std::int16_t zoom)
{
    const double units = (std::fabs(static_cast<double>(plotMinMm)) * 40) / (zoom / 100.0);
    return roundedSteps(units, stepLength, halfStep, zoom);
}

CarriageMm penToZeroPoint(const PlotTest& check, const MachineSettings& settings)
{
    // Positions count from where homing leaves the pen, as the fit rule counts the travel.
    const auto axis = [&](std::int16_t minMm, double stepLength) {
        const double steps = penToZeroSteps(minMm, stepLength, check.halfStep, check.zoom);
        return steps * stepScale(stepLength, check.halfStep, check.zoom).stepMm;
    };
    return {axis(check.extents.minXmm, settings.stepLengthX), axis(check.extents.minYmm, settings.stepLengthY)};
}

std::string LimitOverrun::message() const
{
    const std::string reach = "The plot would reach " + std::string(1, axis) + " " + millimetres(reachMm);
    if (reachMm < limitMm)
        return reach + ", " + millimetres(byMm()) + " behind home, from where the pen stands";
    return reach + " of " + millimetres(limitMm) + " from where the pen stands";
}

std::optional<LimitOverrun> limitOverrun(const PlotTest& check, const MachineSettings& settings, CarriageMm originAt)
{
    const DrawCounts& s = check.steps;
    const double stepMmX = stepScale(settings.stepLengthX, check.halfStep, check.zoom).stepMm;
    const double stepMmY = stepScale(settings.stepLengthY, check.halfStep, check.zoom).stepMm;
    if (auto x = axisOverrun('X', originAt.x, s.minStepsX, s.maxStepsX, stepMmX, settings.travelXmm))
        return x;
    return axisOverrun('Y', originAt.y, s.minStepsY, s.maxStepsY, stepMmY, settings.travelYmm);
}

std::optional<std::string> positionFitRefusal(const PlotTest& check, const MachineSettings& settings, CarriageMm penAt,
                                              const std::string& remedy)
{
    if (const std::optional<LimitOverrun> overrun = limitOverrun(check, settings, penAt))
        return overrun->message() + ": " + remedy;
    return std::nullopt;
}

} // namespace orlex
