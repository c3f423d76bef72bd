// The plot a run checks and draws, made from the file the operator chose: a plot file as
// it is (its check reads it), or, in memory, an SVG drawing converted to plotter units
// and, when asked, the strokes in a shorter pen-up order. Both front ends prepare the
// chosen file this way and check the prepared plot with testPrepared.
#pragma once

#include "common/result.h"
#include "hpgl/plot_reading.h"
#include "hpgl/recorded_plot.h"
#include "import/svg_importer.h"
#include "plan/line_work.h"
#include "plan/plot_statistics.h"
#include "plan/stroke_order.h"
#include "run/plot_test.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

struct PlotPreparation {
    SvgImportOptions svg;             // how an SVG drawing is placed in plotter units
    bool shorterTravel = false;       // write the strokes in the planner's order
    ReorderOptions order;             // how the planner may reorder them
    bool hideCovered = false;         // an SVG drawing: opaque fills hide the strokes painted before them
    LineWorkOptions lineWork;         // retraces dropped, strokes joined, points simplified, before the order
    std::optional<DrawTiming> timing; // the line work's figures estimate the drawing time with it
    PlotReading reading = PlotReading::Classic;
    FullHpglOptions fullOptions; // the full reading's page (machinePage) and limits
    WorkSignals* work = nullptr; // progress out, cancel in (then the result is kind Cancelled)
    // The classic reading's census of a plot file here, or (Skip) by the test's reading.
    Census census = Census::Take;
};

// Pen-up travel and lifts of the plot in its own order and in the planner's.
struct TravelChange {
    PlotStatistics before;
    PlotStatistics after;
};

class PreparedPlot {
public:
    // The chosen file.
    const std::string& path() const { return path_; }
    // The converted or reordered plot; null when the chosen plot file is read as it is.
    const std::shared_ptr<const RecordedPlot>& recorded() const { return recorded_; }
    bool converted() const { return converted_; }                             // the chosen file was an SVG
    const std::optional<TravelChange>& travel() const { return travel_; }     // set when reordered
    const std::vector<LineStepChange>& lineWork() const { return lineWork_; } // the steps taken, in order
    // What the SVG import left out, or what the full reading of a reordered plot drew
    // differently (without a reorder the test run's own notes say that).
    const std::vector<std::string>& notes() const { return notes_; }
    // The classic reading only: commands of the chosen plot file that it passes over.
    const ClassicIgnoredCommands& ignoredByClassic() const { return ignoredByClassic_; }

private:
    friend Result<PreparedPlot> preparePlot(const std::string& chosen, const SvgImporter& svg,
                                            const PlotPreparation& preparation);
    std::string path_;
    bool converted_ = false;
    std::optional<TravelChange> travel_;
    std::vector<LineStepChange> lineWork_;
    std::vector<std::string> notes_;
    ClassicIgnoredCommands ignoredByClassic_;
    std::shared_ptr<const RecordedPlot> recorded_;
};

// Prepares `chosen` for a run, an SVG drawing through `svg`. An SVG that cannot be
// converted fails with the import's message (kind TooBig when it leaves the plotter's
// coordinate range); a file that holds binary data fails as not a plot file. A plot file that cannot be read is passed
// on as it is: the test run reports it as for any plot.
Result<PreparedPlot> preparePlot(const std::string& chosen, const SvgImporter& svg, const PlotPreparation& preparation);

// The check of the prepared plot: the chosen file read once, or the plot in memory replayed.
PlotTest testPrepared(const PreparedPlot& plot, const MachineSettings& settings, CheckSetup setup,
                      PlotSink* preview = nullptr);

// The drawing's strokes as HPGL in whole plotter units, SP n whenever the pen changes:
// what "convert" writes and what a run of an SVG drawing reads.
Result<std::string> drawingHpgl(const SvgDrawing& drawing);

// The plot's strokes in the planner's order, with the travel before and after and the
// full reading's notes; the line work of `lineWork` comes first, and with
// `reorderStrokes` false the strokes keep their order otherwise. Fails when the plot
// cannot be read, holds no point, or the full reading refuses it.
struct ReorderedPlot {
    PlotEvents events;
    TravelChange travel;
    std::vector<std::string> notes;
    std::vector<LineStepChange> lineWork;
};
struct LineWorkRequest {
    LineWorkOptions options;
    const DrawTiming* timing = nullptr;
    bool reorderStrokes = true;
};
Result<ReorderedPlot> reorderedPlot(const PreparedPlot& plot, const ReorderOptions& order,
                                    PlotReading reading = PlotReading::Classic, const FullHpglOptions& fullOptions = {},
                                    const LineWorkRequest& lineWork = {});

} // namespace orlex
