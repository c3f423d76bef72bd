// Fuzz target: the check (the classic reader into the preview, extents, step count and
// statistics) over arbitrary plot files.
#include "fuzz_support.h"

#include "hpgl/plot_extents.h"
#include "preview/preview.h"
#include "run/plot_test.h"
#include "run/preview_sink.h"

#include <cmath>

using namespace orlex;

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
