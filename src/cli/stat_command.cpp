// "stat FILE": points, strokes, lengths, pen lifts, extents and the estimated drawing
// time of the test run, as text or JSON; exit statuses as for test.
#include "cli/stat_command.h"

#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/test_run.h"
#include "common/number_text.h"

#include <cmath>
#include <iostream>

namespace orlex::cli {

namespace {

void printStatistics(const PlotTest& test, double clockHz, std::ostream& out)
{
    const PlotStatistics& s = test.statistics;
    const PlotExtents& e = test.extents;
    out << "Points: " << s.points << "\n"
        << "Strokes: " << s.strokes << "\n"
        << "Pen-down length: " << millimetreText(atZoom(s.penDownMillimetres, test)) << "\n"
        << "Pen-up length: " << millimetreText(atZoom(s.penUpMillimetres, test)) << "\n"
        << "Pen lifts: " << s.penLifts << "\n"
        << "Extents at zoom " << test.zoom << " %: X " << millimetreLabel(e.minXmm) << " to "
        << millimetreLabel(e.maxXmm) << ", Y " << millimetreLabel(e.minYmm) << " to " << millimetreLabel(e.maxYmm)
        << "\n"
        << "Estimated drawing time at " << numberText(clockHz) << " Hz: ";
    if (const std::optional<double> seconds = estimateAtClock(test, clockHz))
        out << secondsText(*seconds) << (test.needsPenToZero() ? " (the move of \"Pen to 0\" included)" : "");
    else
        out << "unknown, a point of this plot cannot be converted to motor steps";
    out << "\n" << (test.fits() ? "fits" : "too big") << "\n";
}

} // namespace

int runStatCommand(const CliOptions& options)
{
    const PreparedTest prepared = loadAndTest(options, true);
    if (prepared.failure != 0)
        return prepared.failure;
    const PlotTest& test = prepared.test;
    if (options.json) {
        std::cout << statJson(test, options.clockHz) << "\n";
    } else {
        printStatistics(test, options.clockHz, std::cout);
        printRunWarnings(test, std::cerr);
    }
    return test.fits() ? kExitOk : kExitTooBig;
}

} // namespace orlex::cli
