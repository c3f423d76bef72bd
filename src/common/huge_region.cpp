// Maps twice the region's size and gives back what lies outside its 2 MiB boundary, then
// asks for huge pages (a request only: without them the region works with small pages).
#include "common/huge_region.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace orlex {

HugeRegion::HugeRegion()
{
    const std::size_t mapped = 2 * kBytes;
    void* const memory = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        throw std::bad_alloc();
    auto* const start = static_cast<std::byte*>(memory);
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    const std::size_t before = (kBytes - address % kBytes) % kBytes;
    if (before != 0)
        ::munmap(start, before);
    ::munmap(start + before + kBytes, mapped - before - kBytes);
    data_ = start + before;
#ifdef MADV_HUGEPAGE
    ::madvise(data_, kBytes, MADV_HUGEPAGE);
#endif
}

HugeRegion::~HugeRegion()
{
    if (data_ != nullptr)
        ::munmap(data_, kBytes);
}

} // namespace orlex
