// Fuzz target: the check (the classic reader into the preview, extents, step count and
// statistics) over arbitrary plot files; and the classic reading in spans on two threads,
// cut every few dozen bytes, against the reading on one.
#include "fuzz_support.h"

#include "hpgl/plot_extents.h"
#include "hpgl/span_reading.h"
#include "preview/preview.h"
#include "run/plot_test.h"
#include "run/preview_sink.h"

#include <cmath>
#include <tuple>
#include <vector>

using namespace orlex;

namespace {

// Points and pen selections as read.
struct Calls final : PlotSink {
    std::vector<std::tuple<double, double, Pen, char>> calls;
    bool point(double x, double y, Pen pen) override
    {
        calls.emplace_back(x, y, pen, 0);
        return true;
    }
    void selectPen(char pen) override { calls.emplace_back(0, 0, Pen::Up, pen); }
};

void checkSpans(const std::string& path, std::size_t size)
{
    Calls one, spans;
    const ReadResult alone = readClassicPlotInto(path, one, Census::Take);
    const span_reading::Sizes sizes{16 + size % 200, 0, size % 2 == 0};
    const ReadResult inSpans = readClassicPlotInSpans(path, spans, Census::Take, sizes);
    ORLEX_FUZZ_CHECK(spans.calls.size() == one.calls.size());
    // The same calls: coordinates equal, or both NaN (sums of huge relative moves).
    for (std::size_t i = 0; i < one.calls.size(); ++i)
        ORLEX_FUZZ_CHECK(std::get<2>(spans.calls[i]) == std::get<2>(one.calls[i])
                         && std::get<3>(spans.calls[i]) == std::get<3>(one.calls[i])
                         && (std::get<0>(spans.calls[i]) == std::get<0>(one.calls[i])
                             || (std::isnan(std::get<0>(spans.calls[i])) && std::isnan(std::get<0>(one.calls[i]))))
                         && (std::get<1>(spans.calls[i]) == std::get<1>(one.calls[i])
                             || (std::isnan(std::get<1>(spans.calls[i])) && std::isnan(std::get<1>(one.calls[i])))));
    ORLEX_FUZZ_CHECK(inSpans.points == alone.points && inSpans.beeps == alone.beeps
                     && inSpans.endOfFileCaption == alone.endOfFileCaption
                     && inSpans.skippedMessage() == alone.skippedMessage()
                     && inSpans.ignoredByClassic.sentence() == alone.ignoredByClassic.sentence());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static fuzz::MemoryFile file;
    file.write(data, size);

    const MachineSettings settings = fuzz::defaultSettings();
    const bool half = fuzz::halfStepFor(size);
    NullCanvas canvas;
    Preview preview(canvas, settings);
    preview.zoom = fuzz::zoomFor(size);
    preview.penUpColour = (size % 2) ? kWhite : kHidden;
    PreviewSink previewSink(&preview);

    const PlotTest test = testPlot(file.path(), settings, {preview.zoom, half}, &previewSink);
    const ReadResult& run = test.run;
    const PlotBox& box = test.box;

    ORLEX_FUZZ_CHECK(!run.openError);
    ORLEX_FUZZ_CHECK(!run.stopped);
    // The box always holds the origin.
    ORLEX_FUZZ_CHECK(box.minX <= 0 && box.minY <= 0 && box.maxX >= 0 && box.maxY >= 0);
    // Every point and every skipped pair costs at least one byte of the file.
    ORLEX_FUZZ_CHECK(run.points + run.skippedPairs <= size);
    ORLEX_FUZZ_CHECK(run.beeps >= 0 && run.beeps <= 2);
    if (run.endOfFileCaption)
        ORLEX_FUZZ_CHECK(run.beeps == 2);
    ORLEX_FUZZ_CHECK((run.skippedPairs > 0) == run.firstSkipped.has_value());
    ORLEX_FUZZ_CHECK(run.skippedMessage().empty() == (run.skippedPairs == 0));
    if (run.firstSkipped)
        ORLEX_FUZZ_CHECK(run.firstSkipped->offset < size);
    if (run.points == 0)
        ORLEX_FUZZ_CHECK(test.steps.stepOutputs == 0 && test.steps.penCommands == 0);
    ORLEX_FUZZ_CHECK(test.steps.penCommands <= run.points);

    checkSpans(file.path(), size);

    // What the window does with the result.
    const PlotExtents mm = test.extents;
    ORLEX_FUZZ_CHECK(mm.minXmm <= 0 && mm.minYmm <= 0 && mm.maxXmm >= 0 && mm.maxYmm >= 0);
    ORLEX_FUZZ_CHECK(!millimetreLabel(mm.minXmm).empty());
    (void)plotFits(mm, settings);
    if (const auto seconds = test.steps.seconds(0.001)) {
        ORLEX_FUZZ_CHECK(std::isfinite(*seconds) && *seconds >= 0);
        ORLEX_FUZZ_CHECK(!durationText(*seconds).empty());
    }
    return 0;
}
