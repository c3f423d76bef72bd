// What the window's runs allow: Draw while the last successful test still speaks for what
// would be drawn, and "Resume from point N" after a draw that ended early, while its
// setup holds and its carriage can be found again. Plain data: the window asks it and
// sets its buttons from the answers.
#pragma once

#include "common/result.h"
#include "hpgl/plot_reading.h"
#include "hpgl/recorded_plot.h"
#include "run/draw_session.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"
#include "settings/machine_settings.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orlex {

// The plot a test read; two tests read the same plot when they read the same points.
struct TestedPlot {
    std::shared_ptr<const RecordedPlot> plot;
    bool operator==(const TestedPlot& other) const
    {
        return plot == other.plot || (plot && other.plot && *plot == *other.plot);
    }
};

// What a successful test checked; Draw is allowed only while all of it still holds.
struct DrawableCheck {
    std::string path;
    std::int16_t zoom = 100;
    bool halfStep = true;
    bool shorterTravel = false;                 // the strokes in the planner's order
    unsigned lineWork = 0;                      // Options > "Line work" ticked, a bit each
    PlotReading reading = PlotReading::Classic; // Options > "Full HP-GL"
    bool strokeText = true;                     // Options > "Text in a single-stroke font": an SVG's text drawn
    double stepLengthX = 0, stepLengthY = 0, limitX = 0, limitY = 0; // Lstepx, Lstepy, Maxx, Maxy
    TestedPlot tested;                                               // what Draw draws
    bool operator==(const DrawableCheck&) const = default;
};

// How the Resume button shows.
struct ResumeOffer {
    bool shown = false;
    bool enabled = false;
    std::uint64_t point = 0; // "Resume from point N"
    std::string toolTip;
};

// A check made beside the window, on the preparation's thread, and the window as it is
// when that check ends.
struct BesideCheck {
    bool finished = false; // it ran to its end and has a test
    CheckSetup setup;      // what it checked with
    MachineSettings settings;
};
struct WindowForCheck {
    CheckSetup setup; // what a test made now would check with
    MachineSettings settings;
    bool wholePlot = false;         // View > "Whole plot in the preview": the preview is drawn afresh
    bool canvasSizeMatches = false; // the preview is the size the check drew on
};

// Whether the window takes the check made beside it as its test: when the check finished,
// was made with the zoom, step type, reading and machine settings the window has now, and
// its preview can be shown. Otherwise the window tests the prepared plot again.
bool adoptBesideCheck(const BesideCheck& check, const WindowForCheck& window);

class DrawPolicy {
public:
    const std::optional<DrawableCheck>& check() const { return check_; }
    void tested(const DrawableCheck& check) { check_ = check; }
    void forgetCheck() { check_.reset(); } // Draw waits for a new test
    bool drawAllowed(bool idle) const { return idle && check_.has_value(); }
    // A Save that changes a step length or a travel limit changes what the test measured:
    // the check is forgotten. True when it was.
    bool forgetIfScaleChanged(const DrawableCheck& now);

    // A draw that ended early, for "Resume from point N". Resuming in place needs the
    // carriage where the draw left it; once something moved it, only a plot whose origin
    // is its "Pen to 0" point can be found again, by homing.
    void drawStarts() { stopped_.reset(); }
    void drawEnded(const DrawOutcome& outcome, bool originIsPenToZero);
    void positionLost(const std::string& why); // a jog, a homing, the motors off, a scale change
    // A draw ended early whose origin is its "Pen to 0" point, so homing finds it again.
    bool stoppedFromPenToZero() const { return stopped_ && stopped_->originIsPenToZero; }
    // Whether Resume can go; fails saying why not. Only with a stopped draw.
    Result<void> resumeAllowed() const;
    ResumeOffer resumeOffer(bool idle, bool drawRunning) const;
    // The draw that Resume starts; none when it cannot go.
    std::optional<DrawPlan> resumePlan() const;

private:
    struct StoppedDraw {
        DrawableCheck check;     // what was drawn, as checked
        std::uint64_t point = 0; // the point being drawn when it ended
        bool originIsPenToZero = false;
        std::string positionLost; // why the carriage no longer stands where the draw left it
    };
    std::optional<DrawableCheck> check_;
    std::optional<StoppedDraw> stopped_;
};

} // namespace orlex
