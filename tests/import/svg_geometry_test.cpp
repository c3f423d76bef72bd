// The import's geometry against the shapes' own: extents, pen-down length, placement,
// flattening tolerance and pens, one test file per feature.
#include "import_test_support.h"

#include <functional>

namespace orlex::test {
namespace {

const double pi = std::acos(-1.0);

// Length of a curve given by its point at t in 0..1, summed over many short chords.
double sampledLength(const std::function<std::pair<double, double>(double)>& at)
{
    double length = 0;
    auto previous = at(0);
    for (int i = 1; i <= 20000; ++i) {
        const auto p = at(i / 20000.0);
        length += std::hypot(p.first - previous.first, p.second - previous.second);
        previous = p;
    }
    return length;
}

// The cubic and quadratic arches of path_commands.svg (each drawn twice, mirrored).
const double cubicArch = sampledLength([](double t) {
    const double u = 1 - t;
    return std::pair(10 * u * u * u + 10 * 3 * u * u * t + 20 * 3 * u * t * t + 20 * t * t * t,
                     90 * u * u * u + 80 * 3 * u * u * t + 80 * 3 * u * t * t + 90 * t * t * t);
});
const double quadArch = sampledLength([](double t) {
    const double u = 1 - t;
    return std::pair(40 * u * u + 45 * 2 * u * t + 50 * t * t, 90 * u * u + 80 * 2 * u * t + 90 * t * t);
});
// Ramanujan's perimeter of an ellipse with semi-axes 20 and 10.
const double ellipse = pi * (3 * 30 - std::sqrt((3 * 20 + 10) * (20 + 3 * 10)));

struct FileCase {
    const char* file;
    Measure want; // extents in plotter millimetres (y up), length
};

class FileGeometry : public testing::TestWithParam<FileCase> {};

TEST_P(FileGeometry, MatchesTheShapesDrawn)
{
    SvgImportOptions shapesOnly;
    shapesOnly.text = SvgText::Skip; // text has tests of its own
    const auto drawing = importSvg(svgFile(GetParam().file), shapesOnly);
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    expectMeasure(measure(*drawing), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Features, FileGeometry,
    testing::Values(
        FileCase{"transforms.svg",
                 {10, 50 - 10 * std::sqrt(2.0), 90, 90, 80 + 40 + 10 * std::sqrt(2.0) + 20 / std::sqrt(3.0)}},
        FileCase{"path_commands.svg", {10, 2.5, 90, 90, 200 + 40 * pi + 2 * cubicArch + 4 * quadArch}},
        FileCase{"shapes.svg",
                 {10, 10, 190, 90,
                  120 + 80 + 10 * pi + 20 * pi + ellipse + 50 + 2 * std::sqrt(1000.0) + 40 + 2 * std::sqrt(1300.0)}},
        FileCase{"use.svg", {10, 10, 90, 100, 200}}, FileCase{"hidden.svg", {10, 10, 90, 90, 120}},
        FileCase{"no_size.svg", {0, 0, 25.4, 12.7, 76.2}}, FileCase{"layers.svg", {5, 20, 95, 95, 490 + 10 * pi}},
        FileCase{"drawing.svg", {40, 18, 190, 138, 484 + 30 * pi}}),
    [](const auto& p) { return stem(p.param.file); });

struct UnitCase {
    const char *width, *height;
    double widthMm, heightMm;
};

class DocumentSize : public testing::TestWithParam<UnitCase> {};

// units.svg frames its whole viewBox, so the frame is the page.
TEST_P(DocumentSize, FollowsWidthHeightAndUnits)
{
    std::string text = replaced(readText(svgFile("units.svg")), "WIDTH", GetParam().width);
    const auto drawing = importText(replaced(text, "HEIGHT", GetParam().height));
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    const double w = GetParam().widthMm, h = GetParam().heightMm;
    expectMeasure(measure(*drawing), {0, 0, w, h, 2 * (w + h)});
    EXPECT_NEAR(drawing->pageWidthMm, w, 1e-9);
    EXPECT_NEAR(drawing->pageHeightMm, h, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Units, DocumentSize,
                         testing::Values(UnitCase{"4in", "2in", 101.6, 50.8},
                                         UnitCase{"10.16cm", "5.08cm", 101.6, 50.8},
                                         UnitCase{"101.6mm", "50.8mm", 101.6, 50.8},
                                         UnitCase{"288pt", "144pt", 101.6, 50.8}, UnitCase{"24pc", "12pc", 101.6, 50.8},
                                         UnitCase{"384px", "192px", 101.6, 50.8}, UnitCase{"384", "192", 101.6, 50.8},
                                         UnitCase{"4in", "", 101.6, 50.8},
                                         UnitCase{"", "", 400 * 25.4 / 96, 200 * 25.4 / 96}));

struct AspectCase {
    const char* align;
    Measure want;
};

class AspectRatio : public testing::TestWithParam<AspectCase> {};

// A 20 x 20 viewBox framed on a 100 x 50 mm page; sliced frames are cut at the page.
TEST_P(AspectRatio, PlacesTheViewBox)
{
    const auto drawing = importText(replaced(readText(svgFile("view_box_alignment.svg")), "ALIGN", GetParam().align));
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    expectMeasure(measure(*drawing), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, AspectRatio,
    testing::Values(AspectCase{"", {25, 0, 75, 50, 200}}, AspectCase{"xMidYMid meet", {25, 0, 75, 50, 200}},
                    AspectCase{"xMinYMin", {0, 0, 50, 50, 200}}, AspectCase{"xMaxYMax meet", {50, 0, 100, 50, 200}},
                    AspectCase{"none", {0, 0, 100, 50, 300}}, AspectCase{"xMidYMid slice", {0, 0, 100, 50, 100}},
                    AspectCase{"xMinYMin slice", {0, 0, 100, 50, 200}}));

struct PlacementCase {
    int rotate;
    std::optional<std::pair<double, double>> fit;
    double pageW, pageH;
    std::pair<double, double> lineFrom, lineTo; // the line near the page's top, in mm
};

class Placement : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, KeepsThePageCornerAtTheOrigin)
{
    const PlacementCase& c = GetParam();
    SvgImportOptions options;
    options.rotateDegrees = c.rotate;
    options.fitMm = c.fit;
    const auto drawing = importSvg(svgFile("placement.svg"), options);
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    EXPECT_NEAR(drawing->pageWidthMm, c.pageW, 1e-9);
    EXPECT_NEAR(drawing->pageHeightMm, c.pageH, 1e-9);
    expectMeasure(
        measure(*drawing),
        {0, 0, c.pageW, c.pageH,
         2 * (c.pageW + c.pageH) + std::hypot(c.lineTo.first - c.lineFrom.first, c.lineTo.second - c.lineFrom.second)});
    ASSERT_EQ(drawing->strokes.size(), 2u);
    const auto& line = drawing->strokes[1].points;
    ASSERT_EQ(line.size(), 2u);
    EXPECT_EQ(line[0], std::pair(c.lineFrom.first * 40, c.lineFrom.second * 40));
    EXPECT_EQ(line[1], std::pair(c.lineTo.first * 40, c.lineTo.second * 40));
}

INSTANTIATE_TEST_SUITE_P(TurnAndFit, Placement,
                         testing::Values(PlacementCase{0, std::nullopt, 100, 50, {10, 45}, {30, 45}},
                                         PlacementCase{90, std::nullopt, 50, 100, {5, 10}, {5, 30}},
                                         PlacementCase{0, std::pair(50.0, 50.0), 50, 25, {5, 22.5}, {15, 22.5}},
                                         PlacementCase{0, std::pair(200.0, 200.0), 100, 50, {10, 45}, {30, 45}},
                                         PlacementCase{90, std::pair(25.0, 100.0), 25, 50, {2.5, 5}, {2.5, 15}}));

TEST(Layers, NumberedLayersChooseThePenInDocumentOrder)
{
    const auto drawing = importSvg(svgFile("layers.svg"));
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    std::vector<int> pens;
    for (const PlotStroke& s : drawing->strokes)
        pens.push_back(s.pen);
    EXPECT_EQ(pens, (std::vector<int>{1, 1, 2, 2, 3, 1, 1}));
}

// The same document without numbered layers (so without pen markers) draws the same points.
TEST(Layers, PenMarkersDoNotMoveStrokes)
{
    const std::string text = readText(svgFile("layers.svg"));
    const auto layered = importText(text);
    const auto whole = importText(replaced(text, "inkscape:label=\"", "inkscape:label=\"x")); // no numbers
    ASSERT_TRUE(layered.ok() && whole.ok());
    ASSERT_EQ(layered->strokes.size(), whole->strokes.size());
    for (std::size_t i = 0; i < whole->strokes.size(); ++i) {
        EXPECT_EQ(whole->strokes[i].pen, 1);
        EXPECT_EQ(layered->strokes[i].points, whole->strokes[i].points) << "stroke " << i;
    }
}

class Flattening : public testing::TestWithParam<double> {};

// A circle of r = 50 mm: every chord's midpoint lies within the tolerance of the circle
// (plus the cubic circle's 0.014 mm and rounding to 0.025 mm), with no more than twice
// the chords the tolerance strictly needs.
TEST_P(Flattening, ChordErrorStaysWithinTheTolerance)
{
    SvgImportOptions options;
    options.toleranceMm = GetParam();
    const auto drawing = importText(R"(<svg xmlns="http://www.w3.org/2000/svg" width="120mm" height="120mm"
        viewBox="0 0 120 120"><circle cx="60" cy="60" r="50" stroke="black" fill="none"/></svg>)",
                                    options);
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    ASSERT_EQ(drawing->strokes.size(), 1u);
    const auto& points = drawing->strokes[0].points;
    double worst = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const double mx = (points[i].first + points[i - 1].first) / 80 - 60,
                     my = (points[i].second + points[i - 1].second) / 80 - 60;
        worst = std::max(worst, 50 - std::hypot(mx, my));
    }
    EXPECT_LE(worst, GetParam() + 0.014 + 0.018);
    const double needed = pi / std::acos(1 - GetParam() / 50);
    EXPECT_LE(double(points.size() - 1), 2 * needed);
}

INSTANTIATE_TEST_SUITE_P(Tolerances, Flattening, testing::Values(0.01, 0.05, 0.2, 1.0));

TEST(Notes, SayWhatWasLeftOut)
{
    const auto drawing = importSvg(svgFile("drawing.svg"));
    ASSERT_TRUE(drawing.ok());
    ASSERT_EQ(drawing->notes.size(), 2u);
    EXPECT_NE(drawing->notes[0].find("1 text element"), std::string::npos);
    EXPECT_NE(drawing->notes[1].find("2 metadata element"), std::string::npos); // namedview, metadata
}

} // namespace
} // namespace orlex::test

