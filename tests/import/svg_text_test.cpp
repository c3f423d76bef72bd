// Text in a single-stroke face: where its letters land by anchor, transform, positions
// and styles (worked from the face's own "H": advance 22, ink from x 4 to 18 and from the
// baseline to 21 units up, 32 units to the em), what the notes say, and the strokes of a
// sample drawing against a golden copy.
#include "import/svg_chunks.h"
#include "import/svg_renderer.h"
#include "import_test_support.h"
#include "run/prepared_plot.h"

namespace orlex::test {
namespace {

struct TextCase {
    const char* name;
    std::string body;
    Measure box;           // pen-down extents in mm, y up from the page's bottom (length unused)
    std::string says = ""; // a note that must be there
};

// 32 px letters on a 100 x 100 mm page whose user unit is 1 mm: one font unit is 1 mm.
std::string text(const char* attributes, const char* content = "H")
{
    const bool placed = std::string(" ").append(attributes).find(" x=") != std::string::npos;
    return std::string(R"(<text y="50" font-size="32" font-family="sans-serif" )") + (placed ? "" : "x=\"50\" ")
           + attributes + ">" + content + "</text>";
}

class TextPlacement : public testing::TestWithParam<TextCase> {};

TEST_P(TextPlacement, PutsTheLettersWhereTheirPositionsSay)
{
    const auto drawing = importText(R"(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="100mm" )"
                                    R"(viewBox="0 0 100 100">)"
                                    + GetParam().body + "</svg>");
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    const Measure m = measure(*drawing);
    const Measure& want = GetParam().box;
    EXPECT_NEAR(m.minX, want.minX, 0.05);
    EXPECT_NEAR(m.maxX, want.maxX, 0.05);
    EXPECT_NEAR(m.minY, want.minY, 0.05);
    EXPECT_NEAR(m.maxY, want.maxY, 0.05);
    std::string notes;
    for (const std::string& note : drawing->notes)
        notes += note + "|";
    EXPECT_NE(notes.find(GetParam().says), std::string::npos) << notes;
}

INSTANTIATE_TEST_SUITE_P(
    Anchors, TextPlacement,
    testing::Values(TextCase{"start", text(""), {54, 50, 68, 71}, "1 text element(s) drawn in a single-stroke font"},
                    TextCase{"middle", text(R"(text-anchor="middle")"), {43, 50, 57, 71}},
                    TextCase{"end", text(R"(text-anchor="end")"), {32, 50, 46, 71}},
                    // Each absolute x starts a chunk of its own.
                    TextCase{"x_list_end", text(R"(x="50 90" text-anchor="end")", "HH"), {32, 50, 86, 71}}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Transforms, TextPlacement,
    testing::Values(
        // A quarter turn about the start: along the text is down the page.
        TextCase{"rotated_start", text(R"s(transform="rotate(90 50 50)")s"), {50, 32, 71, 46}},
        TextCase{"rotated_end", text(R"s(transform="rotate(90 50 50)" text-anchor="end")s"), {50, 54, 71, 68}},
        TextCase{"moved_and_halved", text(R"s(transform="translate(10 0) scale(0.5)")s"), {37, 75, 44, 85.5}},
        TextCase{"in_a_turned_group", "<g transform=\"rotate(180 50 50)\">" + text("") + "</g>", {32, 29, 46, 50}}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    PositionsAndStyles, TextPlacement,
    testing::Values(
        TextCase{"tspan_dx_dy", text(R"(x="10")", R"(H<tspan dx="10" dy="-10">H</tspan>)"), {14, 50, 60, 81}},
        TextCase{"tspan_own_x", text(R"(x="10")", R"(H<tspan x="70">H</tspan>)"), {14, 50, 88, 71}},
        TextCase{"letter_spacing", text(R"(x="10" style="letter-spacing:5px")", "HH"), {14, 50, 55, 71}},
        // Spaces run together, and those at the ends go.
        TextCase{"spaces", text(R"(x="10")", "  H \n   H  "), {14, 50, 66, 71}},
        // A fixed advance of 0.6 em: the glyph is centred on 19.2 units.
        TextCase{"monospace", text(R"(style="font-family:monospace")"), {52.6, 50, 66.6, 71}},
        TextCase{"size_from_a_style_sheet",
                 "<style>.big { font-size: 64px }</style>" + text(R"(class="big")"),
                 {58, 50, 86, 92}},
        TextCase{"size_and_anchor_inherited",
                 R"(<g font-size="16" text-anchor="end"><text x="50" y="50" font-family="sans-serif">H</text></g>)",
                 {41, 50, 48, 60.5}},
        TextCase{
            "hidden_tspan_takes_no_room", text(R"(x="10")", R"(H<tspan display="none">HH</tspan>H)"), {14, 50, 50, 71}},
        TextCase{"character_not_in_the_face",
                 text(R"(x="10")", "H\u4e2dH"),
                 {14, 50, 66, 71},
                 "1 text element(s) drawn in a single-stroke font; 1 character(s) not in it left out"},
        TextCase{"text_on_a_path_left_out",
                 R"(<path id="p" d="M0 0H100"/>)" + text("", R"(H<textPath href="#p">on a path</textPath>)"),
                 {54, 50, 68, 71},
                 "1 text(s) on a path (textPath) left out"}),
    [](const auto& p) { return std::string(p.param.name); });

// A text that has neither fill nor stroke is not drawn, one drawn in its fill's colour is.
TEST(TextPaint, UnseenTextIsNotDrawn)
{
    const std::string page = R"(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="100mm">)";
    EXPECT_FALSE(importText(page + R"(<text x="5" y="50" fill="none">H</text></svg>)").ok());
    EXPECT_FALSE(importText(page + R"(<text x="5" y="50" visibility="hidden">H</text></svg>)").ok());
    EXPECT_TRUE(importText(page + R"(<text x="5" y="50" fill="red" stroke="none">H</text></svg>)").ok());
    EXPECT_TRUE(importText(page + R"(<text x="5" y="50" fill="none" stroke="blue">H</text></svg>)").ok());
}

TEST(TextOption, SkipLeavesTextOutAsBefore)
{
    SvgImportOptions skip;
    skip.text = SvgText::Skip;
    const auto drawing = importText(R"(<svg xmlns="http://www.w3.org/2000/svg" width="100mm" height="100mm">)"
                                    R"(<text x="5" y="50">Hello</text><path d="M0 0H50" stroke="black"/></svg>)",
                                    skip);
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    EXPECT_NEAR(measure(*drawing).length, 50 * 25.4 / 96, 0.01);
    EXPECT_EQ(drawing->notes.front(), "1 text element(s) left out; convert text to paths to plot it");
}

// The sample's strokes as HPGL, to the byte: faces by family, weight and style, anchors,
// tspans, a transform, a style sheet and a clipping path. To take a deliberate change:
// orlex-plotter-cli convert tests/data/svg/text.svg -o tests/data/svg/text.plt
TEST(TextGolden, SampleDrawsItsStrokes)
{
    const auto drawing = importSvg(svgFile("text.svg"));
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    const auto hpgl = drawingHpgl(*drawing);
    ASSERT_TRUE(hpgl.ok());
    EXPECT_TRUE(*hpgl == readText(svgFile("text.plt"))) << "the strokes of text.svg changed";
}

// A document drawn in parts draws what it draws whole, in the same order, with what the
// parts share (a definition used in several) in each.
TEST(DrawnInParts, DrawsWhatTheWholeDraws)
{
    std::string svg = R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink">)"
                      R"(<defs><path id="d" d="M0 0L5 5" stroke="black" fill="none"/></defs><g fill="none">)";
    for (int i = 0; i < 12; ++i)
        svg += "<g><path d=\"M" + std::to_string(i) + " 0V9\" stroke=\"black\"/><use xlink:href=\"#d\" x=\""
               + std::to_string(i) + "\"/></g>";
    svg += "</g></svg>";
    const RenderRequest request{QSizeF(100, 100), 1, 0.05, 1000};
    const auto whole = renderStrokes(QByteArray::fromStdString(svg), request);
    ASSERT_TRUE(whole.ok()) << whole.message();
    std::vector<MmStroke> inParts;
    int parts = 0;
    forEachChunk(QByteArray::fromStdString(svg), 6, [&](const QByteArray& part) {
        ++parts;
        const auto drawn = renderStrokes(part, request);
        EXPECT_TRUE(drawn.ok()) << drawn.message();
        if (drawn.ok())
            inParts.insert(inParts.end(), drawn->strokes.begin(), drawn->strokes.end());
        return true;
    });
    EXPECT_GT(parts, 3);
    ASSERT_EQ(inParts.size(), whole->strokes.size());
    for (std::size_t i = 0; i < inParts.size(); ++i)
        EXPECT_EQ(inParts[i].points, whole->strokes[i].points) << i;
}

} // namespace
} // namespace orlex::test
