// The draw session of both front ends, on the motion thread: the claim of a port just
// opened (pen up at once, a stop check, the presence check), "Pen to 0" or the plan's
// origin, the drawing with its monitor, a failed port call, the safe end, and one outcome
// with the operator's message and the command line's exit status. The front ends only
// present it.
#pragma once

#include "drive/drive.h"
#include "run/draw_monitor.h"
#include "run/plot_draw.h"

#include <cstdint>
#include <functional>
#include <string>

namespace orlex {

struct DrawOutcome {
    enum class Kind {
        Finished,      // the plot was drawn to its end
        Stopped,       // a stop request ended the session (before the claim passed, or after a step)
        NoPlotter,     // the presence check saw no clock: nothing was moved
        OriginFailed,  // "Pen to 0" did not reach the origin: nothing was drawn
        PointRefused,  // a point cannot be reached in 16-bit steps
        ReadFailed,    // the plot could not be read, or the full reading refused it
        PortFailed,    // a port call failed: the session ended there
        SafeEndFailed, // lifting the pen and switching the motors off at the end failed
    };
    Kind kind = Kind::Finished;
    Kind drew = Kind::Finished; // what the draw came to: `kind`, unless only the safe end failed
    DrawReport report;          // the draw's own account; a default one when the draw did not begin
    bool drawBegan = false;     // the claim passed and the draw ("Pen to 0" or the drawing) began
    std::uint64_t pointsDone = 0;
    // The point a draw that ended early goes on with (--from-point, Resume); 0 when it
    // finished or nothing began.
    std::uint64_t stoppedAtPoint = 0;
    std::string message;        // the draw's, for the operator; empty when it finished or was stopped
    std::string safeEndMessage; // SafeEndFailed: what failed at the end and what to do

    // The command line's exit status; a stop counts as the signal `stopSignal` (SIGINT: 2).
    int exitStatus(int stopSignal = 2) const;
};

// The exit status of each kind of outcome.
int exitStatusFor(DrawOutcome::Kind kind, int stopSignal);

inline constexpr const char* kNoPlotterText =
    "no plotter answers: the clock on status bit 7 did not change. Check that the plotter is connected, "
    "switched on and not on STOP. Nothing was moved.";

struct DrawSessionSetup {
    // The port was just opened: the pen comes up at once (its line may read "down" until
    // then), a stop asked for meanwhile ends the session, and the presence check must pass.
    bool claim = false;
    // The front end ends with the session: the motors go off at its end, not only after a
    // failed port call, and that safe end failing is an outcome of its own.
    bool coilsOffAtEnd = false;
    std::function<void()> claimed;      // the claim passed: "Pen to 0" and the drawing follow
    std::function<void()> drawReturned; // the draw is over, before the safe end
};

// Runs the session on the calling thread (the one that owns the port). `monitor` and
// `preview` may be null. No port failure leaves it: it is an outcome.
DrawOutcome runDrawSession(Drive& drive, const DrawJob& job, DrawMonitor* monitor, DrawPreview* preview,
                           const DrawSessionSetup& setup = {});

// The hold at an SP for another pen, for DrawMonitorHooks::penChange: the pen comes up
// and the carriage holds its place (coils on) until the pause is lifted or a stop is
// asked for; the hold is not drawing time. `due` is told the pen once the hold is asked
// for, and 0 once it ends.
void holdForPenChange(Drive& drive, DrawMonitor& monitor, char pen, const std::function<void(char)>& due);

} // namespace orlex
