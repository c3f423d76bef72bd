// The check shared by "Test and Show" and the command-line tool, with the fit rule.
#include "run/plot_test.h"

#include "common/number_text.h"
#include "drive/clock_cycles.h"
#include "drive/line_steps.h"
#include "hpgl/full/full_reader.h"
#include "hpgl/read_ahead.h"
#include "hpgl/span_reading.h"
#include "settings/conversions.h"

#include <cmath>
#include <limits>

namespace orlex {

namespace {

constexpr double kMostSteps = std::numeric_limits<std::int16_t>::max();
constexpr double kFewestSteps = std::numeric_limits<std::int16_t>::min();

// Why the plot cannot be counted in 16-bit steps on one axis; empty when it can.
std::string axisStepProblem(char axis, double stepLength, double fewest, double most, bool halfStep)
{
    const double worst = std::fabs(fewest) > std::fabs(most) ? fewest : most;
    if (worst >= kFewestSteps && worst <= kMostSteps)
        return {};
    const double stepMm = stepScale(stepLength, halfStep, 100).stepMm;
    const std::string name(1, axis);
    const std::string setting = std::string("Lstep") + static_cast<char>(axis - 'A' + 'a');
    return "The plot is too big for these step lengths: in " + name + " it needs " + numberText(std::fabs(worst))
           + " steps from its origin, but the drive counts at most " + numberText(kMostSteps) + " steps, which is "
           + numberText(std::floor(kMostSteps * stepMm * 10) / 10) + " mm with " + setting + " "
           + numberText(stepLength) + " in " + (halfStep ? "half" : "full") + " steps. Draw stays off.";
}

// The fit rule in steps: every point and the "Pen to 0" point must be reachable in the
// step mode of the test. Empty when they are.
std::string stepRangeProblem(const PlotTest& test, const MachineSettings& settings)
{
    for (const StepConversion& length : {unitsToSteps(0, settings.stepLengthX, test.halfStep, test.zoom, 'X'),
                                         unitsToSteps(0, settings.stepLengthY, test.halfStep, test.zoom, 'Y')})
        if (length.refusal != MoveRefusal::None)
            return length.reason + " The plot cannot be drawn.";

    const StepPair origin = penToZeroSteps(test.penToZeroNeed(), settings, test.halfStep, test.zoom);
    const double originX = origin.x, originY = origin.y;
    const DrawCounts& r = test.steps;
    std::string problem =
        axisStepProblem('X', settings.stepLengthX, r.minStepsX, std::max(r.maxStepsX, originX), test.halfStep);
    if (problem.empty())
        problem =
            axisStepProblem('Y', settings.stepLengthY, r.minStepsY, std::max(r.maxStepsY, originY), test.halfStep);
    return problem;
}

} // namespace

std::uint64_t PlotTest::stepPeriods(bool withOrigin) const
{
    const bool origin = withOrigin && needsPenToZero();
    // The move to the origin is one pen-up command and its step outputs.
    return steps.stepPeriods() + (origin ? orlex::stepPeriods(originOutputs, 1) : 0);
}

std::optional<double> PlotTest::estimatedSeconds(double stepPeriodSeconds, bool withOrigin) const
{
    if (!steps.valid || !std::isfinite(stepPeriodSeconds) || stepPeriodSeconds <= 0)
        return std::nullopt;
    return static_cast<double>(stepPeriods(withOrigin)) * stepPeriodSeconds;
}

std::string notAPlotMessage(const std::string& shownName, bool labelsOnly)
{
    if (labelsOnly)
        return "\"" + shownName + "\" has no lines to draw (labels are not drawn; see Full HP-GL).";
    return "\"" + shownName + "\" is not a plot file: the reading found no point in it.";
}

std::string PlotTest::notAPlotMessage(const std::string& shownName) const
{
    return orlex::notAPlotMessage(shownName, labelsOnly);
}

std::vector<std::string> PlotTest::warnings() const
{
    std::vector<std::string> messages;
    if (std::string skipped = run.skippedMessage(); !skipped.empty())
        messages.push_back(std::move(skipped));
    if (verdict == Verdict::Refused)
        messages.push_back(run.refusal->message + " Draw stays off.");
    if (verdict == Verdict::BeyondCoordinates)
        messages.push_back(kCoordinateRangeMessage);
    if (verdict == Verdict::BeyondSteps)
        messages.push_back(stepRangeMessage);
    return messages;
}

namespace {

// Widens `box` to take in x, y; NaN passes, as in the statistics' box.
[[gnu::always_inline]] inline void widen(Extents& box, double x, double y)
{
    box.minX = std::min(box.minX, x);
    box.minY = std::min(box.minY, y);
    box.maxX = std::max(box.maxX, x);
    box.maxY = std::max(box.maxY, y);
}

// The check's counts: the step count and the statistics, and whether a coordinate was
// NaN. The box in whole units follows from the statistics' extremes (boxOfExtremes).
// Without the figures (CheckSetup::countFigures), only the extremes and NaN are counted;
// the step extremes then follow from them (stepExtremes).
struct CheckCounts {
    [[gnu::always_inline]] void add(double x, double y, Pen pen)
    {
        nanX |= std::isnan(x); // without a branch on every point
        nanY |= std::isnan(y);
        if (!figures) {
            widen(box, x, y);
            return;
        }
        steps.add(x, y);
        statistics.addPoint(x, y, pen == Pen::Down);
    }
    void addPenSelection()
    {
        if (figures)
            statistics.addPenSelection();
    }
    // Adds the counts of the points that came next, counted apart (see StepCountSink::join).
    void join(const CheckCounts& later)
    {
        nanX = nanX || later.nanX;
        nanY = nanY || later.nanY;
        if (!figures) {
            widen(box, later.box.minX, later.box.minY);
            widen(box, later.box.maxX, later.box.maxY);
            return;
        }
        steps.join(later.steps);
        statistics.join(later.statistics);
    }

