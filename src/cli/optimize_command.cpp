// "optimize IN -o OUT": reads IN with the reading of --hpgl, writes its strokes in the stroke
// planner's order to OUT (whole or not at all), and prints the pen-up travel, the pen
// lifts and the estimated drawing time before and after. Exit 0 written, 2 unreadable IN,
// no plot, OUT the input or not writable, 3 an SVG too big for the plotter's coordinates
// or a plot the full reading refuses for its size.
#include "cli/optimize_command.h"

#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/output_file.h"
#include "cli/svg_module.h"
#include "cli/test_run.h"
#include "common/number_text.h"
#include "common/output_file.h"
#include "plan/hpgl_writer.h"

#include <cmath>
#include <iostream>

namespace orlex::cli {

namespace {

void printFigures(const OptimizeFigures& f, double clockHz, const std::string& outputFile)
{
    for (const LineStepChange& step : f.lineWork)
        std::cout << lineStepText(step) << "\n";
    const PlotStatistics& before = f.travel.before;
    const PlotStatistics& after = f.travel.after;
    std::cout << "Pen-up travel: " << millimetreText(before.penUpMillimetres) << " -> "
              << millimetreText(after.penUpMillimetres);
    if (before.penUpMillimetres > 0)
        std::cout << " (" << numberText(std::round(100 * (1 - after.penUpMillimetres / before.penUpMillimetres)))
                  << " % shorter)";
    std::cout << "\nPen lifts: " << before.penLifts << " -> " << after.penLifts << "\n"
              << "Estimated drawing time at " << numberText(clockHz) << " Hz: ";
    if (f.secondsBefore && f.secondsAfter) {
        // Steps follow the longer axis, so a shorter travel can, rarely, take a little longer.
        const double saved = *f.secondsBefore - *f.secondsAfter;
        std::cout << secondsText(*f.secondsBefore) << " -> " << secondsText(*f.secondsAfter) << ", "
                  << secondsText(std::fabs(saved)) << (saved < 0 ? " more\n" : " saved\n");
    } else
        std::cout << "unknown, a point of this plot cannot be converted to motor steps\n";
    std::cout << "Written: " << outputFile << "\n";
}

} // namespace

int runOptimizeCommand(const CliOptions& options)
{
    if (const std::optional<std::string> problem =
            outputProblem(options.plotFile, options.outputFile, settingsFileRead(options))) {
        std::cerr << "orlex-plotter-cli: " << *problem << "\n";
        return kExitUsage;
    }
    if (options.hideCovered && !moduleSvgImporter().isSvgFile(options.plotFile)) {
        std::cerr << "orlex-plotter-cli: --hide-covered needs an SVG drawing: " << options.plotFile
                  << " is a plot file, which has no fills. Nothing was written.\n";
        return kExitUsage;
    }
    const PreparedCheck prepared = loadAndCheck(options, true);
    if (prepared.failure != 0)
        return prepared.failure;
    printRunWarnings(prepared.check, std::cerr);

    ReorderOptions order;
    order.allowReverse = !options.noReverse;
    const DrawTiming timing = drawTiming(prepared.settings, options.clockHz);
    const LineWorkRequest lineWork{
        LineWorkOptions{options.dedupeMm, options.mergeMm, options.simplifyMm, !options.noReverse}, &timing};
    const Result<ReorderedPlot> reordered =
        reorderedPlot(prepared.plot, order, options.reading, machinePage(prepared.settings), lineWork);
    const Result<std::string> hpgl = reordered ? writeHpgl(reordered->events) : Result<std::string>(reordered.error());
    if (!hpgl) {
        std::cerr << "orlex-plotter-cli: " << hpgl.message() << " Nothing was written.\n";
        return kExitUsage;
    }
    if (const Result<void> written = writeOutputFile(options.outputFile, *hpgl); !written) {
        std::cerr << "orlex-plotter-cli: cannot write " << options.outputFile << ": " << written.message()
                  << " Nothing was written.\n";
        return kExitUsage;
    }

    OptimizeFigures figures{reordered->travel, estimateAtClock(prepared.check, options.clockHz), std::nullopt,
                            prepared.plot.lineWork()};
    figures.lineWork.insert(figures.lineWork.end(), reordered->lineWork.begin(), reordered->lineWork.end());
    const PlotTest after = runCheck(options.outputFile, prepared.check.zoom, prepared.settings, true, options.reading);
    if (after.verdict != PlotTest::Verdict::Unreadable)
        figures.secondsAfter = estimateAtClock(after, options.clockHz);
    if (options.json)
        std::cout << optimizeJson(figures) << "\n";
    else
        printFigures(figures, options.clockHz, options.outputFile);
    return kExitOk;
}

} // namespace orlex::cli