namespace orlex::test {
namespace {

// 2 layers of 12,000 lines of 1 mm: more than the import draws at once, so it is drawn in
// parts; a <use> in the second layer refers to a line in the first.
std::string twoLargeLayers(const std::string& style)
{
    std::string text =
        R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:inkscape="http://www.inkscape.org/namespaces/inkscape")"
        R"( width="100mm" height="100mm" viewBox="0 0 100 100"><style>)"
        + style + "</style>";
    for (int layer = 1; layer <= 2; ++layer) {
        text += "<g inkscape:groupmode=\"layer\" inkscape:label=\"" + std::to_string(layer) + "\">";
        for (int i = 0; i < 12000; ++i)
            text += "<line id=\"l" + std::to_string(layer) + "_" + std::to_string(i) + "\" x1=\""
                    + std::to_string(layer * 10) + "\" y1=\"" + std::to_string(i % 90 + 5) + "\" x2=\""
                    + std::to_string(layer * 10 + 1) + "\" y2=\"" + std::to_string(i % 90 + 5)
                    + "\" stroke=\"black\"/>";
        if (layer == 2)
            text += R"(<use href="#l1_0" x="50"/>)";
        text += "</g>";
    }
    return text + "</svg>";
}

TEST(LargeDrawing, DrawnInPartsKeepsOrderPensAndReferences)
{
    const auto parts = importText(twoLargeLayers(""));
    // Sibling selectors would match otherwise in parts: such a document is drawn whole.
    const auto whole = importText(twoLargeLayers("line + line { stroke-width: 1 }"));
    ASSERT_TRUE(parts.ok() && whole.ok()) << parts.message() << whole.message();
    ASSERT_EQ(parts->strokes.size(), 24001u);
    EXPECT_EQ(parts->strokes[11999].pen, 1);
    EXPECT_EQ(parts->strokes[12000].pen, 2);
    EXPECT_EQ(parts->strokes.back().points.front(), std::pair(60.0 * 40, 95.0 * 40)); // the <use>, 50 mm right
    ASSERT_EQ(whole->strokes.size(), parts->strokes.size());
    for (std::size_t i = 0; i < whole->strokes.size(); ++i)
        ASSERT_EQ(whole->strokes[i].points, parts->strokes[i].points) << i;
}

} // namespace
} // namespace orlex::test
