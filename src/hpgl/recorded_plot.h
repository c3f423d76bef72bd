// A plot kept in memory as its reading made it: every point with its pen state and every
// pen selection, in order. The check records it in its one reading of the file, and the
// preview, the draw and the stroke order replay it, so a file is read once per command
// and a draw draws exactly what its check read.
#pragma once

#include "common/huge_region.h"
#include "common/whole_number.h"
#include "hpgl/plot_sink.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orlex {

// What a replay handed on, and whether the sink stopped it.
struct ReplayEnd {
    std::uint64_t points = 0; // handed to the sink, the one it stopped at included
    bool stopped = false;
};

class RecordedPlot final : public PlotSink {
public:
    bool point(double x, double y, Pen pen) override
    {
        record(x, y, pen);
        return true;
    }
    void selectPen(char pen) override;
    // point() without the call through the sink, for a check that feeds several sinks.
    void record(double x, double y, Pen pen)
    {
        const std::size_t at = static_cast<std::size_t>(count_ % kBlockPoints);
        const std::size_t blockIndex = static_cast<std::size_t>(count_ / kBlockPoints);
        if (blockIndex == blocks_.size())
            addBlock();
        Block& block = *blocks_[blockIndex];
        std::int16_t wholeX = 0, wholeY = 0;
        if (exactWhole(x, wholeX) && wholeX != kExact && exactWhole(y, wholeY)) {
            block.xy[2 * at] = wholeX;
            block.xy[2 * at + 1] = wholeY;
        } else {
            block.xy[2 * at] = kExact;
            block.xy[2 * at + 1] = 0;
            exact_.push_back({x, y});
        }
        // A block's words start empty as its points reach them (it is not cleared ahead,
        // so that the part of the first block that no point reached is never written).
        std::uint64_t& word = block.down[at / 64];
        const std::uint64_t bit = std::uint64_t{1} << (at % 64);
        word = ((at % 64 == 0) ? 0 : word) | (pen == Pen::Down ? bit : 0);
        ++count_;
    }

    // Hands every point and pen selection to `sink` in the order read, until the sink
    // asks to stop.
    ReplayEnd replay(PlotSink& sink) const { return replayInto(sink); }
    // replay for a sink of type Sink: a final one is called without the interface.
    template <class Sink>
    ReplayEnd replayInto(Sink& sink) const;

    std::uint64_t points() const { return count_; }
    std::size_t penSelections() const { return penChanges_.size(); }
    // The memory the points, exact coordinates and pen selections occupy, for the
    // benchmarks' figures: the last block counts only as far as its points reach.
    std::size_t bytes() const;
    // Gives back what the lists of exact points and pen selections hold beyond their
    // entries, once the recording is done (the points' blocks never hold more).
    void shrink();
    // Forgets every point and pen selection but keeps the memory, for a recording made
    // again and again (whose pages then need not be found anew).
    void clear();
    // The same points, pen states and pen selections, in the same order.
    bool operator==(const RecordedPlot& other) const;

private:
    // Whole coordinates within 16 bits (every plot the machine can draw) take 4 bytes a
    // point and a bit for the pen. Any other point marks its x with kExact and keeps its
    // coordinates, in order, in exact_, so every coordinate comes back exactly as read.
    static constexpr std::int16_t kExact = INT16_MIN;
    // Points are kept in blocks of a fixed size that are never moved: the recording grows
    // without copying what it holds, and never holds twice the plot while it grows.
    static constexpr std::size_t kBlockPoints = std::size_t{1} << 16;
    struct Block {
        std::int16_t xy[2 * kBlockPoints];
        std::uint64_t down[kBlockPoints / 64]; // bit i: point i is pen down
    };
    struct ExactPoint {
        double x, y;
        // Bit for bit, so that -0 and NaN compare as recorded.
        bool operator==(const ExactPoint& other) const;
    };
    struct PenChange {
        std::uint64_t beforePoint; // the number of points read before the SP
        char pen;
        bool operator==(const PenChange&) const = default;
    };

    void addBlock();

    // The first block on the heap (most plots fit in it); later ones in huge regions,
    // several to a region, which a long recording fills without a fault per page.
    std::vector<Block*> blocks_;
    std::unique_ptr<Block> firstBlock_;
    std::vector<HugeRegion> regions_;
    std::uint64_t count_ = 0;
    std::vector<ExactPoint> exact_;
    std::vector<PenChange> penChanges_;
};

template <class Sink>
ReplayEnd RecordedPlot::replayInto(Sink& sink) const
{
    ReplayEnd end;
    std::size_t change = 0;
    const ExactPoint* exact = exact_.data();
    std::uint64_t index = 0;
    for (const Block* block : blocks_) {
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

} // namespace orlex
