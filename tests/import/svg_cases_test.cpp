// Small SVG snippets with hand-worked strokes, grouped by what they check: hidden strokes,
// percentages, elements never drawn by themselves, whole drawings or refusals, what is left
// out, CSS selectors and coordinates far off the page.
#include "import_test_support.h"

namespace orlex::test {
namespace {

// A 100 x 100 mm page whose user unit is 1 mm, unless a case gives its own root attributes.
constexpr const char* kPage = R"(width="100mm" height="100mm" viewBox="0 0 100 100")";

struct SnippetCase {
    const char* name;
    std::string body;
    double lengthMm;       // pen-down length; < 0: the file is refused
    std::string says = ""; // a note that must be there, or for a refusal a part of its message
    const char* root = kPage;
    Error::Kind kind = Error::Kind::Failed;
};

std::string line(const char* attributes)
{
    return std::string(R"(<line x1="10" y1="20" x2="90" y2="20" stroke="black" )") + attributes + "/>";
}

// One visible 50 mm line, so that a case whose other strokes vanish still draws.
const std::string kVisible = R"(<line x1="10" y1="80" x2="60" y2="80" stroke="black"/>)";

// A path of n segments zig-zagging 1 mm up and down along 0.001 mm steps.
std::string longPath(int n)
{
    std::string d = "M0 50";
    for (int i = 1; i <= n; ++i)
        d += i % 2 ? " l0.001 1" : " l0.001 -1";
    return R"(<path fill="none" stroke="black" d=")" + d + R"("/>)";
}

// A 10 mm line used 4 times at each of `depth` levels: 4^depth lines on one spot.
std::string fanOut(int depth)
{
    std::string text = R"(<defs><line id="l0" x1="10" y1="10" x2="20" y2="10" stroke="black"/>)";
    for (int level = 1; level <= depth; ++level) {
        const std::string below = "#l" + std::to_string(level - 1);
        text += "<g id=\"l" + std::to_string(level) + "\">";
        for (int i = 0; i < 4; ++i)
            text += "<use href=\"" + below + "\"/>";
        text += "</g>";
    }
    return text + "</defs><use href=\"#l" + std::to_string(depth) + "\"/>";
}

// Shapes filled with a hatch: a 10 mm tile holding one line across it at y = 5 (drawn
// from x = -5 to 15, so the tile's edge cuts it), and `shapes` after it.
std::string hatch(const std::string& shapes, const char* patternAttributes = "")
{
    return std::string(R"(<defs><pattern id="h" width="10" height="10" patternUnits="userSpaceOnUse" )")
           + patternAttributes + R"(><line x1="-5" y1="5" x2="15" y2="5" stroke="black"/></pattern></defs>)" + shapes;
}

// A 0.5 mm hatch filling a polygon of `sides` sides inscribed in the page.
std::string fineHatchOverManySides(int sides)
{
    std::string d = "M100 50";
    for (int i = 1; i < sides; ++i)
        d += " L" + std::to_string(50 + 50 * std::cos(i * 2 * M_PI / sides)) + " "
             + std::to_string(50 + 50 * std::sin(i * 2 * M_PI / sides));
    return R"(<defs><pattern id="f" width="0.5" height="0.5" patternUnits="userSpaceOnUse">)"
           R"(<line x1="0" y1="0.1" x2="1" y2="0.1" stroke="black" stroke-width="0.01"/></pattern></defs>)"
           R"s(<path fill="url(#f)" d=")s"
           + d + R"(z"/>)";
}

class Snippet : public testing::TestWithParam<SnippetCase> {};

TEST_P(Snippet, DrawsWhatAViewerShows)
{
    const SnippetCase& c = GetParam();
    const std::string head = c.body.rfind("<!DOCTYPE", 0) == 0 ? c.body.substr(0, c.body.find("]>") + 2) : "";
    const auto drawing = importText(head + R"(<svg xmlns="http://www.w3.org/2000/svg" )"
                                    + R"(xmlns:xlink="http://www.w3.org/1999/xlink" )" + c.root + ">"
                                    + c.body.substr(head.size()) + "</svg>");
    if (c.lengthMm < 0) {
        ASSERT_FALSE(drawing.ok()) << c.name;
        EXPECT_NE(drawing.message().find(c.says), std::string::npos) << drawing.message();
        EXPECT_EQ(drawing.error().kind, c.kind);
        return;
    }
    ASSERT_TRUE(drawing.ok()) << drawing.message();
    EXPECT_NEAR(measure(*drawing).length, c.lengthMm, 0.002 * c.lengthMm + 0.05);
    std::string notes;
    for (const std::string& note : drawing->notes)
        notes += note + "|";
    EXPECT_NE(notes.find(c.says), std::string::npos) << notes;
}

INSTANTIATE_TEST_SUITE_P(
    HiddenStrokes, Snippet,
    testing::Values(
        SnippetCase{"opacity_zero", line(R"(opacity="0")") + kVisible, 50},
        SnippetCase{"stroke_opacity_zero", line(R"(stroke-opacity="0")") + kVisible, 50},
        SnippetCase{"stroke_opacity_negative", line(R"(stroke-opacity="-0.5")") + kVisible, 50},
        SnippetCase{"group_opacity_zero", "<g opacity=\"0\">" + line("") + "</g>" + kVisible, 50},
        SnippetCase{"nested_group_opacity_zero",
                    "<g opacity=\"0.5\"><g style=\"opacity:0\">" + line("") + "</g></g>" + kVisible, 50},
        SnippetCase{"stroke_transparent",
                    R"(<polygon points="0,0 100,0 100,100 0,100" fill="white" stroke="transparent"/>)" + kVisible, 50},
        SnippetCase{"zero_width", line(R"(stroke-width="0")") + kVisible, 50},
        SnippetCase{"gradient_on_zero_width",
                    R"(<linearGradient id="g"><stop offset="0" stop-color="red"/></linearGradient>)"
                        + line(R"(style='stroke:url(#g);stroke-width:0')") + kVisible,
                    50},
        SnippetCase{"gradient_fully_transparent",
                    R"(<linearGradient id="g"><stop offset="0" stop-opacity="0"/></linearGradient>)"
                        + line(R"(style='stroke:url(#g)')") + kVisible,
                    50},
        SnippetCase{"half_opacity_is_drawn", "<g opacity=\"0.5\">" + line("") + "</g>" + kVisible, 130}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Percentages, Snippet,
    testing::Values(
        // 50 % of a 300 px wide page is 150 px = 39.6875 mm.
        SnippetCase{"line_on_300px_page", R"(<line x1="0" y1="10" x2="50%" y2="10" stroke="black"/>)", 39.6875, "",
                    R"(width="300" height="150")"},
        SnippetCase{"rect", R"(<rect x="10%" y="10%" width="50%" height="25%" stroke="black" fill="none"/>)", 150},
        // Radii refer to the normalised diagonal: sqrt((100^2 + 50^2) / 2) = 79.057 mm.
        SnippetCase{"circle", R"(<circle cx="50" cy="25" r="10%" stroke="black" fill="none"/>)",
                    2 * 3.14159265 * 7.9057, "", R"(width="100mm" height="50mm" viewBox="0 0 100 50")"},
        SnippetCase{"ellipse_axes", R"(<ellipse cx="50" cy="50" rx="20%" ry="20%" stroke="black" fill="none"/>)",
                    2 * 3.14159265 * 20}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    NeverDrawnByThemselves, Snippet,
    testing::Values(
        SnippetCase{"clip_path_outside_defs",
                    R"(<clipPath id="c"><rect width="50" height="50" stroke="black"/></clipPath>)" + kVisible, 50},
        SnippetCase{"mask_outside_defs", R"(<mask id="m"><line x2="50" stroke="white"/></mask>)" + kVisible, 50},
        SnippetCase{"pattern_outside_defs",
                    R"(<pattern id="p" width="5" height="5"><line x2="5" stroke="black"/></pattern>)" + kVisible, 50},
        SnippetCase{"marker_outside_defs", R"(<marker id="k"><line x2="5" stroke="black"/></marker>)" + kVisible, 50},
        SnippetCase{"symbol_outside_defs", R"(<symbol id="s"><line x2="5" stroke="black"/></symbol>)" + kVisible, 50},
        // A marker is drawn where it is used: two 5 mm lines at the line's ends.
        SnippetCase{"marker_in_use",
                    R"(<marker id="k" markerUnits="userSpaceOnUse" markerWidth="10" markerHeight="10">)"
                    R"(<line x2="5" stroke="black"/></marker>)"
                        + line(R"(marker-start='url(#k)' marker-end='url(#k)')"),
                    90}),
    [](const auto& p) { return std::string(p.param.name); });

// A stroke under a clipping path, or an opaque mask, keeps what lies inside the clip's
// shape, by its rule, units and transform; the line across the page at y = 20 runs from
// x = 10 to 90.
INSTANTIATE_TEST_SUITE_P(
    Clips, Snippet,
    testing::Values(
        SnippetCase{"rectangle",
                    R"(<clipPath id="c"><rect width="50" height="50"/></clipPath>)" + line(R"(clip-path='url(#c)')"),
                    40},
        SnippetCase{"circle",
                    R"(<clipPath id="c"><circle cx="50" cy="20" r="15"/></clipPath>)" + line(R"(clip-path='url(#c)')"),
                    30},
        SnippetCase{"even_odd_hole",
                    R"(<clipPath id="c"><path d="M0 0H60V60H0z M20 0H40V60H20z" clip-rule="evenodd"/></clipPath>)"
                        + line(R"(clip-path='url(#c)')"),
                    30},
        SnippetCase{"non_zero_same_way",
                    R"(<clipPath id="c"><path d="M0 0H60V60H0z M20 0H40V60H20z"/></clipPath>)"
                        + line(R"(clip-path='url(#c)')"),
                    50},
        SnippetCase{"non_zero_opposite_way",
                    R"(<clipPath id="c"><path d="M0 0H60V60H0z M20 0V60H40V0z"/></clipPath>)"
                        + line(R"(clip-path='url(#c)')"),
                    30},
        SnippetCase{"transformed_child",
                    R"s(<clipPath id="c"><rect width="50" height="50" transform="translate(20 0)"/></clipPath>)s"
                        + line(R"(clip-path='url(#c)')"),
                    50},
        // Half the width of the diagonal's own box: half the diagonal.
        SnippetCase{"bounding_box_units",
                    R"(<clipPath id="c" clipPathUnits="objectBoundingBox"><rect width="0.5" height="1"/></clipPath>)"
                    R"s(<path d="M10 10L90 90" stroke="black" clip-path="url(#c)"/>)s",
                    40 * 1.41421356},
        SnippetCase{"group_with_opacity",
                    R"(<clipPath id="c"><rect width="50" height="50"/></clipPath>)"
                    R"s(<g clip-path="url(#c)" opacity="0.5">)s"
                        + line("") + "</g>",
                    40},
        SnippetCase{"clip_inside_a_clipped_group",
                    R"(<clipPath id="a"><rect width="50" height="50"/></clipPath>)"
                    R"(<clipPath id="b"><rect x="30" width="70" height="50"/></clipPath>)"
                    R"s(<g clip-path="url(#a)">)s"
                        + line(R"(clip-path='url(#b)')") + "</g>",
                    20},
        // An opaque mask is the outline of what it paints; any other is not applied, and said so.
        SnippetCase{"opaque_mask",
                    R"(<mask id="m"><rect width="50" height="50" fill="white"/></mask>)" + line(R"(mask='url(#m)')"),
                    40},
        SnippetCase{"opaque_mask_in_a_style",
                    R"(<mask id="m"><circle cx="50" cy="20" r="15" style="fill:#fff"/></mask>)"
                        + line(R"(style='mask:url(#m)')"),
                    30},
        SnippetCase{"opaque_mask_in_a_style_sheet",
                    R"(<style>line { mask: url(#m) }</style><mask id="m"><rect width="50" height="50" fill="white"/>)"
                    R"(</mask>)"
                        + line(""),
                    40},
        SnippetCase{"alpha_mask_of_any_colour",
                    R"(<mask id="m" mask-type="alpha"><rect width="50" height="50" fill="red"/></mask>)"
                        + line(R"(mask='url(#m)')"),
                    40},
        SnippetCase{"grey_mask_is_ignored",
                    R"(<mask id="m"><rect width="50" height="50" fill="#888"/></mask>)" + line(R"(mask='url(#m)')"), 80,
                    "1 mask(s) ignored"},
        SnippetCase{"mask_beside_a_clip_is_ignored",
                    R"(<clipPath id="c"><rect width="70" height="50"/></clipPath>)"
                    R"(<mask id="m"><rect width="50" height="50" fill="white"/></mask>)"
                        + line(R"(clip-path='url(#c)' mask='url(#m)')"),
                    60, "1 mask(s) ignored"},
        SnippetCase{"from_a_style_sheet",
                    R"(<style>line { clip-path: url(#c) }</style><clipPath id="c"><rect width="50" height="50"/>)"
                    R"(</clipPath>)"
                        + line(""),
                    40}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    WholeOrRefused, Snippet,
    testing::Values(
        // 40,000 segments of sqrt(1 + 0.001^2) mm each.
        SnippetCase{"path_of_40000_segments", longPath(40000), 40000 * 1.0000005},
        SnippetCase{"use_fan_out_4_deep", fanOut(4), 256 * 10.0},
        SnippetCase{"use_fan_out_12_deep", fanOut(12), -1, "more than 500,000 elements"},
        SnippetCase{"use_of_another_file", R"(<use href="other.svg#a"/>)", -1, "\"other.svg#a\" in <use>"},
        SnippetCase{"gradient_of_another_file", R"(<linearGradient id="g" href="x.svg#g"/>)", -1, "another file"},
        SnippetCase{"stroke_from_another_file", line(R"(style='stroke:url(x.svg#p)')"), -1, "another file"},
        SnippetCase{"stroke_from_another_file_in_a_sheet", "<style>line { stroke: url(x.svg#p) }</style>" + kVisible,
                    -1, "another file"}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    LeftOutWithANote, Snippet,
    testing::Values(
        // Style sheets of other files are not read: the drawing comes out with the rest.
        SnippetCase{"css_import", "<style>@import url(x.css); line { stroke-width: 2 }</style>" + kVisible, 50,
                    "1 style sheet(s) of other files not read"},
        SnippetCase{"style_sheet_instruction", "<?xml-stylesheet href=\"x.css\"?>" + kVisible, 50,
                    "1 style sheet(s) of other files not read"},
        // A stroke painted with a pattern whose tile is filled is seen, so it is drawn.
        SnippetCase{"stroke_of_a_filled_pattern",
                    R"s(<pattern id="p" width="100" height="100" patternUnits="userSpaceOnUse">)s"
                    R"s(<rect width="100" height="100" fill="lime"/></pattern>)s"
                    R"s(<line x1="10" y1="20" x2="90" y2="20" stroke="url(#p)" stroke-width="5"/>)s",
                    80},
        SnippetCase{"metadata_with_a_link",
                    R"(<d:testDescription xmlns:d="http://example.org/d" href="http://example.org/t"/>)" + kVisible, 50,
                    "1 metadata element(s) left out"},
        SnippetCase{"hyperlink", R"(<a href="https://example.org/">)" + line("") + "</a>" + kVisible, 130,
                    "1 link(s) not followed"},
        SnippetCase{"embedded_image",
                    R"(<image width="5" height="5" href="data:image/png;base64,iVBORw0KGgo="/>)" + kVisible, 50,
                    "1 image(s) left out"},
        SnippetCase{"linked_image", R"(<image width="5" height="5" xlink:href="photo.png"/>)" + kVisible, 50,
                    "1 image(s) left out"},
        SnippetCase{"filter",
                    R"(<filter id="f"><feGaussianBlur stdDeviation="2"/></filter>)" + line(R"(filter='url(#f)')"), 80,
                    "1 filter effect(s) ignored"},
        SnippetCase{"font", R"(<font><glyph d="M0 0L5 5"/></font>)" + kVisible, 50, "1 font definition(s) left out"},
        SnippetCase{"internal_entities_and_attlist",
                    R"(<!DOCTYPE svg [<!ENTITY st "stroke:black"><!ATTLIST svg xmlns:x CDATA #FIXED "urn:x">]>)"
                    R"(<line x1="10" y1="80" x2="60" y2="80" style="&st;"/>)",
                    50}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(
    CssSelectors, Snippet,
    testing::Values(
        SnippetCase{
            "not_keeps_later_rules",
            "<style>line:not(.x) { stroke-width: 2 } .y { stroke: black }</style>"
            R"(<line class="y" x1="10" y1="20" x2="90" y2="20"/><line class="x" x1="10" y1="30" x2="90" y2="30"/>)",
            80},
        SnippetCase{"attribute_selector",
                    R"(<style>[data-pen="1"] { stroke: black }</style>)"
                    R"(<line data-pen="1" x1="10" y1="20" x2="90" y2="20"/>)"
                    R"(<line data-pen="2" x1="10" y1="30" x2="90" y2="30"/>)",
                    80},
        SnippetCase{"structural_pseudo_classes",
                    "<style>g > line:nth-child(2n) { stroke: black } g > line:last-child { stroke: black }</style>"
                    R"(<g><line x1="0" y1="10" x2="10" y2="10"/><line x1="0" y1="20" x2="20" y2="20"/>)"
                    R"(<line x1="0" y1="30" x2="30" y2="30"/><line x1="0" y1="40" x2="40" y2="40"/>)"
                    R"(<line x1="0" y1="50" x2="50" y2="50"/></g>)",
                    20 + 40 + 50}),
    [](const auto& p) { return std::string(p.param.name); });

// A pattern's strokes are drawn inside the shape it fills, tile by tile, by the fill rule.
INSTANTIATE_TEST_SUITE_P(
    PatternFills, Snippet,
    testing::Values(
        SnippetCase{"square", hatch(R"s(<rect width="40" height="40" fill="url(#h)"/>)s"), 4 * 40},
        SnippetCase{"triangle", hatch(R"s(<path d="M0 0H40L0 40z" fill="url(#h)"/>)s"), 35 + 25 + 15 + 5},
        SnippetCase{"even_odd_hole",
                    hatch(R"s(<path d="M0 0H40V40H0z M10 10H30V30H10z" fill-rule="evenodd" fill="url(#h)"/>)s"),
                    40 + 20 + 20 + 40},
        SnippetCase{"non_zero_same_way", hatch(R"s(<path d="M0 0H40V40H0z M10 10H30V30H10z" fill="url(#h)"/>)s"),
                    4 * 40},
        SnippetCase{"turned",
                    hatch(R"s(<rect width="40" height="20" fill="url(#h)"/>)s", R"s(patternTransform="rotate(90)")s"),
                    4 * 20},
        SnippetCase{"from_a_style_sheet",
                    hatch(R"s(<style>.f { fill: url(#h) }</style><rect class="f" width="40" height="40"/>)s"), 4 * 40},
        SnippetCase{"own_colour_fill_inside_a_hatched_group",
                    hatch(R"s(<g fill="url(#h)"><rect width="40" height="40" fill="red"/></g>)s") + kVisible, 50},
        SnippetCase{"too_fine_to_lay_out", fineHatchOverManySides(8000), -1, "too fine"}),
    [](const auto& p) { return std::string(p.param.name); });

INSTANTIATE_TEST_SUITE_P(FarOffThePage, Snippet,
                         testing::Values(
                             // The page cut keeps what lies on the page, for any coordinates.
                             SnippetCase{"line_far_right", R"(<line x1="50" y1="50" x2="1e6" y2="50" stroke="black"/>)",
                                         50, "parts outside the page were cut off"},
                             SnippetCase{"control_point_at_2e22",
                                         R"(<path d="M10 10 Q 2.2e22 50 90 90" stroke="black" fill="none"/>)", -1,
                                         "more than 2 km from the page", kPage, Error::Kind::TooBig},
                             SnippetCase{"point_at_1e9", R"(<path d="M0 0 L 1e9 50" stroke="black"/>)" + kVisible, -1,
                                         "more than 2 km from the page", kPage, Error::Kind::TooBig}),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
} // namespace orlex::test
