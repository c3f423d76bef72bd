// "convert IN.svg -o OUT.plt": the SVG import's strokes as HPGL; "convert IN.plt -o
// OUT.plt": the plot as the reading of --hpgl reads it, as plain absolute HPGL. Written
// whole or not at all. Exit 0 written, 2 a drawing or plot that cannot be converted or OUT
// not writable, 3 a drawing that leaves the plotter's coordinates once placed, or a plot
// the full reading refuses for its size.
#include "cli/convert_command.h"

#include "cli/cli_settings.h"
#include "cli/exit_codes.h"
#include "cli/output_file.h"
#include "cli/svg_module.h"
#include "cli/test_run.h"
#include "common/number_text.h"
#include "common/output_file.h"
#include "hpgl/binary_data.h"
#include "hpgl/full/plain_hpgl_writer.h"
#include "run/prepared_plot.h"

#include <cmath>
#include <iostream>
#include <sstream>

namespace orlex::cli {

namespace {

// Whole plotter units as the writer prints them; far beyond any plotter, but every such
// number is an exact integer.
constexpr double kLargestUnits = 1e12;

// Hands points to the writer while they are numbers it can write, and stops at the first
// that is not.
class CheckedWriter : public PlotSink {
public:
    explicit CheckedWriter(PlainHpglWriter& writer) : writer_(writer) {}
    bool point(double x, double y, Pen pen) override
    {
        if (!(std::fabs(x) <= kLargestUnits && std::fabs(y) <= kLargestUnits)) {
            beyond_ = true;
            return false;
        }
        return writer_.point(x, y, pen);
    }
    void selectPen(char pen) override { writer_.selectPen(pen); }
    bool beyond() const { return beyond_; }

private:
    PlainHpglWriter& writer_;
    bool beyond_ = false;
};

int writeOutput(const CliOptions& options, const std::string& text)
{
    if (const Result<void> written = writeOutputFile(options.outputFile, text); !written) {
        std::cerr << "orlex-plotter-cli: cannot write " << options.outputFile << ": " << written.message()
                  << " Nothing was written.\n";
        return kExitUsage;
    }
    return kExitOk;
}

int convertPlot(const CliOptions& options)
{
    const CliSettings loaded = loadCliSettings(options.settingsFile);
    if (loaded.error) {
        std::cerr << "orlex-plotter-cli: " << loaded.error->message << "\n";
        return kExitUsage;
    }
    if (!loaded.warning.empty())
        std::cerr << loaded.warning << "\n";
    if (const std::optional<BinaryData> binary = findBinaryData(options.plotFile)) {
        std::cerr << "orlex-plotter-cli: " << binaryDataMessage(options.plotFile, *binary) << " Nothing was written.\n";
        return kExitUsage;
    }
    std::ostringstream text;
    PlainHpglWriter writer(text);
    CheckedWriter sink(writer);
    const ReadResult read =
        readPlot(options.plotFile, sink, options.reading, machinePage(loaded.settings), Census::Take);
    writer.finish();
    std::string refused;
    int status = kExitUsage;
    if (read.openError) {
        refused = read.openError->message;
    } else if (read.refusal) {
        refused = read.refusal->message;
        status = read.refusal->kind == Error::Kind::TooBig ? kExitTooBig : kExitUsage;
    } else if (sink.beyond()) {
        refused = "Point " + std::to_string(read.points) + " of \"" + options.plotFile
                  + "\" lies beyond any plotter's coordinates.";
        status = kExitTooBig;
    } else if (read.points == 0) {
        refused = notAPlotMessage(options.plotFile, false);
    }
    if (!refused.empty()) {
        std::cerr << "orlex-plotter-cli: " << refused << " Nothing was written.\n";
        return status;
    }
    if (const std::string skipped = read.skippedMessage(); !skipped.empty())
        std::cerr << skipped << "\n";
    for (const std::string& note : read.notes)
        std::cerr << options.plotFile << ": " << note << "\n";
    if (const std::string sentence = read.ignoredByClassic.sentence("--hpgl full"); !sentence.empty())
        std::cerr << options.plotFile << ": " << sentence << "\n";
    if (const int written = writeOutput(options, text.str()); written != kExitOk)
        return written;
    std::cout << "Written: " << options.outputFile << " (" << read.points << " points, plain absolute HPGL)\n";
    return kExitOk;
}

} // namespace

int runConvertCommand(const CliOptions& options)
{
    if (const std::optional<std::string> problem =
            outputProblem(options.plotFile, options.outputFile, settingsFileRead(options))) {
        std::cerr << "orlex-plotter-cli: " << *problem << "\n";
        return kExitUsage;
    }
    if (!moduleSvgImporter().isSvgFile(options.plotFile))
        return convertPlot(options);
    SvgImportOptions placement;
    placement.toleranceMm = options.toleranceMm;
    placement.rotateDegrees = options.rotateDegrees;
    placement.fitMm = options.fitMm;
    placement.text = options.skipText ? SvgText::Skip : SvgText::Stroke;
    const Result<SvgDrawing> drawing = moduleSvgImporter().importSvg(options.plotFile, placement);
    if (!drawing) {
        std::cerr << "orlex-plotter-cli: " << drawing.message() << "\n";
        return drawing.error().kind == Error::Kind::TooBig ? kExitTooBig : kExitUsage;
    }
    for (const std::string& note : drawing->notes)
        std::cerr << options.plotFile << ": " << note << "\n";
    const Result<std::string> hpgl = drawingHpgl(*drawing);
    if (!hpgl) {
        std::cerr << "orlex-plotter-cli: " << hpgl.message() << "\n";
        return kExitUsage;
    }
    if (const int written = writeOutput(options, *hpgl); written != kExitOk)
        return written;
    std::size_t points = 0;
    for (const PlotStroke& stroke : drawing->strokes)
        points += stroke.points.size();
    std::cout << "Written: " << options.outputFile << " (" << drawing->strokes.size() << " strokes, " << points
              << " points, page " << millimetreText(drawing->pageWidthMm) << " x "
              << millimetreText(drawing->pageHeightMm) << ")\n";
    return kExitOk;
}

} // namespace orlex::cli
