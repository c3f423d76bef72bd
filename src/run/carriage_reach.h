// The fit rule from where the drawing starts: how far from home a plot takes the carriage
// when the place its drawing starts from is known, which travel limit it passes, and what
// the operator can do about it in the state the machine is in.
#pragma once

#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "settings/machine_settings.h"

#include <optional>
#include <string>

namespace orlex {

// A place of the carriage in millimetres from home (the switches): x to the right, y up.
struct CarriageMm {
    double x = 0;
    double y = 0;
};

// The "Pen to 0" point of the checked plot: the move of penToZeroSteps from where homing
// leaves the pen (0,0), in the step mode and at the zoom of the check.
CarriageMm penToZeroPoint(const PlotTest& check, const MachineSettings& settings);

// A travel limit the plot would pass.
struct LimitOverrun {
    char axis = 'X';    // the first axis that passes a limit, X before Y
    double reachMm = 0; // how far from home the plot would take the carriage on that axis
    double limitMm = 0; // Maxx or Maxy; 0 when the plot would run behind home
    double byMm() const { return reachMm > limitMm ? reachMm - limitMm : limitMm - reachMm; }
    // "The plot would reach X 171 mm of 150 mm from where the pen stands", or "... reach
    // X -3 mm, 3 mm behind home, from where the pen stands"; `from` names the start.
    std::string message(const std::string& from = "from where the pen stands") const;
};

// Whether the checked plot, drawn from `originAt` (where the pen stands when its drawing
// begins), passes Maxx or Maxy or runs behind home; every point the check counted is
// taken as the drive will step to it. nullopt when it stays within the travel.
std::optional<LimitOverrun> limitOverrun(const PlotTest& check, const MachineSettings& settings, CarriageMm originAt);

// What the operator can change, in the words of one front end.
struct FitRemedies {
    const char* moveThePen;           // "move the pen": followed by " at least 21.25 mm left"
    const char* further;              // before each direction: "" or "further "
    const char* homeFirst;            // "press Pen home", "use --home"
    bool homeFirstDrawsFromPenToZero; // --home starts the drawing at the "Pen to 0" point; Pen home where homing leaves
                                      // the pen
    const char* scaleDown;            // what to change when no start fits: the zoom, the travel limits
};
inline constexpr FitRemedies kWindowRemedies{"move the pen", "", "press Pen home", false,
                                             "use a smaller zoom or larger travel limits (Options > Settings)"};
inline constexpr FitRemedies kCliRemedies{"give a --start", "further ", "use --home", true,
                                          "use a smaller --zoom or larger travel limits in the settings file"};

// The fit of a draw from where its drawing starts, before anything moves.
struct StartFit {
    std::optional<std::string> refusal; // why the draw cannot go, with a remedy that works in this state
    bool positionUnknown = false;       // the drawing starts where the pen stands, which nobody knows
};

// A draw of `check` with `origin`: after "Pen to 0" (the plot has negative coordinates, or
// the plan homes first) the plot must fit from the "Pen to 0" point, and only the zoom or
// the travel limits can change that; from where the pen stands (`carriage`, when known) it
// must fit from there, and moving the pen or homing first may help. A draw that goes on
// where a stopped one left the carriage is not fitted again.
StartFit fitFromDrawStart(const PlotTest& check, const MachineSettings& settings, DrawPlan::Origin origin,
                          std::optional<CarriageMm> carriage, const FitRemedies& remedies);

// A carriage known to stand beyond a travel limit (after a Save made the machine smaller):
// "The carriage stands at X 140 mm, beyond the X travel of 100 mm: ..."; nullopt when it
// stands within both.
std::optional<std::string> carriageBeyondTravel(CarriageMm carriage, const MachineSettings& settings);

// The operator's line while the carriage position is not known.
inline constexpr const char* kPositionUnknownText =
    "Position unknown: the plot fits only if the pen stands at its origin";

} // namespace orlex
