// The test run shared by the test and draw commands, on a preview with no picture and a
// drive with no plotter, and its report as text.
#pragma once

#include "cli/cli_options.h"
#include "run/plot_test.h"
#include "settings/machine_settings.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace orlex::cli {

// Runs the shared test run; nothing moves. `halfStep` is the step mode the step counts
// (the fit rule in steps and the drawing-time counts) assume.
PlotTest runTest(const std::string& plotFile, std::int16_t zoom, const MachineSettings& settings, bool halfStep);

// What both commands start with: the settings (--settings, ./seting.txt or the defaults)
// and the test run. nullopt, after saying why on stderr, when the settings file or the
// plot cannot be read (exit status 2); settings warnings go to stderr as well.
struct PreparedTest {
    MachineSettings settings;
    PlotTest test;
};
std::optional<PreparedTest> loadAndTest(const CliOptions& options, bool halfStep);

// Human report: the four extents as the labels show them, the limits, "fits"/"too big".
void printTestReport(const PlotTest& test, std::ostream& out);

// Warnings about the run (skipped pairs, coordinate and step range, end-of-file caption).
void printRunWarnings(const PlotTest& test, std::ostream& err);

} // namespace orlex::cli
