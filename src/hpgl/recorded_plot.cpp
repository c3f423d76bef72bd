// The in-memory plot: points in fixed blocks, exact coordinates where they are not whole
// 16-bit numbers, pen changes.
#include "hpgl/recorded_plot.h"

#include <algorithm>
#include <cstring>

namespace orlex {

void RecordedPlot::addBlock()
{
    // Not initialised: the recording writes every entry before it is read.
    blocks_.push_back(std::make_unique_for_overwrite<Block>());
}

void RecordedPlot::selectPen(char pen)
{
    penChanges_.push_back({points(), pen});
}

ReplayEnd RecordedPlot::replay(PlotSink& sink) const
{
    ReplayEnd end;
    std::size_t change = 0;
    const ExactPoint* exact = exact_.data();
    std::uint64_t index = 0;
    for (const std::unique_ptr<Block>& block : blocks_) {
        const std::size_t inBlock = static_cast<std::size_t>(std::min<std::uint64_t>(count_ - index, kBlockPoints));
        for (std::size_t at = 0; at < inBlock; ++at, ++index) {
            for (; change < penChanges_.size() && penChanges_[change].beforePoint == index; ++change)
                sink.selectPen(penChanges_[change].pen);
            const std::int16_t x = block->xy[2 * at];
            double px = x, py = block->xy[2 * at + 1];
            if (x == kExact) {
                px = exact->x;
                py = exact->y;
                ++exact;
            }
            const bool down = (block->down[at / 64] >> (at % 64)) & 1;
            ++end.points;
            if (!sink.point(px, py, down ? Pen::Down : Pen::Up)) {
                end.stopped = true;
                return end;
            }
        }
    }
    for (; change < penChanges_.size(); ++change)
        sink.selectPen(penChanges_[change].pen);
    return end;
}

void RecordedPlot::shrink()
{
    exact_.shrink_to_fit();
    penChanges_.shrink_to_fit();
}

bool RecordedPlot::ExactPoint::operator==(const ExactPoint& other) const
{
    return std::memcmp(this, &other, sizeof other) == 0;
}

bool RecordedPlot::operator==(const RecordedPlot& other) const
{
    if (count_ != other.count_ || exact_ != other.exact_ || penChanges_ != other.penChanges_)
        return false;
    std::uint64_t left = count_;
    for (std::size_t b = 0; left > 0; ++b) {
        const Block& mine = *blocks_[b];
        const Block& theirs = *other.blocks_[b];
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlockPoints));
        if (std::memcmp(mine.xy, theirs.xy, 2 * n * sizeof mine.xy[0]) != 0)
            return false;
        // Whole words, then the bits of the last one that points reached.
        if (std::memcmp(mine.down, theirs.down, n / 64 * sizeof mine.down[0]) != 0)
            return false;
        if (n % 64 != 0) {
            const std::uint64_t mask = (std::uint64_t{1} << (n % 64)) - 1;
            if (((mine.down[n / 64] ^ theirs.down[n / 64]) & mask) != 0)
                return false;
        }
        left -= n;
    }
    return true;
}

std::size_t RecordedPlot::bytes() const
{
    const std::size_t full = blocks_.empty() ? 0 : blocks_.size() - 1;
    const std::size_t last = static_cast<std::size_t>(count_ - full * kBlockPoints);
    return full * sizeof(Block) + last * 2 * sizeof(std::int16_t) + (last + 63) / 64 * sizeof(std::uint64_t)
           + blocks_.capacity() * sizeof(blocks_[0]) + exact_.capacity() * sizeof(ExactPoint)
           + penChanges_.capacity() * sizeof(PenChange);
}

} // namespace orlex
