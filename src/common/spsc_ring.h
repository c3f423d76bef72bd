// A ring of fixed capacity for one producer thread and one consumer thread: the motion
// thread pushes what the window shows, the window's frame timer takes it. No lock and no
// allocation after construction; a push into a full ring is refused and counted.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlex {

template <class T>
class SpscRing {
public:
    // Room for 2^capacityBits items.
    explicit SpscRing(unsigned capacityBits = 16) : slots_(std::size_t{1} << capacityBits), mask_(slots_.size() - 1) {}
    SpscRing(const SpscRing&) = delete;
    SpscRing& operator=(const SpscRing&) = delete;

    // Producer only. False, with the item counted as dropped, when the ring is full.
    bool push(const T& item)
    {
        const std::uint64_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) == slots_.size()) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        slots_[head & mask_] = item;
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    // Consumer only: appends up to `most` items to `out`, oldest first; returns how many.
    std::size_t popInto(std::vector<T>& out, std::size_t most = SIZE_MAX)
    {
        const std::uint64_t tail = tail_.load(std::memory_order_relaxed);
        const std::uint64_t head = head_.load(std::memory_order_acquire);
        std::size_t count = static_cast<std::size_t>(head - tail);
        if (count > most)
            count = most;
        for (std::size_t i = 0; i < count; ++i)
            out.push_back(slots_[(tail + i) & mask_]);
        tail_.store(tail + count, std::memory_order_release);
        return count;
    }

    // Pushes refused because the ring was full, since it was made.
    std::uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }
    std::size_t capacity() const { return slots_.size(); }
    const void* storage() const { return slots_.data(); } // for locking it in memory
    std::size_t storageBytes() const { return slots_.size() * sizeof(T); }

private:
    std::vector<T> slots_;
    const std::size_t mask_;
    alignas(64) std::atomic<std::uint64_t> head_{0}; // next slot to write; the producer's
    alignas(64) std::atomic<std::uint64_t> tail_{0}; // next slot to read; the consumer's
    alignas(64) std::atomic<std::uint64_t> dropped_{0};
};

} // namespace orlex
