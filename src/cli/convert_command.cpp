// "convert IN.svg -o OUT.plt": the SVG import's strokes as HPGL, written whole or not at
// all. Exit 0 written, 2 a drawing that cannot be converted or OUT not writable, 3 a
// drawing that leaves the plotter's coordinates once placed.
#include "cli/convert_command.h"

#include "cli/exit_codes.h"
#include "cli/output_file.h"
#include "cli/svg_module.h"
#include "cli/test_run.h"
#include "common/atomic_file.h"
#include "common/number_text.h"
#include "run/prepared_plot.h"

#include <cmath>
#include <iostream>

namespace orlex::cli {

int runConvertCommand(const CliOptions& options)
{
    if (const std::optional<std::string> problem = outputProblem(options.plotFile, options.outputFile)) {
        std::cerr << "orlex-plotter-cli: " << *problem << "\n";
        return kExitUsage;
    }
    SvgImportOptions placement;
    placement.toleranceMm = options.toleranceMm;
    placement.rotateDegrees = options.rotateDegrees;
    placement.fitMm = options.fitMm;
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
    if (const Result<void> written = replaceFileAtomically(options.outputFile, *hpgl); !written) {
        std::cerr << "orlex-plotter-cli: cannot write " << options.outputFile << ": " << written.message()
                  << " Nothing was written.\n";
        return kExitUsage;
    }
    std::size_t points = 0;
    for (const PlotStroke& stroke : drawing->strokes)
        points += stroke.points.size();
    std::cout << "Written: " << options.outputFile << " (" << drawing->strokes.size() << " strokes, " << points
              << " points, page " << millimetreText(drawing->pageWidthMm) << " x "
              << millimetreText(drawing->pageHeightMm) << ")\n";
    return kExitOk;
}

} // namespace orlex::cli
