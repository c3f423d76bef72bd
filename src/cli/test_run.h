// The check shared by the commands, on a preview with no picture and a drive with no
// plotter, and its report as text.
#pragma once

#include "cli/cli_options.h"
#include "run/plot_test.h"
#include "run/prepared_plot.h"
#include "settings/machine_settings.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace orlex::cli {

// Runs the shared check with `reading`; nothing moves. `halfStep` is the step mode the
// step counts (the fit rule in steps and the drawing-time counts) assume.
PlotTest runCheck(const std::string& plotFile, std::int16_t zoom, const MachineSettings& settings, bool halfStep,
                  PlotReading reading = PlotReading::Classic, Census census = Census::Skip);

// What the commands that read a plot start with: the settings (--settings, ./seting.txt
// or the defaults), the chosen file prepared for the run (an SVG converted), and the
// check, all with the reading of --hpgl. When one of them fails, `failure` holds the exit
// status (2, or 3 for an SVG too big for the plotter's coordinates or a size limit of the
// full reading; 2 for a file in which the reading finds no point) and the reason has been
// said on stderr; settings warnings and what the SVG import or the full reading drew
// differently go to stderr as well.
struct PreparedCheck {
    int failure = 0;
    MachineSettings settings;
    PreparedPlot plot;
    PlotTest check;
};
// With --hide-covered an SVG drawing is converted with what its fills cover left out.
PreparedCheck loadAndCheck(const CliOptions& options, bool halfStep);

// How the line work's figures estimate the drawing time: the settings' step lengths, half
// steps, zoom 100 %, the clock of --clock.
DrawTiming drawTiming(const MachineSettings& settings, double clockHz);

// The check's estimate at the clock of --clock: the draw with the move of "Pen to 0",
// without the homing before it.
std::optional<double> estimateAtClock(const PlotTest& check, double clockHz);

// "12.3 mm": a length to a tenth of a millimetre.
std::string millimetreText(double mm);

// "12.35 s" under a minute, "3 min 05 s" and "1 h 02 min" above.
std::string secondsText(double seconds);

// Human report: the four extents as the labels show them, the limits, "fits"/"too big".
void printCheckReport(const PlotTest& check, std::ostream& out);

// Warnings about the run (skipped pairs, coordinate and step range, end-of-file caption).
void printRunWarnings(const PlotTest& check, std::ostream& err);

} // namespace orlex::cli
