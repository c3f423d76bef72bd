// The handover of batches between the reading thread and the sink's thread.
#include "hpgl/read_ahead.h"

#include <chrono>
#include <utility>

namespace orlex::read_ahead {

namespace {

// Waits a little without sleeping for `ready`: waking a sleeping thread can take far
// longer than the reading needs to fill a batch (on a virtual machine, a sleeping
// processor is woken by the host). Only then does the sink's thread sleep.
template <class Ready>
void spinBriefly(Ready ready)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
    while (!ready() && std::chrono::steady_clock::now() < until) {
    }
}

} // namespace

std::vector<Slot> Handover::pass(std::vector<Slot> batch)
{
    // No spinning here: a reading that is ahead can wait, its sink is busy.
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return full_.size() < kBatches; });
    full_.push_back(std::move(batch));
    onTheWay_.store(full_.size(), std::memory_order_release);
    std::vector<Slot> next;
    if (!empty_.empty()) {
        next = std::move(empty_.back());
        empty_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
    next.clear();
    next.reserve(kBatchSlots);
    return next;
}

void Handover::finish(std::exception_ptr failure)
{
    {
        const std::lock_guard lock(mutex_);
        finished_ = true;
        finishedSeen_.store(true, std::memory_order_release);
        failure_ = std::move(failure);
    }
    changed_.notify_all();
}

std::vector<Slot> Handover::take()
{
    spinBriefly([this] {
        return onTheWay_.load(std::memory_order_acquire) > 0 || finishedSeen_.load(std::memory_order_acquire);
    });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !full_.empty() || finished_; });
    if (full_.empty())
        return {};
    std::vector<Slot> batch = std::move(full_.front());
    full_.pop_front();
    onTheWay_.store(full_.size(), std::memory_order_release);
    lock.unlock();
    changed_.notify_all();
    return batch;
}

void Handover::giveBack(std::vector<Slot> batch)
{
    const std::lock_guard lock(mutex_);
    empty_.push_back(std::move(batch));
}

void Handover::stop()
{
    stop_.store(true, std::memory_order_relaxed);
}

} // namespace orlex::read_ahead
