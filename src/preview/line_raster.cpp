// A digital differential analyser along the longer axis: every whole position from one
// end to the other gets one pixel, and the position across is
// floor((base + i * step) / denominator) at the i-th, kept as quotient and remainder so
// that it is exact at any length. Rising lines are sampled half a pixel in, falling ones
// at the pixel's edge. Lines up to 1024 pixels use the increment Qt's cosmetic stroker
// uses, truncated to 16 fraction bits, so the preview looks as it did when Qt drew it;
// longer ones (only ever clipped ones) use the exact slope, so that no error builds up
// along them.
#include "preview/line_raster.h"

#include <algorithm>
#include <cstdlib>

namespace orlex {

namespace {

constexpr std::int64_t kShortLine = 1024;
constexpr int kFractionBits = 16;
constexpr std::int64_t kOne = std::int64_t{1} << kFractionBits;

// Rounds towards minus infinity; b > 0. Short lines, nearly all of them, divide by kOne,
// which needs no division.
std::int64_t floorDivide(std::int64_t a, std::int64_t b)
{
    if (b == kOne)
        return a >> kFractionBits;
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

// Across position of the i-th pixel of a line: floor((base + i * step) / denominator).
struct Ramp {
    std::int64_t base, step, denominator;
};

// For a line that starts at minor position n and moves dn across while it moves dm >= 0
// along. With ends within kMaxLineCoordinate no product exceeds 2^61.
Ramp rampOf(std::int64_t n, std::int64_t dm, std::int64_t dn)
{
    if (dm <= kShortLine) {
        // Truncated towards zero; it fits 32 bits, whose division is the quicker.
        const std::int64_t increment =
            dm == 0 ? 0 : static_cast<std::int32_t>(dn * kOne) / static_cast<std::int32_t>(dm);
        return {n * kOne + (increment > 0 ? increment - (increment >> 1) : 0), increment, kOne};
    }
    return {2 * dm * n + (dn > 0 ? dn : 0), 2 * dn, 2 * dm};
}

} // namespace

PixelBox drawPixelLine(const PixelBuffer& buffer, std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                       std::uint32_t colour)
{
    const bool xMajor = std::llabs(x2 - x1) >= std::llabs(y2 - y1);
    // Major axis m, minor axis n, walked towards growing m.
    std::int64_t m = xMajor ? x1 : y1;
    std::int64_t n = xMajor ? y1 : x1;
    std::int64_t dm = xMajor ? x2 - x1 : y2 - y1;
    std::int64_t dn = xMajor ? y2 - y1 : x2 - x1;
    if (dm < 0) {
        m += dm;
        n += dn;
        dm = -dm;
        dn = -dn;
    }
    const Ramp ramp = rampOf(n, dm, dn);

    const int majorSize = xMajor ? buffer.width : buffer.height;
    const int minorSize = xMajor ? buffer.height : buffer.width;
    const std::ptrdiff_t majorStep = xMajor ? 1 : buffer.stride;
    const std::ptrdiff_t minorStep = xMajor ? buffer.stride : 1;
    // Only the part of the line whose major position lies inside the buffer is walked.
    const std::int64_t first = std::max<std::int64_t>(0, -m);
    const std::int64_t last = std::min<std::int64_t>(dm, majorSize - 1 - m);
    if (first > last)
        return {};

    std::uint32_t* const pixels = buffer.pixels;
    std::int64_t firstDrawn = first, lastDrawn = last, acrossFirst = 0, acrossLast = 0;
    // The position across never leaves the range between the two ends' positions, so when
    // both lie inside, so does every pixel. That is nearly every line of a plot: a plain
    // fixed-point walk, nothing checked.
    if (ramp.denominator == kOne && std::min(n, n + dn) >= 0 && std::max(n, n + dn) < minorSize) {
        std::uint32_t* pixel = pixels + (m + first) * majorStep;
        std::int64_t position = ramp.base + first * ramp.step;
        acrossFirst = position >> kFractionBits;
        for (std::int64_t i = first; i <= last; ++i, pixel += majorStep, position += ramp.step)
            pixel[(position >> kFractionBits) * minorStep] = colour;
        acrossLast = (ramp.base + last * ramp.step) >> kFractionBits;
    } else {
        // Position across as quotient and remainder, exact at any length.
        const std::int64_t stepAcross = floorDivide(ramp.step, ramp.denominator);
        const std::int64_t stepRest = ramp.step - stepAcross * ramp.denominator;
        std::int64_t across = floorDivide(ramp.base + first * ramp.step, ramp.denominator);
        std::int64_t rest = ramp.base + first * ramp.step - across * ramp.denominator;
        firstDrawn = -1;
        for (std::int64_t i = first; i <= last; ++i) {
            if (across >= 0 && across < minorSize) {
                pixels[(m + i) * majorStep + across * minorStep] = colour;
                if (firstDrawn < 0) {
                    firstDrawn = i;
                    acrossFirst = across;
                }
                lastDrawn = i;
                acrossLast = across;
            }
            across += stepAcross;
            rest += stepRest;
            if (rest >= ramp.denominator) {
                rest -= ramp.denominator;
                ++across;
            }
        }
        if (firstDrawn < 0)
            return {};
    }

    const auto majorLow = static_cast<int>(m + firstDrawn);
    const auto majorHigh = static_cast<int>(m + lastDrawn);
    const auto minorLow = static_cast<int>(std::min(acrossFirst, acrossLast));
    const auto minorHigh = static_cast<int>(std::max(acrossFirst, acrossLast));
    if (xMajor)
        return {majorLow, minorLow, majorHigh, minorHigh};
    return {minorLow, majorLow, minorHigh, majorHigh};
}

} // namespace orlex
