// --hide-covered from SVG to strokes: which fills hide what lies below them (a table of
// fills over a line), and golden strokes of a drawing with several.
#include "import/svg_import.h"
#include "import_test_support.h"
#include "plan/hpgl_writer.h"
#include "run/covered_drawing.h"
#include "run/prepared_plot.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <fstream>

namespace orlex::test {
namespace {

struct FillCase {
    const char* name;
    const char* shapes; // painted after the line, or before it with `before`
    double visibleMm;   // of the line from 0 to 100 mm
    bool before = false;
};

void PrintTo(const FillCase& c, std::ostream* os)
{
    *os << c.name;
}

class CoveringFill : public ::testing::TestWithParam<FillCase> {};

TEST_P(CoveringFill, HidesWhatAViewerHides)
{
    const std::string line = R"svg(<line x1="0" y1="50" x2="100" y2="50" stroke="black"/>)svg";
    const std::string svg = std::string(R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="100mm")svg"
                                        R"svg( viewBox="0 0 100 100">)svg")
                            + (GetParam().before ? GetParam().shapes + line : line + GetParam().shapes) + "</svg>";
    SvgImportOptions options;
    options.keepFillOutlines = true;
    Result<SvgDrawing> drawing = importSvgData(QByteArray::fromStdString(svg), options);
    ASSERT_TRUE(drawing) << drawing.message();
    const Result<LineStepChange> hidden = hideCoveredStrokes(*drawing);
    ASSERT_TRUE(hidden) << hidden.message();
    EXPECT_NEAR(hidden->after.penDownMm, GetParam().visibleMm, 0.05);
    EXPECT_NEAR(hidden->lengthMm, hidden->before.penDownMm - hidden->after.penDownMm, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Fills, CoveringFill,
    ::testing::Values(
        FillCase{"Opaque", R"svg(<rect x="40" y="40" width="20" height="20" fill="white"/>)svg", 80},
        FillCase{"DefaultBlack", R"svg(<rect x="40" y="40" width="20" height="20"/>)svg", 80},
        FillCase{"StyleSheet",
                 R"svg(<style>.paper { fill: #fff }</style><rect class="paper" x="40" y="40" width="20")svg"
                 R"svg( height="20"/>)svg",
                 80},
        FillCase{"InheritedFromGroup", R"svg(<g fill="red"><rect x="40" y="40" width="20" height="20"/></g>)svg", 80},
        FillCase{"None", R"svg(<rect x="40" y="40" width="20" height="20" fill="none"/>)svg", 100},
        FillCase{"Transparent", R"svg(<rect x="40" y="40" width="20" height="20" fill="transparent"/>)svg", 100},
        FillCase{"HalfFillOpacity", R"svg(<rect x="40" y="40" width="20" height="20" fill-opacity="0.5"/>)svg", 100},
        FillCase{"HalfOpacity", R"svg(<rect x="40" y="40" width="20" height="20" opacity="0.5"/>)svg", 100},
        FillCase{"GroupHalfOpacity", R"svg(<g opacity="0.5"><rect x="40" y="40" width="20" height="20"/></g>)svg", 100},
        FillCase{
            "OpaqueGradient",
            R"svg(<linearGradient id="g"><stop offset="0" stop-color="red"/><stop offset="1" stop-color="blue"/>)svg"
            R"svg(</linearGradient><rect x="40" y="40" width="20" height="20" fill="url(#g)"/>)svg",
            80},
        FillCase{
            "GradientWithClearStop",
            R"svg(<linearGradient id="g"><stop offset="0" stop-color="red"/><stop offset="1" stop-opacity="0"/>)svg"
            R"svg(</linearGradient><rect x="40" y="40" width="20" height="20" fill="url(#g)"/>)svg",
            100},
        FillCase{"PaintedBefore", R"svg(<rect x="40" y="40" width="20" height="20"/>)svg", 100, true},
        FillCase{"EvenOddHole", R"svg(<path fill-rule="evenodd" d="M30 30H70V70H30Z M45 45H55V55H45Z"/>)svg", 70},
        FillCase{"NonZeroNoHole", R"svg(<path d="M30 30H70V70H30Z M45 45H55V55H45Z"/>)svg", 60},
        FillCase{"ACircle", R"svg(<circle cx="50" cy="50" r="10" fill="white"/>)svg", 80},
        FillCase{"FilledLineAbove", R"svg(<path d="M 0 20 L 100 20" stroke="black"/>)svg", 200}),
    [](const ::testing::TestParamInfo<FillCase>& p) { return std::string(p.param.name); });

// The drawing converted for a run with --hide-covered, in document order: what the white
// square, the black bars and the page-coloured box hide is gone; half-transparent fills,
// the square's own outline and the circle painted over it stay.
TEST(HideCovered, GoldenStrokesOfADrawing)
{
    PlotPreparation preparation;
    preparation.hideCovered = true;
    const Result<PreparedPlot> prepared =
        preparePlot(svgFile("covered.svg").string(), linkedSvgImporter(), preparation);
    ASSERT_TRUE(prepared) << prepared.message();
    ASSERT_EQ(prepared->lineWork().size(), 1u);
    EXPECT_EQ(prepared->lineWork()[0].count, 2u);
    ASSERT_TRUE(prepared->recorded());
    HpglWriter written(HpglNumbers::WholeUnits); // the conversion in memory, as "convert" writes it
    prepared->recorded()->replay(written);
    EXPECT_EQ(written.finish().value(),
              "IN;\nSP1;\nPU0,2000;PD1200,2000;\nPU2800,2000;PD4000,2000;\n"
              "PU1200,2800;PD2800,2800,2800,1200,1200,1200,1200,2800;\n"
              "PU2400,2000;PD2394,1928,2375,1860,2345,1798,2306,1742,2258,1694,2202,1655,2140,1625,2072,1606,2000,"
              "1600,1928,1606,1860,1625,1798,1655,1742,1694,1694,1742,1655,1798,1625,1860,1606,1928,1600,2000,1606,"
              "2072,1625,2140,1655,2202,1694,2258,1742,2306,1798,2345,1860,2375,1928,2394,2000,2400,2072,2394,2140,"
              "2375,2202,2345,2258,2306,2306,2258,2345,2202,2375,2140,2394,2072,2400,2000;\n"
              "PU800,400;PD1600,400;\nPU2400,400;PD3000,400;\nPU3400,400;PD4000,400;\nPU;\n");
}

} // namespace
} // namespace orlex::test
