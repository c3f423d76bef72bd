// 2 MiB of memory on a 2 MiB boundary, which the kernel may back with one huge page when
// it is first touched. Filling fresh memory page by page costs a fault per 4 KiB (about
// 10 us each on a virtual machine: 27 ms for 10 MiB, against under 1 ms with huge pages),
// so memory that a reading fills at once, such as a large recorded plot, is taken this way.
#pragma once

#include <cstddef>

namespace orlex {

class HugeRegion {
public:
    static constexpr std::size_t kBytes = std::size_t{2} << 20;

    // Throws std::bad_alloc when there is no memory to be had.
    HugeRegion();
    ~HugeRegion();
    // Movable, so that a vector can hold regions; the memory stays where it is.
    HugeRegion(HugeRegion&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }
    HugeRegion& operator=(HugeRegion&&) = delete;

    std::byte* data() const { return data_; }

private:
    std::byte* data_;
};

} // namespace orlex
