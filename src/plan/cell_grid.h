// A hash grid of items by the square cells their boxes overlap: what lies near a place,
// for the line work's searches. Items are added at any time; only the cells in use take
// memory.
#pragma once

#include "plan/plot_events.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace orlex {

struct Box {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool overlaps(const Box& o) const { return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY; }
};

inline Box boxOf(Position a, Position b, double margin = 0)
{
    return {std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin, std::max(a.x, b.x) + margin,
            std::max(a.y, b.y) + margin};
}

class CellGrid {
public:
    // `cellSize` > 0, in the items' units.
    explicit CellGrid(double cellSize);

    // Files `item` under every cell `box` overlaps.
    void insert(std::uint32_t item, const Box& box);

    // Calls visit(item) for the items filed under the cells `box` overlaps; an item filed
    // under several of them comes once for each.
    template <class Visit>
    void forEachIn(const Box& box, Visit&& visit) const
    {
        const CellRange r = cellsOf(box);
        for (std::int64_t y = r.y0; y <= r.y1; ++y)
            for (std::int64_t x = r.x0; x <= r.x1; ++x)
                for (std::uint32_t e = head(key(x, y)); e != kNone; e = entries_[e].next)
                    visit(entries_[e].item);
    }

    // Cells `box` overlaps.
    std::uint64_t cellCount(const Box& box) const;

private:
    static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    struct CellRange {
        std::int64_t x0, y0, x1, y1;
    };
    struct Entry {
        std::uint32_t item;
        std::uint32_t next; // the next entry of the same cell, or kNone
    };
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t head = kNone; // kNone: the slot is free
    };

    std::int64_t cell(double v) const;
    CellRange cellsOf(const Box& box) const;
    static std::uint64_t key(std::int64_t x, std::int64_t y)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 32) | static_cast<std::uint32_t>(y);
    }
    std::size_t slotOf(std::uint64_t key) const; // where `key` is, or the free slot it would take
    std::uint32_t head(std::uint64_t key) const;
    void grow();

    double inverseCell_;
    std::vector<Slot> slots_; // open addressing, a power of two long, at most half full
    std::size_t used_ = 0;
    std::vector<Entry> entries_;
};

} // namespace orlex
