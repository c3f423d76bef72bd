// Where a plot takes the carriage from a known start, in the drive's steps, and the
// remedies that work from there.
#include "run/carriage_reach.h"

#include "common/number_text.h"
#include "drive/line_steps.h"
#include "drive/pen_to_zero.h"

#include <cmath>
#include <tuple>
#include <vector>

namespace orlex {

namespace {

// Rounding of step lengths that are not binary fractions (0.255 mm) must not pass a limit.
constexpr double kToleranceMm = 1e-6;

std::string millimetres(double mm)
{
    return numberText(std::round(mm * 100) / 100 + 0.0) + " mm";
}

// A distance the pen must move at least: rounded up to the hundredth shown.
std::string atLeast(double mm)
{
    return numberText(std::ceil(mm * 100 - 1e-6) / 100 + 0.0) + " mm";
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

// Where on one axis the drawing may start: from `low` (the lowest step just at home) to
// `high` (the highest just at the limit). Empty when low > high.
struct StartRange {
    double low = 0, high = 0;
    bool empty() const { return low > high + kToleranceMm; }
};

StartRange startRange(double minSteps, double maxSteps, double stepMm, double limitMm)
{
    return {-minSteps * stepMm, limitMm - maxSteps * stepMm};
}

// "21.25 mm left" ("21.25 mm further left"), or nothing when the place is within the range.
std::string shiftText(double at, const StartRange& range, const char* further, const char* lower, const char* higher)
{
    if (at > range.high + kToleranceMm)
        return atLeast(at - range.high) + " " + further + lower;
    if (at < range.low - kToleranceMm)
        return atLeast(range.low - at) + " " + further + higher;
    return {};
}

// What the operator can do about a plot that passes a limit from `penAt`, which the
// draw would start from: move the pen (when some place fits), home first (when the
// place that gives fits), else change the scale or the travel.
std::string remedyFrom(const PlotTest& check, const MachineSettings& settings, CarriageMm penAt,
                       const FitRemedies& remedies)
{
    const DrawCounts& s = check.steps;
    const double stepMmX = stepScale(settings.stepLengthX, check.halfStep, check.zoom).stepMm;
    const double stepMmY = stepScale(settings.stepLengthY, check.halfStep, check.zoom).stepMm;
    const StartRange x = startRange(s.minStepsX, s.maxStepsX, stepMmX, settings.travelXmm);
    const StartRange y = startRange(s.minStepsY, s.maxStepsY, stepMmY, settings.travelYmm);
    if (x.empty() || y.empty())
        return std::string("the plot does not fit the travel from any place: ") + remedies.scaleDown;

    std::vector<std::string> ways;
    const std::string shiftX = shiftText(penAt.x, x, remedies.further, "left", "right");
    const std::string shiftY = shiftText(penAt.y, y, remedies.further, "down", "up");
    const std::string shift = shiftX + (!shiftX.empty() && !shiftY.empty() ? " and " : "") + shiftY;
    ways.push_back(std::string(remedies.moveThePen) + " at least " + shift);

    const CarriageMm homed = [&] {
        if (remedies.homeFirstDrawsFromPenToZero)
            return penToZeroPoint(check, settings);
        const StepPair mm = homedCarriageMm(settings, check.halfStep);
        return CarriageMm{mm.x, mm.y};
    }();
    if (!limitOverrun(check, settings, homed))
        ways.push_back(remedies.homeFirst);

    std::string text;
    for (std::size_t i = 0; i < ways.size(); ++i)
        text += (i == 0 ? "" : " or ") + ways[i];
    return text;
}

} // namespace

CarriageMm penToZeroPoint(const PlotTest& check, const MachineSettings& settings)
{
    // Positions count from where homing leaves the pen, as the fit rule counts the travel.
    const StepPair steps = penToZeroSteps(check.penToZeroNeed(), settings, check.halfStep, check.zoom);
    return {steps.x * stepScale(settings.stepLengthX, check.halfStep, check.zoom).stepMm,
            steps.y * stepScale(settings.stepLengthY, check.halfStep, check.zoom).stepMm};
}

std::string LimitOverrun::message(const std::string& from) const
{
    const std::string reach = "The plot would reach " + std::string(1, axis) + " " + millimetres(reachMm);
    if (reachMm < limitMm)
        return reach + ", " + millimetres(byMm()) + " behind home, " + from;
    return reach + " of " + millimetres(limitMm) + " " + from;
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

std::optional<std::string> carriageBeyondTravel(CarriageMm carriage, const MachineSettings& settings)
{
    for (const auto& [axis, at, travel] :
         {std::tuple{'X', carriage.x, settings.travelXmm}, std::tuple{'Y', carriage.y, settings.travelYmm}})
        if (at > travel + kToleranceMm) {
            // Homing looks for the switch only as far as the travel and a tenth.
            const bool homingReaches = at < travel * 1.1;
            return std::string("The carriage stands at ") + axis + " " + millimetres(at) + ", beyond the " + axis
                   + " travel of " + millimetres(travel) + ": a drawing from there is refused. "
                   + (homingReaches ? "Move it back, or press Pen home, before you draw."
                                    : "Jog it back towards home before you draw: Pen home looks for the switch "
                                      "only within the travel and a tenth of it.");
        }
    return std::nullopt;
}

StartFit fitFromDrawStart(const PlotTest& check, const MachineSettings& settings, DrawPlan::Origin origin,
                          std::optional<CarriageMm> carriage, const FitRemedies& remedies)
{
    StartFit fit;
    if (origin == DrawPlan::Origin::KeepPosition)
        return fit; // it goes on in the frame of the draw that stopped
    if (origin == DrawPlan::Origin::PenToZero || check.needsPenToZero()) {
        // The origin is the "Pen to 0" point whatever the pen does first.
        if (const std::optional<LimitOverrun> overrun = limitOverrun(check, settings, penToZeroPoint(check, settings)))
            fit.refusal = overrun->message("after \"Pen to 0\"") + ": " + remedies.scaleDown;
        return fit;
    }
    if (!carriage) {
        fit.positionUnknown = true;
        return fit;
    }
    if (const std::optional<LimitOverrun> overrun = limitOverrun(check, settings, *carriage))
        fit.refusal = overrun->message() + ": " + remedyFrom(check, settings, *carriage, remedies);
    return fit;
}

} // namespace orlex
