// The test run shared by the test and draw commands: interpret the plot in test mode,
// measure its extents at the zoom and apply the fit rule, as "Test and Show" does.
#pragma once

#include "cli/cli_options.h"
#include "hpgl/drawfile.h"
#include "hpgl/plot_extents.h"
#include "settings/variabile.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace orlex::cli {

struct TestOutcome {
    RunResult run;
    PlotExtents extents;                  // mm at the zoom
    std::int16_t zoom = 100;
    std::optional<std::int16_t> limitX;   // Maxx, Maxy as the fit rule reads them
    std::optional<std::int16_t> limitY;
    bool fits = false;                    // false too when a point is out of coordinate range
};

// Runs the interpreter in test mode on a preview with no picture and a drive with no
// plotter; nothing moves. `halfStep` is the step mode the drawing-time counts assume.
TestOutcome runTest(const std::string& plotFile, std::int16_t zoom, const Variabile& settings, bool halfStep);

// What both commands start with: the settings (--settings, ./seting.txt or the defaults)
// and the test run. nullopt, after saying why on stderr, when the settings file or the
// plot cannot be read (exit status 2); settings warnings go to stderr as well.
struct PreparedTest {
    Variabile settings;
    TestOutcome outcome;
};
std::optional<PreparedTest> loadAndTest(const CliOptions& options, bool halfStep);

// Human report: the four extents as the labels show them, the limits, "fits"/"too big".
void printTestReport(const TestOutcome& outcome, std::ostream& out);

// Warnings about the run (skipped pairs, coordinate range, end-of-file caption).
void printRunWarnings(const RunResult& run, std::ostream& err);

} // namespace orlex::cli
