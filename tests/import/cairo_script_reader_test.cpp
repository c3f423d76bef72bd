// The cairo script reader on small scripts of the kind librsvg makes cairo write, with the
// strokes that reach the page worked out by hand (4 device units per mm).
#include "import/cairo_script_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex {
namespace {

constexpr const char* kPage = "<< /content //COLOR_ALPHA /width 400 /height 400 >> surface context\n";

struct ScriptCase {
    const char* name;
    std::string script;                        // after the page's surface and context
    std::vector<std::vector<QPointF>> strokes; // mm; empty with `error` set: refused
    std::vector<int> pens = {};
    const char* error = nullptr;
};

class ScriptReader : public testing::TestWithParam<ScriptCase> {};

// The script is fed one byte at a time, so every token is split across pieces somewhere.
TEST_P(ScriptReader, KeepsTheStrokesThatReachThePage)
{
    const ScriptCase& c = GetParam();
    CairoScriptReader reader({4, 0.05, 1000});
    const std::string text = std::string("%!CairoScript\n") + kPage + c.script;
    bool fed = true;
    for (char ch : text)
        fed = fed && reader.feed(&ch, 1);
    const bool finished = fed && reader.finish();
    if (c.error != nullptr) {
        EXPECT_FALSE(finished);
        EXPECT_NE(reader.error().find(c.error), std::string::npos) << reader.error();
        return;
    }
    ASSERT_TRUE(finished) << reader.error();
    const auto& strokes = reader.strokes();
    ASSERT_EQ(strokes.size(), c.strokes.size());
    for (std::size_t i = 0; i < strokes.size(); ++i) {
        EXPECT_EQ(strokes[i].points, c.strokes[i]) << "stroke " << i;
        if (!c.pens.empty()) {
            EXPECT_EQ(strokes[i].pen, c.pens[i]) << "stroke " << i;
        }
    }
}

const std::vector<QPointF> kLine = {{1, 2}, {3, 2}}; // "n 4 8 m 12 8 l"

INSTANTIATE_TEST_SUITE_P(
    Scripts, ScriptReader,
    testing::Values(
        ScriptCase{"plain_stroke", "0 g set-source n 4 8 m 12 8 l 1 set-line-width stroke+\n", {kLine}},
        ScriptCase{"rectangle_and_close",
                   "n 0 0 8 4 rectangle stroke+ n 0 0 m 4 0 l 4 4 l h stroke+\n",
                   {{{0, 0}, {2, 0}, {2, 1}, {0, 1}, {0, 0}}, {{0, 0}, {1, 0}, {1, 1}, {0, 0}}}},
        ScriptCase{"fill_and_clip_draw_nothing", "n 4 8 m 12 8 l fill+ clip+ reset-clip\n", {}},
        ScriptCase{"transparent_colour", "0 0 0 0 rgba set-source n 4 8 m 12 8 l stroke+\n", {}},
        ScriptCase{
            "transparent_gradient",
            "0 0 1 0 linear 0 1 0 0 0 add-color-stop 1 0 0 1 0 add-color-stop set-source n 4 8 m 12 8 l stroke+\n",
            {}},
        ScriptCase{"half_transparent_gradient",
                   "0 0 1 0 linear 0 1 0 0 0.5 add-color-stop set-source n 4 8 m 12 8 l stroke+\n",
                   {kLine}},
        // A group drawn on its own surface reaches the page when painted, unless with 0 opacity.
        ScriptCase{"group_painted",
                   "dup 400 400 //COLOR_ALPHA similar dup /s2 exch def context\n"
                   "n 4 8 m 12 8 l stroke+ pop s2 pattern set-source paint /s2 undef\n",
                   {kLine}},
        ScriptCase{"group_with_half_opacity",
                   "dup 400 400 //COLOR_ALPHA similar dup /s2 exch def context\n"
                   "n 4 8 m 12 8 l stroke+ pop s2 pattern set-source 0.5 a mask /s2 undef\n",
                   {kLine}},
        ScriptCase{"group_with_zero_opacity",
                   "dup 400 400 //COLOR_ALPHA similar dup /s2 exch def context\n"
                   "n 4 8 m 12 8 l stroke+ pop s2 pattern set-source 0 a mask /s2 undef\n",
                   {}},
        ScriptCase{"group_never_painted",
                   "dup 400 400 //COLOR_ALPHA similar dup /s2 exch def context n 4 8 m 12 8 l stroke+ pop /s2 undef\n",
                   {}},
        // A pattern tile's strokes are not drawn; the stroke painted with the pattern is.
        ScriptCase{"pattern_tile",
                   "dup 40 40 //COLOR_ALPHA similar dup /s3 exch def context n 0 0 m 40 40 l stroke+ pop\n"
                   "s3 pattern //EXTEND_REPEAT set-extend set-source n 4 8 m 12 8 l stroke+ /s3 undef\n",
                   {kLine}},
        // A shape filled with a pattern: the tile's line (y 20 of a 40-unit tile) in every
        // tile the shape touches, cut to the shape; the matrix takes device y 10 to tile y 0.
        ScriptCase{"pattern_fill",
                   "dup 40 40 //COLOR_ALPHA similar dup /s3 exch def context n 0 20 m 40 20 l stroke+ pop\n"
                   "s3 pattern [1 0 0 1 0 -10] set-matrix //EXTEND_REPEAT set-extend set-source\n"
                   "n 0 0 m 60 0 l 60 40 l 0 40 l h fill+ /s3 undef\n",
                   {{{0, 7.5}, {10, 7.5}}, {{10, 7.5}, {15, 7.5}}}},
        // Tile numbers past 2^53 are counted in integers (the line comes out squeezed to a
        // point by the rounding of such coordinates, but it comes out).
        ScriptCase{"pattern_fill_far_from_the_origin",
                   "dup 40 40 //COLOR_ALPHA similar dup /s3 exch def context n 0 20 m 40 20 l stroke+ pop\n"
                   "s3 pattern [1 0 0 1 4e18 0] set-matrix //EXTEND_REPEAT set-extend set-source\n"
                   "n 0 0 m 60 0 l 60 40 l 0 40 l h fill+ /s3 undef\n",
                   {{{0, 5}, {0, 5}}}},
        // The stack words cairo writes when it goes back to a context deeper down.
        ScriptCase{"exch_index_roll_and_target",
                   "dup 400 400 //COLOR_ALPHA similar dup /s2 exch def context\n"
                   "exch n 4 8 m 12 8 l stroke+\n"                    // on the page
                   "exch 1 index /target get exch pop /s9 exch def\n" // s9: the page
                   "2 -1 roll n 4 8 m 12 8 l stroke+ pop\n"           // on the page
                   "s9 context n 4 8 m 12 8 l stroke+\n",             // on the page
                   {kLine, kLine, kLine}},
        // A cubic from (0,0) to (12,0) with controls (4,0.5) and (8,0.5): its second
        // differences are 0.5 units, so ceil(sqrt(0.75 * 0.5 / 0.2)) = 2 chords at 0.05 mm,
        // through B(0.5) = (6, 0.375) units.
        ScriptCase{"curve_flattened", "n 0 0 m 4 0.5 8 0.5 12 0 c stroke+\n", {{{0, 0}, {1.5, 0.09375}, {3, 0}}}},
        ScriptCase{"pen_markers",
                   "0.309804 0.321569 0.007843 rgb set-source n 0 0 m 0 0 l stroke+\n"
                   "0 g set-source n 4 8 m 12 8 l stroke+\n"
                   "0.309804 0.321569 0.003922 rgb set-source n 0 0 m 0 0 l stroke+\n"
                   "0 g set-source n 4 8 m 12 8 l stroke+\n",
                   {kLine, kLine},
                   {2, 1}},
        ScriptCase{"strings_dicts_and_procedures_are_skipped",
                   "<< /source <~abc~> /data <|x)~y~> /s (a\\)b(c)) /h <0a1b> >> image pop\n"
                   "/f { 1 2 { 3 } } def n 4 8 m 12 8 l stroke+\n",
                   {kLine}},
        ScriptCase{"unknown_operation", "n 4 8 m show-glyphs\n", {}, {}, "\"show-glyphs\" is not understood"},
        ScriptCase{"missing_operand", "n 4 m\n", {}, {}, "operand is missing"},
        ScriptCase{"unbalanced_array", "] n\n", {}, {}, "unbalanced ]"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ScriptReaderLimits, TooManyPointsStopsTheReader)
{
    CairoScriptReader reader({4, 0.05, 3});
    const std::string text = std::string(kPage) + "n 0 0 m 4 0 l 8 0 l 12 0 l stroke+\n";
    EXPECT_FALSE(reader.feed(text.data(), text.size()) && reader.finish());
    EXPECT_TRUE(reader.overflowed());
}

TEST(ScriptReaderLimits, LargestCoordinateCountsControlPointsOfStrokesOnly)
{
    CairoScriptReader reader({4, 0.05, 0});
    const std::string text = std::string(kPage) + "n 0 0 m -900 5 8 8 4 0 c stroke+ n 0 0 m 5000 0 l fill+\n";
    ASSERT_TRUE(reader.feed(text.data(), text.size()) && reader.finish()) << reader.error();
    EXPECT_EQ(reader.largestCoordinate(), 900);
    EXPECT_TRUE(reader.strokes().empty()); // extents only
}

} // namespace
} // namespace orlex
