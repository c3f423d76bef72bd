// The check for the command-line tool: the shared check with no picture and no
// plotter, and its report.
#include "cli/test_run.h"

#include "cli/cli_settings.h"
#include "cli/exit_codes.h"
#include "cli/svg_module.h"

#include "common/number_text.h"
#include "settings/conversions.h"

#include <cmath>
#include <iostream>

namespace orlex::cli {

PlotTest runCheck(const std::string& plotFile, std::int16_t zoom, const MachineSettings& settings, bool halfStep,
                  PlotReading reading, Census census)
{
    return testPlot(plotFile, settings, CheckSetup{zoom, halfStep, reading, false, census});
}

namespace {

std::string limitText(const std::optional<std::int16_t>& limit)
{
    return limit ? millimetreLabel(*limit) : "not a number";
}

} // namespace

void printCheckReport(const PlotTest& check, std::ostream& out)
{
    const PlotExtents& e = check.extents;
    out << "Extents at zoom " << check.zoom << " %:\n"
        << "  min X: " << millimetreLabel(e.minXmm) << "\n"
        << "  min Y: " << millimetreLabel(e.minYmm) << "\n"
        << "  max X: " << millimetreLabel(e.maxXmm) << "\n"
        << "  max Y: " << millimetreLabel(e.maxYmm) << "\n"
        << "Limits: X " << limitText(check.limitX) << ", Y " << limitText(check.limitY) << "\n"
        << "Points: " << check.run.points << "\n"
        << (check.fits() ? "fits the machine" : "too big for the machine") << "\n";
}

void printRunWarnings(const PlotTest& check, std::ostream& err)
{
    for (const std::string& warning : check.warnings())
        err << warning << "\n";
    if (check.run.endOfFileCaption)
        err << kEndOfFileCaption << " The file ends inside a coordinate pair; that pair was dropped.\n";
}

PreparedCheck loadAndCheck(const CliOptions& options, bool halfStep)
{
    PreparedCheck prepared;
    const bool draw = options.command == Command::Draw;
    const CliSettings loaded =
        loadCliSettings(options.settingsFile, draw ? SettingsProblems::Refuse : SettingsProblems::UseDefaults);
    if (loaded.error) {
        std::cerr << "orlex-plotter-cli: " << loaded.error->message << "\n";
        prepared.failure = kExitUsage;
        return prepared;
    }
    if (!loaded.warning.empty())
        std::cerr << loaded.warning << "\n";
    prepared.settings = loaded.settings;

    PlotPreparation preparation;
    preparation.reading = options.reading;
    preparation.fullOptions = machinePage(prepared.settings);
    preparation.census = Census::Skip; // the check's reading takes it
    preparation.hideCovered = options.hideCovered;
    if (options.hideCovered)
        preparation.timing = drawTiming(prepared.settings, options.clockHz);
    preparation.svg.text = options.skipText ? SvgText::Skip : SvgText::Stroke;
    Result<PreparedPlot> plot = preparePlot(options.plotFile, moduleSvgImporter(), preparation);
    if (!plot) {
        std::cerr << "orlex-plotter-cli: " << plot.message() << "\n";
        prepared.failure = plot.error().kind == Error::Kind::TooBig ? kExitTooBig : kExitUsage;
        return prepared;
    }
    prepared.plot = std::move(*plot);
    for (const std::string& note : prepared.plot.notes())
        std::cerr << options.plotFile << ": " << note << "\n";

    // A draw keeps the plot its check read and draws that; test and stat stream the file.
    CheckSetup setup{options.zoom, halfStep, options.reading};
    setup.census = prepared.plot.converted() ? Census::Skip : Census::Take;
    setup.keepPlot = draw;
    setup.countFigures = options.command != Command::Test || options.json; // test's text shows none
    prepared.check = testPrepared(prepared.plot, prepared.settings, setup);
    const ReadResult& run = prepared.check.run;
    if (prepared.check.verdict == PlotTest::Verdict::Unreadable) {
        std::cerr << "orlex-plotter-cli: " << run.openError->message << "\n";
        prepared.failure = kExitUsage;
    } else if (prepared.check.verdict == PlotTest::Verdict::Refused) {
        std::cerr << "orlex-plotter-cli: " << run.refusal->message << "\n";
        prepared.failure = run.refusal->kind == Error::Kind::TooBig ? kExitTooBig : kExitUsage;
    } else if (prepared.check.notAPlot) {
        std::cerr << "orlex-plotter-cli: " << prepared.check.notAPlotMessage(options.plotFile) << "\n";
        prepared.failure = kExitUsage;
    } else {
        for (const std::string& note : run.notes)
            std::cerr << options.plotFile << ": " << note << "\n";
    }
    return prepared;
}

DrawTiming drawTiming(const MachineSettings& settings, double clockHz)
{
    return DrawTiming{{settings.stepLengthX, settings.stepLengthY}, true, 100, clockHz};
}

std::optional<double> estimateAtClock(const PlotTest& check, double clockHz)
{
    return check.estimatedSeconds(2.0 / clockHz, true);
}

std::string millimetreText(double mm)
{
    return numberText(std::round(mm * 10) / 10) + " mm";
}

std::string secondsText(double seconds)
{
    if (std::fabs(seconds) < 59.995)
        return numberText(std::round(seconds * 100) / 100) + " s";
    return durationText(seconds);
}

} // namespace orlex::cli
