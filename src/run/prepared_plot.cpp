// Preparing the chosen file for a run: SVG conversion and the shorter pen-up order, both
// handed over in memory.
#include "run/prepared_plot.h"

#include "hpgl/binary_data.h"
#include "hpgl/classic_reader.h"
#include "hpgl/full/full_reader.h"
#include "plan/hpgl_writer.h"
#include "plan/plot_reader.h"
#include "plan/strokes.h"
#include "run/covered_drawing.h"

#include <utility>

namespace orlex {

namespace {

// Hands the drawing's strokes to `sink` as drawingHpgl writes them: SP n whenever the
// pen changes, a pen-up point at the start of each stroke.
template <typename Sink>
void strokesInto(const SvgDrawing& drawing, Sink& sink)
{
    int pen = 0;
    for (const PlotStroke& stroke : drawing.strokes) {
        if (stroke.points.empty())
            continue;
        if (stroke.pen != pen) {
            pen = stroke.pen;
            sink.selectPenNumber(pen);
        }
        for (std::size_t i = 0; i < stroke.points.size(); ++i)
            if (!sink.point(stroke.points[i].first, stroke.points[i].second, i == 0 ? Pen::Up : Pen::Down))
                return;
    }
}

// The drawing as its HPGL reads back with `reading`, in memory.
Result<std::shared_ptr<const RecordedPlot>> recordDrawing(const SvgDrawing& drawing, PlotReading reading)
{
    auto recorded = std::make_shared<RecordedPlot>();
    WrittenPlotSink written(*recorded, HpglNumbers::WholeUnits, reading);
    strokesInto(drawing, written);
    if (const Result<void> finished = written.finish(); !finished)
        return finished.error();
    recorded->shrink();
    return std::shared_ptr<const RecordedPlot>(std::move(recorded));
}

// The events as their HPGL reads back with `reading`, in memory.
Result<std::shared_ptr<const RecordedPlot>> recordEvents(const PlotEvents& events, PlotReading reading)
{
    auto recorded = std::make_shared<RecordedPlot>();
    WrittenPlotSink written(*recorded, HpglNumbers::Exact, reading);
    for (const PlotEvent& event : events) {
        if (const SelectPen* sp = std::get_if<SelectPen>(&event))
            written.selectPen(sp->pen);
        else if (const PlotPoint& p = std::get<PlotPoint>(event);
                 !written.point(p.x, p.y, p.penDown ? Pen::Down : Pen::Up))
            break;
    }
    if (const Result<void> finished = written.finish(); !finished)
        return finished.error();
    recorded->shrink();
    return std::shared_ptr<const RecordedPlot>(std::move(recorded));
}

// Collects a recorded plot's events, as a reading of its file would.
class EventsOf : public PlotSink {
public:
    explicit EventsOf(PlotEvents& events) : events_(events) {}
    bool point(double x, double y, Pen pen) override
    {
        events_.emplace_back(PlotPoint{x, y, pen == Pen::Down});
        return true;
    }
    void selectPen(char pen) override { events_.emplace_back(SelectPen{pen}); }

private:
    PlotEvents& events_;
};

Result<ReadPlot> plotEvents(const PreparedPlot& plot, PlotReading reading, const FullHpglOptions& fullOptions,
                            const WorkSignals* work)
{
    if (!plot.recorded())
        return readPlotEvents(plot.path(), reading, fullOptions, work);
    ReadPlot read;
    EventsOf events(read.events);
    plot.recorded()->replay(events);
    return read;
}

} // namespace

Result<std::string> drawingHpgl(const SvgDrawing& drawing)
{
    HpglWriter writer(HpglNumbers::WholeUnits);
    strokesInto(drawing, writer);
    return writer.finish();
}

Result<ReorderedPlot> reorderedPlot(const PreparedPlot& prepared, const ReorderOptions& order, PlotReading reading,
                                    const FullHpglOptions& fullOptions, const LineWorkRequest& lineWork)
{
    Result<ReadPlot> read = plotEvents(prepared, reading, fullOptions, order.work);
    if (!read)
        return read.error();
    const TravelChange unchanged{computeStatistics(read->events), {}};
    const std::string& file = prepared.path();
    if (unchanged.before.points == 0)
        return failure(notAPlotMessage(file, !prepared.recorded() && reading == PlotReading::Classic
                                                 && drawsOnlyLabels(file, fullOptions)));
    if (order.work)
        order.work->enter(WorkSignals::Stage::Ordering);
    std::vector<StrokeGroup> groups = splitStrokes(read->events);
    std::vector<LineStepChange> steps = applyLineWork(groups, lineWork.options, lineWork.timing);
    OrderedPlot plot;
    if (lineWork.reorderStrokes)
        plot = reorder(groups, order);
    else
        plot.groups = std::move(groups);
    if (plot.cancelled)
        return failure("cancelled", Error::Kind::Cancelled);
    if (order.work)
        order.work->enter(WorkSignals::Stage::Writing);
    PlotEvents events = strokeEvents(plot.groups);
    const TravelChange travel{unchanged.before, computeStatistics(events)};
    return ReorderedPlot{std::move(events), travel, std::move(read->notes), std::move(steps)};
}

Result<PreparedPlot> preparePlot(const std::string& chosen, const SvgImporter& svg, const PlotPreparation& preparation)
{
    PreparedPlot prepared;
    prepared.path_ = chosen;
    if (!chosen.empty() && svg.isSvgFile(chosen)) {
        if (preparation.work)
            preparation.work->enter(WorkSignals::Stage::Converting);
        SvgImportOptions options = preparation.svg;
        options.keepFillOutlines = preparation.hideCovered;
        Result<SvgDrawing> drawing = svg.importSvg(chosen, options);
        if (!drawing)
            return drawing.error();
        if (preparation.hideCovered) {
            const Result<LineStepChange> hidden =
                hideCoveredStrokes(*drawing, preparation.timing ? &*preparation.timing : nullptr);
            if (!hidden)
                return failure(chosen + ": " + hidden.message());
            prepared.lineWork_.push_back(*hidden);
        }
        Result<std::shared_ptr<const RecordedPlot>> recorded = recordDrawing(*drawing, preparation.reading);
        if (!recorded)
            return recorded.error();
        prepared.recorded_ = std::move(*recorded);
        prepared.converted_ = true;
        prepared.notes_ = std::move(drawing->notes);
        if (cancelled(preparation.work))
            return failure("cancelled", Error::Kind::Cancelled);
    } else if (!chosen.empty()) {
        // Noise is no plot in either reading, and its census would name commands it has not.
        if (const std::optional<BinaryData> binary = findBinaryData(chosen))
            return failure(binaryDataMessage(chosen, *binary));
        if (preparation.reading == PlotReading::Classic && preparation.census == Census::Take)
            prepared.ignoredByClassic_ = findCommandsClassicIgnores(chosen);
        if (preparation.hideCovered)
            prepared.notes_.push_back("lines under fills are hidden in SVG drawings only; a plot file has no fills");
    }
    if ((!preparation.shorterTravel && !preparation.lineWork.any())
        || (!prepared.recorded_ && !checkPlotReadable(chosen)))
        return prepared;

    if (preparation.work)
        preparation.work->enter(WorkSignals::Stage::Reading);
    ReorderOptions order = preparation.order;
    order.work = preparation.work;
    const LineWorkRequest lineWork{preparation.lineWork, preparation.timing ? &*preparation.timing : nullptr,
                                   preparation.shorterTravel};
    Result<ReorderedPlot> reordered =
        reorderedPlot(prepared, order, preparation.reading, preparation.fullOptions, lineWork);
    if (!reordered && reordered.error().kind == Error::Kind::Cancelled)
        return reordered.error();
    if (!reordered)
        return prepared; // the test run reports what is wrong with the file
    Result<std::shared_ptr<const RecordedPlot>> recorded = recordEvents(reordered->events, preparation.reading);
    if (!recorded)
        return prepared; // a point without plain decimals: the plot keeps its own order
    prepared.recorded_ = std::move(*recorded);
    if (preparation.shorterTravel)
        prepared.travel_ = reordered->travel;
    for (LineStepChange& step : reordered->lineWork)
        prepared.lineWork_.push_back(step);
    for (std::string& note : reordered->notes)
        prepared.notes_.push_back(std::move(note));
    return prepared;
}

PlotTest testPrepared(const PreparedPlot& plot, const MachineSettings& settings, CheckSetup setup, PlotSink* preview)
{
    if (plot.recorded())
        return testPlot(plot.recorded(), settings, setup, preview);
    return testPlot(plot.path(), settings, setup, preview);
}

} // namespace orlex
