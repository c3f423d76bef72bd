// A value one thread writes and others read without a lock: a reader copies it and tries
// again when a write overlapped the copy. For the snapshots the motion thread publishes
// (position, progress, lamps) and the window reads at its own pace.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace orlex {

template <class T>
class Seqlock {
    static_assert(std::is_trivially_copyable_v<T>);
    static constexpr std::size_t kWords = (sizeof(T) + 7) / 8;

public:
    Seqlock() { store(T{}); }
    explicit Seqlock(const T& value) { store(value); }

    // The one writer.
    void store(const T& value)
    {
        std::array<std::uint64_t, kWords> words{};
        std::memcpy(words.data(), &value, sizeof(T));
        const std::uint64_t sequence = sequence_.load(std::memory_order_relaxed);
        sequence_.store(sequence + 1, std::memory_order_relaxed); // odd: a write is under way
        // Each word is released, so a reader that sees it also sees the odd number above.
        for (std::size_t i = 0; i < kWords; ++i)
            words_[i].store(words[i], std::memory_order_release);
        sequence_.store(sequence + 2, std::memory_order_release);
    }

    // Any reader: a copy no write overlapped.
    T load() const
    {
        std::array<std::uint64_t, kWords> words{};
        for (;;) {
            const std::uint64_t before = sequence_.load(std::memory_order_acquire);
            if (before & 1)
                continue;
            // Acquired, so the number read again below is read after every word.
            for (std::size_t i = 0; i < kWords; ++i)
                words[i] = words_[i].load(std::memory_order_acquire);
            if (sequence_.load(std::memory_order_relaxed) == before)
                break;
        }
        T value;
        // Trivially copyable, so a byte copy is a copy, even when T has member initialisers.
        std::memcpy(static_cast<void*>(&value), words.data(), sizeof(T));
        return value;
    }

private:
    std::atomic<std::uint64_t> sequence_{0};
    std::array<std::atomic<std::uint64_t>, kWords> words_{};
};

} // namespace orlex