    bool figures = true;
    bool nanX = false, nanY = false;
    StepCountSink steps;
    StatisticsCounter statistics;
    Extents box; // without the figures: the points' extremes, the origin included
};

// The check's counts and its recording in one sink, each called directly instead of
// through the sink interface (those calls cost as much as the counting itself). A
// preview is fed before them (see withPreview). A span of a large file is counted apart
// on the reading's second thread, in a Part, and joined (see readClassicPlotInSpans).
class CheckSinks final : public PlotSink {
public:
    CheckSinks(RecordedPlot* recorded, const MachineSettings& settings, const CheckSetup& setup)
        : counts{setup.countFigures,
                 false,
                 false,
                 StepCountSink({settings.stepLengthX, settings.stepLengthY}, setup.halfStep, setup.zoom),
                 {},
                 {}},
          fresh_(counts), recorded_(recorded)
    {}
    [[gnu::always_inline]] bool point(double x, double y, Pen pen) override
    {
        counts.add(x, y, pen);
        if (recorded_ != nullptr)
            recorded_->record(x, y, pen);
        return true;
    }
    void selectPen(char pen) override
    {
        counts.addPenSelection();
        if (recorded_ != nullptr)
            recorded_->selectPen(pen);
    }

    // The counts and recording of one span, from a start it does not know.
    class Part final : public PlotSink {
    public:
        Part(const CheckCounts& fresh, bool recording) : fresh_(fresh), counts_(fresh), recording_(recording) {}
        [[gnu::always_inline]] bool point(double x, double y, Pen pen) override
        {
            counts_.add(x, y, pen);
            if (recording_)
                recorded_.record(x, y, pen);
            return true;
        }
        void selectPen(char pen) override
        {
            counts_.addPenSelection();
            if (recording_)
                recorded_.selectPen(pen);
        }
        void restart()
        {
            counts_ = fresh_;
            recorded_.clear();
        }

    private:
        friend CheckSinks;
        CheckCounts fresh_, counts_;
        bool recording_;
        RecordedPlot recorded_;
    };
    Part part() const { return Part(fresh_, recorded_ != nullptr); }
    // Counts are small: any number may wait; recordings only two at once.
    std::size_t partsAhead() const { return recorded_ != nullptr ? 2 : SIZE_MAX; }
    void join(const Part& part)
    {
        counts.join(part.counts_);
        if (recorded_ != nullptr)
            (void)part.recorded_.replayInto(*recorded_);
    }

