// An SVG drawing converted and a plot reordered in memory hand on exactly the points and
// pens that their HPGL, written to a file and read back, would: they draw the same bytes.
#include "import/svg_importer.h"
#include "import_test_support.h"
#include "plan/hpgl_writer.h"
#include "run/prepared_plot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

namespace orlex::test {
namespace {

TEST(InMemoryPlot, HandsOnWhatItsFileWouldRead)
{
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "orlex_in_memory_test.plt";
    constexpr PlotReading kClassic = PlotReading::Classic, kFull = PlotReading::Full;
    for (const auto& [name, shorterTravel, reading] :
         {std::tuple{"drawing.svg", false, kClassic}, std::tuple{"drawing.svg", false, kFull},
          std::tuple{"layers.svg", false, kClassic}, std::tuple{"layers.svg", false, kFull},
          std::tuple{"shapes.svg", true, kClassic}, std::tuple{"text.plt", true, kClassic},
          std::tuple{"text.plt", true, kFull}}) {
        SCOPED_TRACE(std::string(name) + (shorterTravel ? " reordered" : "") + (reading == kFull ? " full" : ""));
        const std::string path = svgFile(name).string();
        PlotPreparation preparation;
        preparation.reading = reading;
        // The nearest-end order alone: the improvement stops at a time budget, so under a
        // sanitizer two orderings of the same plot could differ.
        preparation.order.improve = false;
        const Result<PreparedPlot> unordered = preparePlot(path, linkedSvgImporter(), preparation);
        preparation.shorterTravel = shorterTravel;
        const Result<PreparedPlot> prepared = preparePlot(path, linkedSvgImporter(), preparation);
        ASSERT_TRUE(unordered && prepared && prepared->recorded());
        // What was written and read back before: the drawing's HPGL, or the reordered strokes'.
        const Result<std::string> hpgl = shorterTravel
                                             ? writeHpgl(reorderedPlot(*unordered, preparation.order, reading)->events)
                                             : drawingHpgl(*linkedSvgImporter().importSvg(path, {}));
        std::ofstream(file, std::ios::binary | std::ios::trunc) << hpgl.value();
        RecordedPlot expected;
        readPlot(file.string(), expected, reading);
        EXPECT_TRUE(expected.points() > 10 && *prepared->recorded() == expected);
    }
    std::filesystem::remove(file);
}

} // namespace
} // namespace orlex::test
