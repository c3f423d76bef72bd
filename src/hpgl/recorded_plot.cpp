// The in-memory plot: points in fixed blocks, exact coordinates where they are not whole
// 16-bit numbers, pen changes.
#include "hpgl/recorded_plot.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace orlex {

void RecordedPlot::addBlock()
{
    // Not initialised: the recording writes every entry before it is read.
    if (blocks_.empty()) {
        firstBlock_ = std::make_unique_for_overwrite<Block>();
        blocks_.push_back(firstBlock_.get());
        return;
    }
    constexpr std::size_t kBlocksPerRegion = HugeRegion::kBytes / sizeof(Block);
    static_assert(kBlocksPerRegion > 0 && alignof(Block) <= sizeof(Block));
    const std::size_t inRegions = blocks_.size() - 1;
    if (inRegions % kBlocksPerRegion == 0)
        regions_.emplace_back();
    std::byte* const at = regions_.back().data() + inRegions % kBlocksPerRegion * sizeof(Block);
    blocks_.push_back(new (at) Block);
}

void RecordedPlot::selectPen(char pen)
{
    penChanges_.push_back({points(), pen});
}

void RecordedPlot::clear()
{
    count_ = 0;
    exact_.clear();
    penChanges_.clear();
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
    const std::size_t used = static_cast<std::size_t>((count_ + kBlockPoints - 1) / kBlockPoints);
    const std::size_t full = used == 0 ? 0 : used - 1;
    const std::size_t last = static_cast<std::size_t>(count_ - full * kBlockPoints);
    return (blocks_.size() - used + full) * sizeof(Block) + last * 2 * sizeof(std::int16_t)
           + (last + 63) / 64 * sizeof(std::uint64_t) + blocks_.capacity() * sizeof(blocks_[0])
           + exact_.capacity() * sizeof(ExactPoint) + penChanges_.capacity() * sizeof(PenChange);
}

} // namespace orlex
