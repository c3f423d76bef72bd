// Pixel loops for the virtual plotter view's frames.
#include "ui/frame_pixels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

namespace orlex::ui {

namespace {

// `colour` laid over `pixel` by coverage/256, channel by channel.
std::uint32_t mixed(std::uint32_t pixel, QRgb colour, int coverage)
{
    std::uint32_t result = 0xff000000u;
    for (const int shift : {16, 8, 0}) {
        const int p = static_cast<int>((pixel >> shift) & 0xff);
        const int c = static_cast<int>((colour >> shift) & 0xff);
        result |= static_cast<std::uint32_t>(p + (((c - p) * coverage) >> 8)) << shift;
    }
    return result;
}

// A premultiplied pixel laid over an opaque one.
std::uint32_t over(std::uint32_t pixel, std::uint32_t source)
{
    const std::uint32_t alpha = source >> 24;
    if (alpha == 255)
        return source;
    std::uint32_t result = 0xff000000u;
    for (const int shift : {16, 8, 0}) {
        const std::uint32_t p = (pixel >> shift) & 0xff;
        const std::uint32_t s = (source >> shift) & 0xff;
        result |= std::min<std::uint32_t>(255, s + (p * (255 - alpha) + 127) / 255) << shift;
    }
    return result;
}

} // namespace

void copyPixels(QImage& to, const QImage& from, const QRect& area)
{
    const QRect r = area & to.rect() & from.rect();
    if (r.isEmpty())
        return;
    const qsizetype bytes = static_cast<qsizetype>(r.width()) * 4;
    uchar* const target = to.bits();
    const uchar* const source = from.constBits();
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(target + y * to.bytesPerLine() + r.left() * 4, source + y * from.bytesPerLine() + r.left() * 4,
                    static_cast<std::size_t>(bytes));
}

void blendPicture(QImage& to, const QImage& picture, QPoint at, const QRect& clip)
{
    const QRect r = clip & to.rect() & QRect(at, picture.size());
    if (r.isEmpty())
        return;
    auto* const pixels = reinterpret_cast<std::uint32_t*>(to.bits());
    const qsizetype stride = to.bytesPerLine() / 4;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        std::uint32_t* row = pixels + y * stride;
        const auto* source = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y - at.y()));
        for (int x = r.left(); x <= r.right(); ++x) {
            const std::uint32_t s = source[x - at.x()];
            if (s >> 24)
                row[x] = over(row[x], s);
        }
    }
}

void fillPixels(QImage& to, const QRect& area, QRgb colour, const QRect& clip)
{
    const QRect r = area & clip & to.rect();
    auto* const pixels = reinterpret_cast<std::uint32_t*>(to.bits());
    const qsizetype stride = to.bytesPerLine() / 4;
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::fill(pixels + y * stride + r.left(), pixels + y * stride + r.right() + 1, 0xff000000u | colour);
}

void drawInkLine(QImage& to, QPointF a, QPointF b, double width, QRgb colour, const QRect& clip)
{
    const QRect r = clip & to.rect();
    if (r.isEmpty())
        return;
    // Along the major axis u, one pixel at a time; across it (v) the line covers a span
    // of the width stretched by the slope.
    const bool steep = std::abs(b.y() - a.y()) > std::abs(b.x() - a.x());
    double u1 = steep ? a.y() : a.x(), v1 = steep ? a.x() : a.y();
    double u2 = steep ? b.y() : b.x(), v2 = steep ? b.x() : b.y();
    if (u2 < u1) {
        std::swap(u1, u2);
        std::swap(v1, v2);
    }
    const double slope = u2 > u1 ? (v2 - v1) / (u2 - u1) : 0;
    const double half = width / 2;
    const double halfAcross = half * std::sqrt(1 + slope * slope);
    const double uStart = u1 - half, uEnd = u2 + half;
    const int uMin = steep ? r.top() : r.left(), uMax = steep ? r.bottom() : r.right();
    const int vMin = steep ? r.left() : r.top(), vMax = steep ? r.right() : r.bottom();
    // Held near the clip before the conversion to whole pixels, so far ends cannot overflow.
    const auto pixelAt = [](double at, int low, int high) {
        return static_cast<int>(std::clamp(at, low - 2.0, high + 2.0));
    };
    const int first = std::max(uMin, pixelAt(std::floor(uStart), uMin, uMax));
    const int last = std::min(uMax, pixelAt(std::ceil(uEnd), uMin, uMax) - 1);
    auto* const pixels = reinterpret_cast<std::uint32_t*>(to.bits());
    const qsizetype stride = to.bytesPerLine() / 4;
    for (int i = first; i <= last; ++i) {
        const double along = std::min(i + 1.0, uEnd) - std::max(static_cast<double>(i), uStart);
        const double centre = v1 + (std::clamp(i + 0.5, u1, u2) - u1) * slope;
        const double top = centre - halfAcross, bottom = centre + halfAcross;
        const int from = std::max(vMin, pixelAt(std::floor(top), vMin, vMax));
        const int to_ = std::min(vMax, pixelAt(std::ceil(bottom), vMin, vMax) - 1);
        for (int j = from; j <= to_; ++j) {
            const double across = std::min(j + 1.0, bottom) - std::max(static_cast<double>(j), top);
            // Rounded half up (it is never negative), without a library call per pixel.
            const int coverage = static_cast<int>(256 * std::min(1.0, across) * std::min(1.0, along) + 0.5);
            if (coverage <= 0)
                continue;
            std::uint32_t& pixel = steep ? pixels[i * stride + j] : pixels[j * stride + i];
            pixel = mixed(pixel, colour, coverage);
        }
    }
}

} // namespace orlex::ui
