// Lines longer than the preview's own (ones that come from far outside it) keep, inside
// the buffer, exactly the pixels of the straight line between their ends: every major
// position gets the pixel the exact slope gives, and the returned box bounds them.
#include "preview/line_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace orlex {
namespace {

constexpr int kWidth = 60, kHeight = 40;

// floor(a / b) for b > 0, in 128 bits so no product can overflow.
__int128 floorDivide(__int128 a, __int128 b)
{
    return a / b - ((a % b != 0 && a < 0) ? 1 : 0);
}

// The same sampling as the canvas, from the exact slope: rising lines half a pixel in,
// falling ones at the pixel's edge.
std::vector<std::uint32_t> exactLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
{
    std::vector<std::uint32_t> pixels(kWidth * kHeight);
    const bool xMajor = std::llabs(x2 - x1) >= std::llabs(y2 - y1);
    const std::int64_t low = std::min(xMajor ? x1 : y1, xMajor ? x2 : y2);
    const std::int64_t dm = std::llabs(xMajor ? x2 - x1 : y2 - y1);
    const bool swapped = (xMajor ? x1 : y1) != low;
    const std::int64_t n = xMajor ? (swapped ? y2 : y1) : (swapped ? x2 : x1);
    const std::int64_t dn = (xMajor ? y2 - y1 : x2 - x1) * (swapped ? -1 : 1);
    // Only major positions inside the buffer can give pixels there.
    const std::int64_t majorSize = xMajor ? kWidth : kHeight;
    for (std::int64_t i = std::max<std::int64_t>(0, -low); i <= std::min(dm, majorSize - 1 - low); ++i) {
        const __int128 across = n + floorDivide(__int128{2 * i + (dn > 0 ? 1 : 0)} * dn, __int128{2} * dm);
        const __int128 x = xMajor ? low + i : across, y = xMajor ? across : low + i;
        if (x >= 0 && x < kWidth && y >= 0 && y < kHeight)
            pixels[static_cast<std::size_t>(y * kWidth + x)] = 1;
    }
    return pixels;
}

std::array<int, 4> corners(const PixelBox& box)
{
    return {box.left, box.top, box.right, box.bottom};
}

class LongLine : public ::testing::TestWithParam<std::int64_t> {};

TEST_P(LongLine, HasTheExactPixelsInsideAndTheirBox)
{
    std::mt19937_64 random(static_cast<std::uint64_t>(GetParam()));
    const auto wide = [&random](std::int64_t range) {
        return static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(2 * range + 1)) - range;
    };
    for (int line = 0; line < 300; ++line) {
        // Through a point of the buffer, ends up to the range away on both sides.
        const std::int64_t px = wide(kWidth), py = wide(kHeight), dx = wide(GetParam()), dy = wide(GetParam());
        const std::int64_t x1 = px - dx, y1 = py - dy, x2 = px + dx / 2, y2 = py + dy / 2;
        std::vector<std::uint32_t> pixels(kWidth * kHeight);
        const PixelBox box = drawPixelLine(PixelBuffer{pixels.data(), kWidth, kWidth, kHeight}, x1, y1, x2, y2, 1);
        ASSERT_EQ(pixels, exactLine(x1, y1, x2, y2)) << x1 << "," << y1 << " to " << x2 << "," << y2;
        PixelBox drawn;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (pixels[static_cast<std::size_t>(y * kWidth + x)] != 0)
                    drawn = drawn.empty() ? PixelBox{x, y, x, y}
                                          : PixelBox{std::min(drawn.left, x), std::min(drawn.top, y),
                                                     std::max(drawn.right, x), std::max(drawn.bottom, y)};
        ASSERT_EQ(box.empty(), drawn.empty());
        if (!drawn.empty()) {
            ASSERT_EQ(corners(box), corners(drawn));
        }
    }
}

// From just beyond the short-line length to the largest coordinates the canvas passes.
INSTANTIATE_TEST_SUITE_P(Lengths, LongLine,
                         ::testing::Values(std::int64_t{3000}, std::int64_t{1} << 20, kMaxLineCoordinate / 2));

} // namespace
} // namespace orlex
