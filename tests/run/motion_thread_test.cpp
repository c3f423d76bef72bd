// The motion thread tells a job's end from `afterwards`, once it is free: whoever hears
// the end can start the next job at once, and that job runs. (Told from inside the job,
// the end could be heard while the thread still ran it, and the next start was refused.)
#include "run/motion_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>

namespace orlex {
namespace {

TEST(MotionThread, AJobStartedAsTheLastOnesEndIsToldRuns)
{
    MotionThread thread(false);
    std::atomic<int> jobsRun = 0;
    std::promise<bool> next;
    ASSERT_TRUE(thread.start([&] { ++jobsRun; },
                             [&] {
                                 EXPECT_FALSE(thread.busy());
                                 next.set_value(thread.start([&] { ++jobsRun; }));
                             }));
    EXPECT_TRUE(next.get_future().get());
    EXPECT_TRUE(thread.waitIdle(std::chrono::minutes(1)));
    EXPECT_EQ(jobsRun, 2);
}

} // namespace
} // namespace orlex
