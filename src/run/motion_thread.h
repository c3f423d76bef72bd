// The thread that owns the port while a job runs (a draw, a homing, the move to the
// origin, a speed measurement): it polls the plotter's clock and never runs anything of
// the window's. Commands reach a job through the drive's requests; results leave it
// through the job's own snapshots, rings and end call.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace orlex {

// The SCHED_FIFO priority the thread asks for: below the kernel's own threads (50) and
// audio servers, above everything ordinary.
inline constexpr int kMotionRealTimeLevel = 20;

// How long the kernel holds real-time threads back in every period (by default 50 ms of
// each second), in ms, read from <systemRoot>/proc/sys/kernel; 0 when it does not. A
// poller that never sleeps would stand still that long in the middle of a line, which
// costs more than normal priority ever does, so the thread does not ask then.
long realTimeThrottleMs(const std::filesystem::path& systemRoot = "/");

// How the thread runs, as the system granted it when the thread started.
struct MotionPriority {
    bool realTime = false;     // SCHED_FIFO
    int level = 0;             // its priority, when real time
    int cpu = -1;              // the processor it is pinned to; -1: any
    bool memoryLocked = false; // its stack locked in memory
    std::string reason;        // why not real time, in plain words
    std::string text() const;  // "real-time priority 20 on CPU 1, memory locked", ...
};

class MotionThread {
public:
    // Starts the thread, which asks for real-time priority when `wantRealTime` and the
    // machine has more than one processor (on one, a real-time poller would starve the
    // window).
    explicit MotionThread(bool wantRealTime = true);
    // Waits for a running job to end (it must have been asked to), then ends the thread.
    ~MotionThread();
    MotionThread(const MotionThread&) = delete;
    MotionThread& operator=(const MotionThread&) = delete;

    // Runs `job` on the thread. False, and nothing runs, when a job still runs. Then, once
    // the thread is free for the next job, `afterwards` runs on it: where a job's end is
    // told from, so that whoever hears it can start the next job at once.
    bool start(std::function<void()> job, std::function<void()> afterwards = {});
    bool busy() const;
    // Waits up to `timeout` for the running job to end; true when none runs any more.
    bool waitIdle(std::chrono::milliseconds timeout);

    // As granted; known once the thread has started (the constructor waits for that).
    const MotionPriority& priority() const { return priority_; }

private:
    void loop(std::stop_token stop);

    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    std::function<void()> job_; // the job to run or running; empty when idle
    std::function<void()> afterwards_;
    bool running_ = false;
    bool started_ = false;
    MotionPriority priority_;
    const bool wantRealTime_;
    std::jthread thread_; // last: it starts once everything above is ready
};

// Locks `bytes` at `address` in memory when the motion thread runs in real time, so that
// a ring it writes never waits for a page; true when locked.
bool lockInMemory(const void* address, std::size_t bytes);

} // namespace orlex
