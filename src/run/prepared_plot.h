// The HPGL file a run reads, made from the file the operator chose: a plot file as it is,
// an SVG drawing converted to plotter units, and, when asked, the strokes in a shorter
// pen-up order. Both front ends prepare the chosen file this way before a test run and
// hand the prepared path to the test and draw runs.
#pragma once

#include "common/result.h"
#include "hpgl/plot_reading.h"
#include "import/svg_importer.h"
#include "plan/line_work.h"
#include "plan/plot_statistics.h"
#include "plan/stroke_order.h"

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
    // Read a plot file once into a file of the run's own, so that a draw draws what its
    // test read even when the file changes on disk meanwhile (a draw; not test or stat).
    bool keepCopy = false;
    // The classic reading's census of a plot file here, or (Skip) by the test's reading.
    Census census = Census::Take;
};

// Pen-up travel and lifts of the plot in its own order and in the planner's.
struct TravelChange {
    PlotStatistics before;
    PlotStatistics after;
};

// A file with no name: written, then unlinked at once and kept open, so that it is gone
// however the process ends. It is read again through /proc/self/fd/N.
class UnnamedFile {
public:
    UnnamedFile() = default;
    UnnamedFile(UnnamedFile&& other) noexcept;
    UnnamedFile& operator=(UnnamedFile&& other) noexcept;
    UnnamedFile(const UnnamedFile&) = delete;
    UnnamedFile& operator=(const UnnamedFile&) = delete;
    ~UnnamedFile();

    // A new file in the temporary folder holding `bytes`.
    static Result<UnnamedFile> write(const std::string& bytes);
    // A new file in the temporary folder holding what `path` holds now. Fails with the
    // reason when `path` cannot be read as a plot file.
    static Result<UnnamedFile> copyOf(const std::string& path);
    // The path that opens it again while this object lives.
    std::string path() const;

private:
    int fd_ = -1;
};

class PreparedPlot {
public:
    // The file to hand to the test and draw runs: the chosen file itself, or the
    // prepared one while this object lives.
    const std::string& path() const { return path_; }
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
    UnnamedFile file_;
};

// Prepares `chosen` for a run, an SVG drawing through `svg`. An SVG that cannot be
// converted fails with the import's message (kind TooBig when it leaves the plotter's
// coordinate range); a file that holds binary data fails as not a plot file. A plot file that cannot be read is passed
// on as it is: the test run reports it as for any plot.
Result<PreparedPlot> preparePlot(const std::string& chosen, const SvgImporter& svg, const PlotPreparation& preparation);

// The drawing's strokes as HPGL in whole plotter units, SP n whenever the pen changes:
// what "convert" writes and what a run of an SVG drawing reads.
Result<std::string> drawingHpgl(const SvgDrawing& drawing);

// The plot's strokes in the planner's order as plain absolute HPGL, with the travel
// before and after and the full reading's notes; the line work of `lineWork` comes
// first, and with `reorderStrokes` false the strokes keep their order otherwise. Fails
// when the file cannot be read, holds no point, or the full reading refuses it.
struct ReorderedHpgl {
    std::string hpgl;
    TravelChange travel;
    std::vector<std::string> notes;
    std::vector<LineStepChange> lineWork;
};
struct LineWorkRequest {
    LineWorkOptions options;
    const DrawTiming* timing = nullptr;
    bool reorderStrokes = true;
};
Result<ReorderedHpgl> reorderedHpgl(const std::string& plotFile, const ReorderOptions& order,
                                    PlotReading reading = PlotReading::Classic, const FullHpglOptions& fullOptions = {},
                                    const LineWorkRequest& lineWork = {});

} // namespace orlex
