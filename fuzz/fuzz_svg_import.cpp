// Fuzz target: the SVG import over arbitrary bytes. The first byte picks the options.
#include "fuzz_support.h"

#include "import/svg_import.h"
#include "run/prepared_plot.h"

using namespace orlex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    SvgImportOptions options;
    options.rotateDegrees = (data[0] & 1) ? 90 : 0;
    options.toleranceMm = (data[0] & 2) ? 0.5 : 0.05;
    if (data[0] & 4)
        options.fitMm = std::pair(100.0 + data[0], 80.0);
    const auto drawing =
        importSvgData(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)), options);
    if (!drawing) {
        ORLEX_FUZZ_CHECK(!drawing.message().empty());
        ORLEX_FUZZ_CHECK(drawing.message().find('\n') == std::string::npos);
        return 0;
    }
    ORLEX_FUZZ_CHECK(!drawing->strokes.empty());
    ORLEX_FUZZ_CHECK(drawing->pageWidthMm >= 0 && drawing->pageHeightMm >= 0);
    if (options.fitMm) {
        ORLEX_FUZZ_CHECK(drawing->pageWidthMm <= options.fitMm->first * (1 + 1e-9));
        ORLEX_FUZZ_CHECK(drawing->pageHeightMm <= options.fitMm->second * (1 + 1e-9));
    }
    // Every point is a whole plotter unit on the page, in the 16-bit range; no stroke
    // repeats a point or is a single point.
    const double maxX = drawing->pageWidthMm * kPlotterUnitsPerMm + 1,
                 maxY = drawing->pageHeightMm * kPlotterUnitsPerMm + 1;
    for (const PlotStroke& stroke : drawing->strokes) {
        ORLEX_FUZZ_CHECK(stroke.pen >= 1 && stroke.pen <= 255);
        ORLEX_FUZZ_CHECK(stroke.points.size() >= 2);
        for (std::size_t i = 0; i < stroke.points.size(); ++i) {
            const auto [x, y] = stroke.points[i];
            ORLEX_FUZZ_CHECK(x == std::round(x) && y == std::round(y));
            ORLEX_FUZZ_CHECK(x >= -32768 && x <= 32767 && y >= -32768 && y <= 32767);
            ORLEX_FUZZ_CHECK(x >= -1 && y >= -1 && x <= maxX && y <= maxY);
            if (i > 0)
                ORLEX_FUZZ_CHECK(stroke.points[i] != stroke.points[i - 1]);
        }
    }
    const Result<std::string> hpgl = drawingHpgl(*drawing);
    ORLEX_FUZZ_CHECK(hpgl && hpgl->rfind("IN;", 0) == 0 && hpgl->substr(hpgl->size() - 4) == "PU;\n");
    return 0;
}
