// The lock-free channels between the motion thread and the window, under a producer and a
// consumer on two threads: nothing lost, nothing reordered, no torn snapshot.
#include "common/seqlock.h"
#include "common/spsc_ring.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <thread>
#include <vector>

namespace orlex {
namespace {

TEST(SpscRing, EverythingArrivesInOrderThroughASmallRing)
{
    constexpr std::uint64_t kItems = 100'000;
    SpscRing<std::uint64_t> ring(6); // 64 slots: full most of the time
    std::jthread producer([&ring] {
        for (std::uint64_t i = 0; i < kItems;)
            if (ring.push(i))
                ++i;
    });
    std::vector<std::uint64_t> got;
    got.reserve(kItems);
    while (got.size() < kItems)
        ring.popInto(got, 7);
    producer.join();
    for (std::uint64_t i = 0; i < kItems; ++i)
        ASSERT_EQ(got[i], i);
    EXPECT_GT(ring.dropped(), 0u); // the refused pushes were counted, and retried above
}

struct Triple {
    std::uint64_t a = 0, b = 0, c = 0;
};

TEST(Seqlock, AReaderNeverSeesHalfAWrite)
{
    Seqlock<Triple> snapshot;
    std::jthread writer([&snapshot](std::stop_token stop) {
        for (std::uint64_t i = 1; !stop.stop_requested(); ++i)
            snapshot.store({i, 2 * i, 3 * i});
    });
    std::uint64_t last = 0;
    for (int n = 0; n < 20'000; ++n) {
        const Triple t = snapshot.load();
        ASSERT_EQ(t.b, 2 * t.a);
        ASSERT_EQ(t.c, 3 * t.a);
        ASSERT_GE(t.a, last); // and never goes back in time
        last = t.a;
    }
}

} // namespace
} // namespace orlex
