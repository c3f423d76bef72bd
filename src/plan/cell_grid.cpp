// Open-addressing hash of cells, each the head of a list of entries.
#include "plan/cell_grid.h"

#include <algorithm>

namespace orlex {

namespace {

// Cell numbers are kept within 32 bits: coordinates beyond that share the outermost
// cells, which only makes those cells fuller.
constexpr double kCellLimit = 2147483647.0;

} // namespace

CellGrid::CellGrid(double cellSize) : inverseCell_(1 / cellSize), slots_(64) {}

std::int64_t CellGrid::cell(double v) const
{
    const double c = std::floor(v * inverseCell_);
    return static_cast<std::int64_t>(std::clamp(c, -kCellLimit, kCellLimit));
}

CellGrid::CellRange CellGrid::cellsOf(const Box& box) const
{
    return {cell(box.minX), cell(box.minY), cell(box.maxX), cell(box.maxY)};
}

std::uint64_t CellGrid::cellCount(const Box& box) const
{
    const CellRange r = cellsOf(box);
    return static_cast<std::uint64_t>(r.x1 - r.x0 + 1) * static_cast<std::uint64_t>(r.y1 - r.y0 + 1);
}

std::size_t CellGrid::slotOf(std::uint64_t key) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t s = static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 17) & mask;
    while (slots_[s].head != kNone && slots_[s].key != key)
        s = (s + 1) & mask;
    return s;
}

std::uint32_t CellGrid::head(std::uint64_t key) const
{
    return slots_[slotOf(key)].head;
}

void CellGrid::grow()
{
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& s : old)
        if (s.head != kNone)
            slots_[slotOf(s.key)] = s;
}

void CellGrid::insert(std::uint32_t item, const Box& box)
{
    const CellRange r = cellsOf(box);
    for (std::int64_t y = r.y0; y <= r.y1; ++y)
        for (std::int64_t x = r.x0; x <= r.x1; ++x) {
            if (2 * (used_ + 1) > slots_.size())
                grow();
            Slot& slot = slots_[slotOf(key(x, y))];
            if (slot.head == kNone) {
                slot.key = key(x, y);
                ++used_;
            }
            entries_.push_back({item, slot.head});
            slot.head = static_cast<std::uint32_t>(entries_.size() - 1);
        }
}

} // namespace orlex
