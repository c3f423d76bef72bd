// "stat FILE": points, strokes, lengths, pen lifts, extents and the estimated drawing
// time of the check, as text or JSON; exit statuses as for test.
#include "cli/stat_command.h"

#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/test_run.h"
#include "common/number_text.h"

#include <cmath>
#include <iostream>

namespace orlex::cli {

namespace {

void printStatistics(const PlotTest& check, double clockHz, std::ostream& out)
{
    const PlotStatistics& s = check.statistics;
    const PlotExtents& e = check.extents;
    out << "Points: " << s.points << "\n"
        << "Strokes: " << s.strokes << "\n"
        << "Pen-down length: " << millimetreText(atZoom(s.penDownMillimetres, check)) << "\n"
        << "Pen-up length: " << millimetreText(atZoom(s.penUpMillimetres, check)) << "\n"
        << "Pen lifts: " << s.penLifts << "\n"
        << "Extents at zoom " << check.zoom << " %: X " << millimetreLabel(e.minXmm) << " to "
        << millimetreLabel(e.maxXmm) << ", Y " << millimetreLabel(e.minYmm) << " to " << millimetreLabel(e.maxYmm)
        << "\n"
        << "Estimated drawing time at " << numberText(clockHz) << " Hz: ";
    if (const std::optional<double> seconds = estimateAtClock(check, clockHz))
        out << secondsText(*seconds) << (check.needsPenToZero() ? " (the move of \"Pen to 0\" included)" : "");
    else
        out << "unknown, a point of this plot cannot be converted to motor steps";
    out << "\n" << (check.fits() ? "fits the machine" : "too big for the machine") << "\n";
}

} // namespace

int runStatCommand(const CliOptions& options)
{
    const PreparedCheck prepared = loadAndCheck(options, true);
    if (prepared.failure != 0)
        return prepared.failure;
    const PlotTest& check = prepared.check;
    if (options.json) {
        std::cout << statJson(check, options.clockHz) << "\n";
    } else {
        printStatistics(check, options.clockHz, std::cout);
        printRunWarnings(check, std::cerr);
    }
    return check.fits() ? kExitOk : kExitTooBig;
}

} // namespace orlex::cli
