// Test run for the command-line tool, in the order "Test and Show" uses: clear the
// preview, drawfile in test mode, extents in mm at the zoom, then the fit rule.
#include "cli/test_run.h"

#include "cli/cli_settings.h"

#include "drive/drive.h"
#include "drive/ports/null_port.h"
#include "preview/preview.h"
#include "settings/conversions.h"

#include <iostream>

namespace orlex::cli {

TestOutcome runTest(const std::string& plotFile, std::int16_t zoom, const Variabile& settings, bool halfStep)
{
    TestOutcome outcome;
    outcome.zoom = zoom;

    NullCanvas canvas;
    Preview preview(canvas, settings);
    preview.Zoom = zoom;
    NullPort port(toPortAddress(settings.LptAddress).value_or(0x378), std::uint8_t{0x7F});
    Drive drive(port, settings, DriveHooks{{}, [halfStep] { return halfStep; }});

    preview.clear();
    outcome.run = drawfile(plotFile, kTestMode, preview, drive);
    outcome.extents = extentsInMillimetres(outcome.run, zoom);
    outcome.limitX = toInt16(settings.Maxx);
    outcome.limitY = toInt16(settings.Maxy);
    // Points beyond the 16-bit extents cannot be measured, so such a plot never fits.
    outcome.fits = outcome.run.opened && !outcome.run.outOfRange && plotFits(outcome.extents, settings);
    return outcome;
}

namespace {

std::string limitText(const std::optional<std::int16_t>& limit)
{
    return limit ? millimetreLabel(*limit) : "not a number";
}

} // namespace

void printTestReport(const TestOutcome& outcome, std::ostream& out)
{
    const PlotExtents& e = outcome.extents;
    out << "Extents at zoom " << outcome.zoom << " %:\n"
        << "  min X: " << millimetreLabel(e.PlotMinX) << "\n"
        << "  min Y: " << millimetreLabel(e.PlotMinY) << "\n"
        << "  max X: " << millimetreLabel(e.PlotMaxX) << "\n"
        << "  max Y: " << millimetreLabel(e.PlotMaxY) << "\n"
        << "Limits: X " << limitText(outcome.limitX) << ", Y " << limitText(outcome.limitY) << "\n"
        << "Points: " << outcome.run.points << "\n"
        << (outcome.fits ? "fits" : "too big") << "\n";
}

void printRunWarnings(const RunResult& run, std::ostream& err)
{
    if (const std::string skipped = run.skippedMessage(); !skipped.empty())
        err << skipped << "\n";
    if (run.outOfRange)
        err << "The plot exceeds the coordinate range: it has points outside -32768 to 32767 "
               "plotter units and cannot be drawn.\n";
    if (run.endOfFileCaption)
        err << kEndOfFileCaption << " The file ends inside a coordinate pair; that pair was dropped.\n";
}

std::optional<PreparedTest> loadAndTest(const CliOptions& options, bool halfStep)
{
    const CliSettings loaded = loadCliSettings(options.settingsFile);
    if (!loaded.error.empty()) {
        std::cerr << "orlex-plotter-cli: " << loaded.error << "\n";
        return std::nullopt;
    }
    if (!loaded.warning.empty())
        std::cerr << loaded.warning << "\n";
    PreparedTest prepared{loaded.settings, runTest(options.plotFile, options.zoom, loaded.settings, halfStep)};
    if (!prepared.outcome.run.opened) {
        std::cerr << "orlex-plotter-cli: " << prepared.outcome.run.openError << "\n";
        return std::nullopt;
    }
    return prepared;
}

} // namespace orlex::cli
