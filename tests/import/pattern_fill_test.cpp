// Cutting a line to a filled shape, where the cut is easy to get wrong: through corners,
// along edges shared by neighbouring tiles, in and out of a concave shape, and by each
// fill rule where a shape overlaps itself.
#include "import/pattern_fill.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlex {
namespace {

const Polyline kSquare{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
const Polyline kU{{0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 10}, {10, 10}, {10, 30}, {0, 30}};
// Two squares drawn the same way round, overlapping between x 5 and 10.
const std::vector<Polyline> kOverlap{kSquare, {{5, 0}, {15, 0}, {15, 10}, {5, 10}}};

struct ClipCase {
    const char* name;
    Polyline line;
    std::vector<Polyline> rings;
    bool evenOdd;
    std::vector<Polyline> pieces;
};

void PrintTo(const ClipCase& c, std::ostream* os)
{
    *os << c.name;
}

class Clip : public testing::TestWithParam<ClipCase> {};

TEST_P(Clip, KeepsWhatLiesInside)
{
    const ClipCase& c = GetParam();
    const std::vector<Polyline> pieces = clipToShape(c.line, c.rings, c.evenOdd);
    ASSERT_EQ(pieces.size(), c.pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        ASSERT_EQ(pieces[i].size(), c.pieces[i].size()) << i;
        for (std::size_t k = 0; k < pieces[i].size(); ++k) {
            EXPECT_NEAR(pieces[i][k].x(), c.pieces[i][k].x(), 1e-9) << i << "/" << k;
            EXPECT_NEAR(pieces[i][k].y(), c.pieces[i][k].y(), 1e-9) << i << "/" << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Clip,
    testing::Values(
        ClipCase{"across", {{-5, 5}, {15, 5}}, {kSquare}, false, {{{0, 5}, {10, 5}}}},
        ClipCase{"corner_to_corner", {{-5, -5}, {15, 15}}, {kSquare}, false, {{{0, 0}, {10, 10}}}},
        ClipCase{"bent_inside", {{5, -5}, {5, 5}, {15, 5}}, {kSquare}, false, {{{5, 0}, {5, 5}, {10, 5}}}},
        // A tile edge belongs to one tile only, so a line on it is not drawn twice.
        ClipCase{"on_the_left_edge", {{0, -5}, {0, 15}}, {kSquare}, false, {{{0, 0}, {0, 10}}}},
        ClipCase{"on_the_right_edge", {{10, -5}, {10, 15}}, {kSquare}, false, {}},
        ClipCase{"through_a_u", {{-5, 20}, {35, 20}}, {kU}, false, {{{0, 20}, {10, 20}}, {{20, 20}, {30, 20}}}},
        ClipCase{"overlap_non_zero", {{-5, 5}, {20, 5}}, kOverlap, false, {{{0, 5}, {5, 5}, {10, 5}, {15, 5}}}},
        ClipCase{"overlap_even_odd", {{-5, 5}, {20, 5}}, kOverlap, true, {{{0, 5}, {5, 5}}, {{10, 5}, {15, 5}}}}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace orlex
