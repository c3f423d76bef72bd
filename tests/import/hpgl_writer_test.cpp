// HPGL from imported strokes: the text, and the interpreter reading it.
#include "import_test_support.h"
#include "run/prepared_plot.h"

#include "run/plot_test.h"
#include "settings/settings_file.h"

namespace orlex::test {
namespace {

TEST(Hpgl, PenDownListsAndPenChanges)
{
    SvgDrawing drawing;
    drawing.strokes = {{1, {{0, 0}, {400, 0}, {400, 400}}}, {1, {{10, 20}, {30, 40}}}, {12, {{-5, 7}, {8, -9}}}};
    EXPECT_EQ(drawingHpgl(drawing).value(),
              "IN;\nSP1;\nPU0,0;PD400,0,400,400;\nPU10,20;PD30,40;\nSP12;\nPU-5,7;PD8,-9;\nPU;\n");
}

class HpglFile : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("orlex_hpgl_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

// The plotter program's own interpreter finds the drawing's extents in the file.
TEST_F(HpglFile, TheInterpreterReadsWhatIsWritten)
{
    const auto out = folder / "house.plt";
    const auto drawing = importSvg(svgFile("drawing.svg"));
    ASSERT_TRUE(drawing.ok());
    std::ofstream(out, std::ios::binary) << drawingHpgl(*drawing).value();
    const Measure want = measure(*drawing);

    const MachineSettings settings = defaultMachineSettings();
    const PlotTest test = testPlot(out.string(), settings, {});
    ASSERT_FALSE(test.run.openError) << test.run.openError->message;
    EXPECT_EQ(test.run.skippedPairs, 0u);
    EXPECT_EQ(test.box.maxX, std::lround(want.maxX * 40));
    EXPECT_EQ(test.box.maxY, std::lround(want.maxY * 40));
}

TEST_F(HpglFile, SvgFilesAreToldByNameOrContent)
{
    std::ofstream(folder / "drawing.plt")
        << "\xEF\xBB\xBF  <?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"/>";
    std::ofstream(folder / "plot.txt") << "IN;SP1;PU0,0;";
    EXPECT_TRUE(isSvgFile(folder / "missing.SVG"));
    EXPECT_TRUE(isSvgFile(folder / "drawing.plt"));
    EXPECT_FALSE(isSvgFile(folder / "plot.txt"));
    EXPECT_FALSE(isSvgFile(folder));
    EXPECT_FALSE(isSvgFile("/dev/zero"));
}

} // namespace
} // namespace orlex::test
