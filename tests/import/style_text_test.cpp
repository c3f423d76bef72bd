// CSS text as the pre-scan rewrites it: what is dropped, made none or refused.
#include "import/style_text.h"

#include <gtest/gtest.h>

namespace orlex {
namespace {

struct SheetCase {
    const char* sheet;
    const char* cleaned; // nullptr: refused
    LeftOut counted = {};
};

class StyleSheet : public testing::TestWithParam<SheetCase> {};

TEST_P(StyleSheet, IsRewrittenOrRefused)
{
    LeftOut counts;
    const auto cleaned = cleanStyleSheet(QString::fromUtf8(GetParam().sheet), counts);
    if (GetParam().cleaned == nullptr) {
        EXPECT_FALSE(cleaned.ok());
        return;
    }
    ASSERT_TRUE(cleaned.ok()) << cleaned.message();
    EXPECT_EQ(cleaned->toStdString(), GetParam().cleaned);
    EXPECT_EQ(counts.filters, GetParam().counted.filters);
    EXPECT_EQ(counts.masks, GetParam().counted.masks);
    EXPECT_EQ(counts.fonts, GetParam().counted.fonts);
}

LeftOut counted(int filters, int masks, int fonts)
{
    LeftOut c;
    c.filters = filters, c.masks = masks, c.fonts = fonts;
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, StyleSheet,
    testing::Values(SheetCase{".a { stroke: red; fill: blue }", ".a { stroke: red; fill:none}"},
                    SheetCase{".a{filter:url(#f);mask:url(#m)} .b{clip-path:url(#c)}",
                              ".a{filter:none;mask:none} .b{clip-path:url(#c)}", counted(1, 1, 0)},
                    // A selector that merely contains the word is left alone.
                    SheetCase{".filter:hover, .fill-x { stroke: black }", ".filter:hover, .fill-x { stroke: black }"},
                    SheetCase{"svg { overflow: hidden }", "svg { overflow:visible}"},
                    SheetCase{"/* fill: red */ .a { stroke: red }", " .a { stroke: red }"},
                    SheetCase{"@font-face { font-family: x; src: url(x.woff) } .a{}", " .a{}", counted(0, 0, 1)},
                    SheetCase{"@import url(other.css); .a{}", " .a{}"},
                    // A rule left open at the end of the sheet ends there.
                    SheetCase{".a{} @font-face { src: url(x.woff) format(\"woff\");", ".a{} ", counted(0, 0, 1)},
                    SheetCase{".a { fill: url(#hatch) }", ".a { fill: url(#hatch) }"},
                    SheetCase{".a { stroke: url(other.svg#g) }", nullptr},
                    SheetCase{".a { stroke: url(#g) }", ".a { stroke: url(#g) }"}));

TEST(StyleAttribute, DropsEffectsAndFills)
{
    LeftOut counts;
    EXPECT_EQ(cleanStyleAttribute(u"stroke:red;fill:#fff; filter:url(#f);mask:none;clip-path:url(#c)", counts),
              QStringLiteral("stroke:red;fill:none;filter:none;mask:none;clip-path:url(#c);"));
    EXPECT_EQ(counts.filters, 1);
    EXPECT_EQ(counts.masks, 0);
}

TEST(StyleAttribute, ExternalUrlsThatChangeTheDrawing)
{
    EXPECT_TRUE(hasDrawnExternalUrl(u"fill:red; stroke: url(x.svg#g)"));
    EXPECT_TRUE(hasDrawnExternalUrl(u"marker-end:url('m.svg#m')"));
    EXPECT_FALSE(hasDrawnExternalUrl(u"fill:url(x.svg#g); cursor:url(c.png)"));
    EXPECT_FALSE(hasDrawnExternalUrl(u"stroke:url( #g )"));
}

} // namespace
} // namespace orlex
