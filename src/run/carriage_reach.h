// The fit rule from where the pen stands: how far from home a plot takes the carriage
// when the place its drawing starts from is known, and which travel limit it passes.
#pragma once

#include "run/plot_test.h"
#include "settings/machine_settings.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orlex {

// A place of the carriage in millimetres from home (the switches): x to the right, y up.
struct CarriageMm {
    double x = 0;
    double y = 0;
};

// The steps of the move of "Pen to 0" on one axis: |plotMinMm| mm on paper, as the drive
// converts it at the zoom and in the step mode of the draw.
double penToZeroSteps(std::int16_t plotMinMm, double stepLength, bool halfStep, std::int16_t zoom);

// The "Pen to 0" point of the checked plot: |min| mm on each axis from where homing leaves
// the pen (0,0), in the step mode and at the zoom of the check.
CarriageMm penToZeroPoint(const PlotTest& check, const MachineSettings& settings);

// A travel limit the plot would pass.
struct LimitOverrun {
    char axis = 'X';    // the first axis that passes a limit, X before Y
    double reachMm = 0; // how far from home the plot would take the carriage on that axis
    double limitMm = 0; // Maxx or Maxy; 0 when the plot would run behind home
    double byMm() const { return reachMm > limitMm ? reachMm - limitMm : limitMm - reachMm; }
    // "The plot would reach X 171 mm of 150 mm from where the pen stands", or "... reach
    // X -3 mm, 3 mm behind home, from where the pen stands".
    std::string message() const;
};

// Whether the checked plot, drawn from `originAt` (where the pen stands when its drawing
// begins), passes Maxx or Maxy or runs behind home; every point the check counted is
// taken as the drive will step to it. nullopt when it stays within the travel.
std::optional<LimitOverrun> limitOverrun(const PlotTest& check, const MachineSettings& settings, CarriageMm originAt);

// What the operator can do about a plot that would pass a limit.
inline constexpr const char* kWindowOverrunRemedy = "move the pen or press Pen home";
inline constexpr const char* kCliOverrunRemedy = "move the pen or use --home";

// The fit from where the pen stands, for a front end that knows that place: the refusal
// ("The plot would reach X 171 mm of 150 mm from where the pen stands: move the pen or
// press Pen home"), or nullopt when the plot stays within the travel.
std::optional<std::string> positionFitRefusal(const PlotTest& check, const MachineSettings& settings, CarriageMm penAt,
                                              const std::string& remedy = kWindowOverrunRemedy);

// The operator's line while the carriage position is not known.
inline constexpr const char* kPositionUnknownText =
    "Position unknown: the plot fits only if the pen stands at its origin";

} // namespace orlex
