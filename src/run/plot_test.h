// The check that both front ends run before a draw: one reading into the extents, the
// step count and the statistics (and a preview, when there is one), then the fit rule in
// millimetres and in steps.
#pragma once

#include "drive/pen_to_zero.h"
#include "hpgl/plot_extents.h"
#include "hpgl/plot_reading.h"
#include "hpgl/recorded_plot.h"
#include "plan/draw_time.h"
#include "plan/plot_statistics.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

struct PlotTest {
    enum class Verdict {
        Fits,
        TooBig,            // wider than Maxx or higher than Maxy
        BeyondCoordinates, // a point outside -32768..32767 plotter units
        BeyondSteps,       // a point the drive cannot count in 16-bit steps
        Unreadable,        // the file could not be read: nothing was measured
        Refused,           // the full HP-GL reading refused the file (run.refusal): nothing was measured
    };

    ReadResult run;      // what the reading found: points, beeps, skipped pairs
    PlotBox box;         // the bounding box in plotter units
    DrawCounts steps;    // what the draw would send, counted in the step mode of the test
    PlotExtents extents; // mm at the zoom of the test
    std::int16_t zoom = 100;
    bool halfStep = true;                       // the step mode the steps were counted in
    PlotReading reading = PlotReading::Classic; // the reading the points were counted in
    std::optional<std::int16_t> limitX;         // Maxx, Maxy as the fit rule reads them
    std::optional<std::int16_t> limitY;
    Verdict verdict = Verdict::Fits;
    std::string stepRangeMessage; // BeyondSteps: the axis and its limit in mm
    PlotStatistics statistics;    // points, strokes, lengths and pen lifts
    // The plot as the check read it, kept when a draw or a preview is to follow
    // (CheckSetup::keepPlot): what they replay, so that the file is not read again.
    std::shared_ptr<const RecordedPlot> plot;
    // The reading found no point in the file: it is not a plot file and there is nothing to
    // draw. The verdict and extents stay the classic ones (an empty plot at the origin that
    // fits), so each front end decides what to show; the tool refuses such a file.
    bool notAPlot = false;
    bool labelsOnly = false; // notAPlot, yet the full reading would draw its labels

    // "Pen to 0" comes first when the plot has negative coordinates: its pen-up move from
    // the homed position to the origin counts in the drawing time, the homing cannot.
    bool needsPenToZero() const { return extents.minXmm < 0 || extents.minYmm < 0; }
    // What "Pen to 0" must leave room for in a draw of this check: the minima and the
    // lowest steps counted.
    PenToZeroNeed penToZeroNeed() const { return {extents.minXmm, extents.minYmm, steps.minStepsX, steps.minStepsY}; }
    std::uint64_t originOutputs = 0; // step outputs of that move

    // What a draw sends in all, the move to the origin included when `withOrigin`: step
    // outputs (each one step period) plus pen commands (each two step periods).
    std::uint64_t stepPeriods(bool withOrigin) const;
    // The drawing time at a step period (two clock cycles) of `stepPeriodSeconds`;
    // nullopt when a point cannot be converted to steps.
    std::optional<double> estimatedSeconds(double stepPeriodSeconds, bool withOrigin) const;

    bool fits() const { return verdict == Verdict::Fits; }
    // notAPlot: why there is nothing to draw, naming the file as `shownName` (the chosen
    // file, where the file read may be a prepared copy of it).
    std::string notAPlotMessage(const std::string& shownName) const;
    // Messages for the operator about the run: skipped pairs, the full reading's refusal,
    // coordinates beyond range, steps beyond range. Empty when there is nothing to say.
    std::vector<std::string> warnings() const;
};

// The zoom, step mode and reading a check counts in, as the draw will use them.
struct CheckSetup {
    std::int16_t zoom = 100;
    bool halfStep = true;
    PlotReading reading = PlotReading::Classic;
    bool keepPlot = false;        // record the plot into PlotTest::plot; test and stat stream without it
    Census census = Census::Skip; // the classic reading's census, into run.ignoredByClassic
    // Also count the drawing's figures: the step outputs behind the drawing time, and the
    // lengths, strokes and pen lifts of the statistics. Without them the check measures the
    // fit alone, with a fifth less work: the verdict, box, extents, step extremes and
    // messages are the same, PlotTest::statistics holds only the points and the box in
    // plotter units, and estimatedSeconds() is nullopt. For a report that shows no figure
    // (test's text).
    bool countFigures = true;
};

// Reads `path` once, measures the extents and applies the fit rule; every point also
// goes to `preview` when given. A file in which the reading finds no point is marked
// notAPlot. Nothing moves. The full reading's page is the machine's travel.
PlotTest testPlot(const std::string& path, const MachineSettings& settings, CheckSetup setup,
                  PlotSink* preview = nullptr);

// The same check of a plot already in memory (a converted or reordered one): it is
// replayed, and kept as the check's plot.
PlotTest testPlot(std::shared_ptr<const RecordedPlot> plot, const MachineSettings& settings, CheckSetup setup,
                  PlotSink* preview = nullptr);

// Why a file in which the reading found no point cannot be drawn: "\"NAME\" is not a plot
// file: the reading found no point in it.", or, for a file of labels alone, that labels
// are not drawn.
std::string notAPlotMessage(const std::string& shownName, bool labelsOnly = false);

inline constexpr const char* kCoordinateRangeMessage =
    "The plot exceeds the coordinate range: it has points outside -32768 to 32767 "
    "plotter units and cannot be drawn.";

} // namespace orlex
