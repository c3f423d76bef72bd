// One-pixel straight lines written straight into a 32-bit image buffer: the preview draws
// a million of them per plot, far faster this way than through a general paint engine.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orlex {

// Rows of 32-bit pixels, `stride` pixels apart, `width` x `height` of them in use.
struct PixelBuffer {
    std::uint32_t* pixels = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

// A rectangle of pixels, both corners included; empty when right < left.
struct PixelBox {
    int left = 0, top = 0, right = -1, bottom = -1;
    bool empty() const { return right < left; }
};

// Coordinates of line ends may lie this far outside the buffer and no further.
inline constexpr std::int64_t kMaxLineCoordinate = std::int64_t{1} << 28;

// Sets the pixels of the straight line from (x1, y1) to (x2, y2), both ends included, to
// `colour`, and returns the box of the pixels it wrote. The pixels are those Qt's raster
// engine draws for a one-pixel cosmetic line between the same whole-pixel points; a line
// that leaves the buffer keeps, inside it, exactly the pixels it would have had there,
// as the ends are never moved by clipping.
PixelBox drawPixelLine(const PixelBuffer& buffer, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                       std::uint32_t colour);

} // namespace orlex
