// The k-d tree's answers equal a scan of all points, while points are being removed.
#include "plan/point_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>

namespace orlex {
namespace {

double squared(Position a, Position b)
{
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
}

class PointTreeScan : public ::testing::TestWithParam<unsigned> {};

TEST_P(PointTreeScan, NearestRemainingPoint)
{
    std::mt19937 rng(GetParam());
    std::uniform_int_distribution<int> grid(0, 30); // many equal points and equal distances
    std::vector<TreePoint> points(1 + rng() % 300);
    for (auto& p : points)
        p = {{double(grid(rng)), double(grid(rng))}, 0};
    PointTree tree(points);
    std::vector<bool> gone(points.size(), false);
    for (std::size_t left = points.size(); left > 0; --left) {
        const Position at{double(grid(rng)), double(grid(rng))};
        double best = 1e300;
        for (std::size_t i = 0; i < points.size(); ++i)
            if (!gone[i])
                best = std::min(best, squared(at, points[i].at));
        const auto found = tree.nearest(at);
        ASSERT_TRUE(found);
        ASSERT_FALSE(gone[*found]);
        ASSERT_EQ(squared(at, points[*found].at), best);
        gone[*found] = true;
        tree.remove(*found);
    }
    EXPECT_FALSE(tree.nearest({0, 0}));
}

TEST_P(PointTreeScan, NearestOfOtherOwners)
{
    std::mt19937 rng(GetParam());
    std::uniform_real_distribution<double> place(-500, 500);
    std::vector<TreePoint> points(1 + rng() % 300);
    for (auto& p : points)
        p = {{place(rng), place(rng)}, static_cast<std::uint32_t>(rng() % 40)};
    const PointTree tree(points);
    for (int query = 0; query < 20; ++query) {
        const Position at{place(rng), place(rng)};
        const std::uint32_t skip = rng() % 40;
        std::vector<std::size_t> all(points.size());
        for (std::size_t i = 0; i < all.size(); ++i)
            all[i] = i;
        std::sort(all.begin(), all.end(),
                  [&](auto a, auto b) { return squared(at, points[a].at) < squared(at, points[b].at); });
        std::vector<std::size_t> expected;
        std::map<std::uint32_t, int> perOwner;
        for (const std::size_t i : all)
            if (points[i].owner != skip && expected.size() < 10 && ++perOwner[points[i].owner] <= 2)
                expected.push_back(i);
        EXPECT_EQ(tree.nearestOfOthers(at, 10, skip, 2), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, PointTreeScan, ::testing::Range(1u, 21u));

} // namespace
} // namespace orlex
