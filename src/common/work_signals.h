// A long computation's link to whoever waits for it on another thread: a request to give
// up, and how far it has come. The computation polls `cancelled()` often enough to end
// within a tenth of a second of the request.
#pragma once

#include <atomic>

namespace orlex {

struct WorkSignals {
    enum class Stage { Reading, Converting, Ordering, Writing, Checking };

    std::atomic<bool> cancelRequested{false};
    std::atomic<Stage> stage{Stage::Reading};
    std::atomic<int> percent{-1}; // of the stage; -1 while unknown

    bool cancelled() const { return cancelRequested.load(std::memory_order_relaxed); }
    void enter(Stage next)
    {
        percent.store(-1, std::memory_order_relaxed);
        stage.store(next, std::memory_order_relaxed);
    }
    void report(int value) { percent.store(value, std::memory_order_relaxed); }
};

// Whether work linked to `work` (none: never) was asked to give up.
inline bool cancelled(const WorkSignals* work)
{
    return work && work->cancelled();
}

} // namespace orlex
