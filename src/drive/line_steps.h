// Plotter units to motor steps, and the accumulated-fraction interpolation of a line.
// Pure arithmetic: lineTo drives the port with it, the test run counts with it.
#pragma once

#include "common/plotter_units.h"
#include "settings/conversions.h"

#include <cmath>
#include <cstdint>
#include <string>

namespace orlex {

enum class MoveRefusal { None, NotANumber, ZeroStepLength, OutOfRange };

// Whole steps for a coordinate, or why it cannot be converted.
struct StepConversion {
    std::int16_t steps = 0;
    MoveRefusal refusal = MoveRefusal::None;
    std::string reason; // plain words for the operator when refused
};

// ((units * 0.025) / (stepLength / D)) * (zoom / 100), D = 200 half-step, 100 full-step,
// rounded halves to even into 16 bits. `stepLength` is Lstepx/Lstepy (hundredths of a
// millimetre per full step). `axis` ('X' or 'Y', or 0) names the axis in the reason.
// Refused: a step length not above 0 (the settings never hold one, but a caller may), a
// coordinate that is NaN or infinite, a step count outside -32768..32767.
StepConversion unitsToSteps(double units, double stepLength, bool halfStep, std::int16_t zoom, char axis = 0);

// How a job's plot points become motor steps, fixed once when the job starts: the step
// lengths (Lstepx, Lstepy), the step mode and the zoom the plot was checked at.
struct PlotScale {
    double stepLengthX = 1;
    double stepLengthY = 1;
    bool halfStep = true;
    std::int16_t zoom = 100;
};

// A plot point as the whole steps of both axes, or why it cannot be reached (the X axis
// is looked at first).
struct StepTarget {
    std::int16_t x = 0;
    std::int16_t y = 0;
    MoveRefusal refusal = MoveRefusal::None;
    std::string reason;
    bool ok() const { return refusal == MoveRefusal::None; }
};

// unitsToSteps on both axes of (x, y).
StepTarget pointSteps(double x, double y, const PlotScale& scale);

// The two quotients of the conversion that depend only on the settings: the length of a
// step in mm (stepLength / 200 in half-step mode, / 100 in full step) and zoom / 100.
struct StepScale {
    double stepMm = 1;
    double zoomFactor = 1;
};
inline StepScale stepScale(double stepLength, bool halfStep, std::int16_t zoom)
{
    return {stepLength / (halfStep ? 200.0 : 100.0), zoom / 100.0};
}

// The step count of unitsToSteps, rounded halves to even but not range-checked: a
// coordinate that is not finite gives NaN or infinity, which stepsInRange refuses. For
// callers that convert many coordinates, such as the test run's estimate, which work out
// the scale once: the operations and their order, so the results, stay the same.
inline double roundedSteps(double units, StepScale scale)
{
    return roundHalfEven(((units * kMillimetresPerPlotterUnit) / scale.stepMm) * scale.zoomFactor);
}
inline double roundedSteps(double units, double stepLength, bool halfStep, std::int16_t zoom)
{
    return roundedSteps(units, stepScale(stepLength, halfStep, zoom));
}

// True when a roundedSteps result fits -32768..32767.
inline bool stepsInRange(double rounded)
{
    return rounded >= -32768.0 && rounded <= 32767.0;
}

// Steps a line of dX by dY steps (both >= 0). For every output calls
// step(moveX, moveY) with the axes that move in that output, in lineTo's order:
// the leading axis steps every pass and the other follows an accumulated fraction
// (rounded halves to even, so 0.5 takes no step), then a catch-up loop finishes what
// rounding held back. A tie leads with X. step() returns false to stop early.
template <class StepFn>
void interpolate(long dX, long dY, StepFn&& step)
{
    if (dX > 0 && dY > 0) {
        const bool xLeads = dX >= dY;
        long& lead = xLeads ? dX : dY;
        long& follow = xLeads ? dY : dX;
        const double r = static_cast<double>(follow) / static_cast<double>(lead);
        double a = 0;
        while (lead > 0) {
            --lead;
            a += r;
            bool followSteps = false;
            if (std::nearbyint(a) != 0 && follow > 0) {
                a -= 1;
                --follow;
                followSteps = true;
            }
            if (!(xLeads ? step(true, followSteps) : step(followSteps, true)))
                return;
        }
        while (follow > 0) {
            --follow;
            if (!(xLeads ? step(false, true) : step(true, false)))
                return;
        }
        return;
    }
    for (; dX > 0; --dX)
        if (!step(true, false))
            return;
    for (; dY > 0; --dY)
        if (!step(false, true))
            return;
}

// Number of outputs (port writes followed by a two-cycle wait) that interpolate makes.
// The leading axis steps at every output, and the accumulated fraction never falls behind
// by more than the one step an output can make up, so the catch-up loop has nothing left
// to do: a line takes max(dX, dY) outputs. The tests compare this with interpolate() itself
// on every line up to 60 by 60 steps and on lines sampled across the 16-bit range; the
// test run counts every point of a file with it, so it is inline and O(1).
inline long countOutputs(long dX, long dY)
{
    return dX > dY ? dX : dY;
}

} // namespace orlex
