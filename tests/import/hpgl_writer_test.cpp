// HPGL from imported strokes: the text, the interpreter reading it, and atomic writing.
#include "import/hpgl_writer.h"
#include "import_test_support.h"

#include "run/plot_test.h"
#include "settings/settings_file.h"

namespace orlex::test {
namespace {

TEST(Hpgl, PenDownListsAndPenChanges)
{
    SvgDrawing drawing;
    drawing.strokes = {{1, {{0, 0}, {400, 0}, {400, 400}}}, {1, {{10, 20}, {30, 40}}}, {3, {{-5, 7}, {8, -9}}}};
    EXPECT_EQ(toHpgl(drawing), "IN;SP1;PU0,0;PD400,0,400,400;\nPU10,20;PD30,40;\nSP3;PU-5,7;PD8,-9;\nPU;");
}

class HpglFile : public testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("orlex_hpgl_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::size_t filesInFolder() const
    {
        return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
    }
    std::filesystem::path folder;
};

// The plotter program's own interpreter finds the drawing's extents in the file.
TEST_F(HpglFile, TheInterpreterReadsWhatIsWritten)
{
    const auto out = folder / "house.plt";
    ASSERT_TRUE(convertSvgToHpgl(svgFile("drawing.svg"), out).ok());
    const auto drawing = importSvg(svgFile("drawing.svg"));
    ASSERT_TRUE(drawing.ok());
    const Measure want = measure(*drawing);

    const MachineSettings settings = defaultMachineSettings();
    const PlotTest test = testPlot(out.string(), settings, {});
    ASSERT_TRUE(test.run.opened) << test.run.openError;
    EXPECT_EQ(test.run.skippedPairs, 0u);
    EXPECT_EQ(test.box.maxX, std::lround(want.maxX * 40));
    EXPECT_EQ(test.box.maxY, std::lround(want.maxY * 40));
}

TEST_F(HpglFile, FailureLeavesTheOutputAsItWas)
{
    const auto out = folder / "out.plt";
    std::ofstream(out) << "old";
    const auto result = convertSvgToHpgl(svgFile("bad/no_strokes.svg"), out);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(readText(out), "old");
    EXPECT_EQ(filesInFolder(), 1u);

    EXPECT_FALSE(convertSvgToHpgl(svgFile("shapes.svg"), folder / "no" / "such" / "folder.plt").ok());
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(HpglFile, SuccessReplacesTheOutputWhole)
{
    const auto out = folder / "out.plt";
    std::ofstream(out) << "old";
    ASSERT_TRUE(convertSvgToHpgl(svgFile("shapes.svg"), out).ok());
    const std::string text = readText(out);
    EXPECT_EQ(text.rfind("IN;SP1;PU", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 3), "PU;");
    EXPECT_EQ(filesInFolder(), 1u);
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