    CheckCounts counts;

private:
    CheckCounts fresh_; // as counts began
    RecordedPlot* recorded_;
};

// Calls read(sink) with the counts alone, or with the preview first (only it may stop the
// reading) and then the counts.
template <typename Read>
ReadResult withPreview(PlotSink* preview, CheckSinks& counts, Read read)
{
    if (preview == nullptr)
        return read(counts);
    read_ahead::SinkThenBeside<CheckSinks, PlotSink> both(counts, *preview);
    return read(both);
}

// The counts of the points before the one a preview stopped at, and the stop.
class CountsUpTo final : public PlotSink {
public:
    CountsUpTo(CheckSinks& counts, std::uint64_t stopAt) : counts_(counts), left_(stopAt) {}
    bool point(double x, double y, Pen pen) override { return --left_ != 0 && counts_.point(x, y, pen); }
    void selectPen(char pen) override { counts_.selectPen(pen); }

private:
    CheckSinks& counts_;
    std::uint64_t left_;
};

// The check of what `read` hands to the counts (and the preview); `labelsOnly` tells, for
// a reading that found no point, whether the full reading would draw labels.
template <typename Read, typename LabelsOnly>
PlotTest checkReading(const MachineSettings& settings, CheckSetup setup, RecordedPlot* recorded, Read read,
                      LabelsOnly labelsOnly)
{
    PlotTest test;
    test.zoom = setup.zoom;
    test.halfStep = setup.halfStep;
    test.reading = setup.reading;
    test.limitX = roundToInt16(settings.travelXmm);
    test.limitY = roundToInt16(settings.travelYmm);

    CheckSinks sinks(recorded, settings, setup);
    test.run = read(sinks);
    if (test.run.openError) {
        test.verdict = PlotTest::Verdict::Unreadable;
        return test;
    }
    if (test.run.refusal) {
        test.verdict = PlotTest::Verdict::Refused;
        return test;
    }
    test.notAPlot = test.run.points == 0;
    if (test.notAPlot && setup.reading == PlotReading::Classic)
        test.labelsOnly = labelsOnly();
    if (setup.countFigures) {
        test.steps = sinks.counts.steps.counts();
        test.statistics = sinks.counts.statistics.result();
    } else {
        test.statistics.points = test.run.points;
        test.statistics.units = sinks.counts.box;
        test.steps =
            stepExtremes(sinks.counts.box, {settings.stepLengthX, settings.stepLengthY}, setup.halfStep, setup.zoom);
    }
    const Extents& units = test.statistics.units;
    test.box = boxOfExtremes(units.minX, units.minY, units.maxX, units.maxY, sinks.counts.nanX, sinks.counts.nanY);
    test.extents = extentsInMillimetres(test.box, test.zoom);
    const StepPair origin = penToZeroSteps(test.penToZeroNeed(), settings, test.halfStep, test.zoom);
    if (stepsInRange(origin.x) && stepsInRange(origin.y))
        test.originOutputs = static_cast<std::uint64_t>(
            countOutputs(static_cast<long>(std::fabs(origin.x)), static_cast<long>(std::fabs(origin.y))));

    // Points beyond the 16-bit extents cannot be measured, so such a plot never fits.
    if (test.box.outOfRange)
        test.verdict = PlotTest::Verdict::BeyondCoordinates;
    else if (!plotFits(test.extents, settings))
        test.verdict = PlotTest::Verdict::TooBig;
    else if (test.stepRangeMessage = stepRangeProblem(test, settings); !test.stepRangeMessage.empty())
        test.verdict = PlotTest::Verdict::BeyondSteps;
    return test;
}

} // namespace

PlotTest testPlot(const std::string& path, const MachineSettings& settings, CheckSetup setup, PlotSink* preview)
{
    std::shared_ptr<RecordedPlot> recorded = setup.keepPlot ? std::make_shared<RecordedPlot>() : nullptr;
    PlotTest test = checkReading(
        settings, setup, recorded.get(),
        [&](CheckSinks& counts) {
            // The classic reading compiled for these sinks: no call through the interface per
            // point. A preview costs about what the reading does, so with one the reading of a
            // large file runs on a thread beside it, and the counts too; without one the
            // counting is cheaper than the parsing, so a large file is parsed in spans on two
            // threads instead.
            if (setup.reading != PlotReading::Classic && !path.empty())
                return withPreview(preview, counts, [&](auto& sink) {
                    return readPlot(path, sink, setup.reading, machinePage(settings), setup.census);
                });
            if (preview == nullptr)
                return readClassicPlotInSpans(path, counts, setup.census);
            ReadResult run = readClassicPlotAhead(path, counts, *preview, setup.census);
            if (run.stopped) { // the counts took some of what was read ahead: counted again
                if (recorded)
                    recorded->clear();
                counts = CheckSinks(recorded.get(), settings, setup);
                CountsUpTo upToTheStop(counts, run.points);
                run = readClassicPlotInto(path, upToTheStop, setup.census);
            }
            return run;
        },
        [&] { return drawsOnlyLabels(path, machinePage(settings)); });
    if (recorded && !test.run.openError && !test.run.refusal) {
        recorded->shrink();
        test.plot = std::move(recorded);
    }
    return test;
}

PlotTest testPlot(std::shared_ptr<const RecordedPlot> plot, const MachineSettings& settings, CheckSetup setup,
                  PlotSink* preview)
{
    PlotTest test = checkReading(
        settings, setup, nullptr,
        [&](CheckSinks& counts) {
            ReadResult run;
            if (plot)
                run = withPreview(preview, counts, [&](auto& sink) {
                    ReadResult replayed;
                    replayed.points = plot->replayInto(sink).points;
                    return replayed;
                });
            return run;
        },
        [] { return false; });
    test.plot = std::move(plot);
    return test;
}

} // namespace orlex
