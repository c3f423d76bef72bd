// The motion thread: one job at a time, at real-time priority where the system allows it.
#include "run/motion_thread.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>

#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>

namespace orlex {

namespace {

// The part of the stack a job uses, locked once the thread runs in real time.
constexpr std::size_t kLockedStackBytes = 256 * 1024;

// Locks the stack pages a job will use, touching them first so they exist.
bool lockStack()
{
    volatile unsigned char here = 0;
    const auto top = reinterpret_cast<std::uintptr_t>(&here);
    const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const std::uintptr_t first = (top - kLockedStackBytes + page) & ~(page - 1);
    return ::mlock(reinterpret_cast<const void*>(first), top - first) == 0;
}

MotionPriority askForRealTime(bool want)
{
    MotionPriority p;
    const long processors = ::sysconf(_SC_NPROCESSORS_ONLN);
    if (!want) {
        p.reason = "not asked for";
        return p;
    }
    if (processors < 2) {
        p.reason = "one processor: a real-time poller would starve the window";
        return p;
    }
    if (const long throttleMs = realTimeThrottleMs(); throttleMs > 0) {
        p.reason = "not used: the kernel would hold the poller back " + std::to_string(throttleMs)
                   + " ms in every period (kernel.sched_rt_runtime_us; see the README)";
        return p;
    }
    sched_param param{};
    param.sched_priority = kMotionRealTimeLevel;
    if (const int error = ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &param); error != 0) {
        p.reason = error == EPERM ? "not granted (no RLIMIT_RTPRIO or CAP_SYS_NICE; see the README)"
                                  : std::string("not granted: ") + std::strerror(error);
        return p;
    }
    p.realTime = true;
    p.level = kMotionRealTimeLevel;
    // The last processor: the window and the system usually start on the first.
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(static_cast<int>(processors - 1), &set);
    if (::pthread_setaffinity_np(::pthread_self(), sizeof set, &set) == 0)
        p.cpu = static_cast<int>(processors - 1);
    p.memoryLocked = lockStack();
    return p;
}

} // namespace

long realTimeThrottleMs(const std::filesystem::path& systemRoot)
{
    std::ifstream runtimeFile(systemRoot / "proc/sys/kernel/sched_rt_runtime_us");
    std::ifstream periodFile(systemRoot / "proc/sys/kernel/sched_rt_period_us");
    long runtime = -1, period = 0;
    if (!(runtimeFile >> runtime) || !(periodFile >> period) || runtime < 0 || runtime >= period)
        return 0;
    return (period - runtime + 999) / 1000;
}

std::string MotionPriority::text() const
{
    if (!realTime)
        return "normal priority (real-time " + reason + ")";
    std::string text = "real-time priority " + std::to_string(level);
    if (cpu >= 0)
        text += " on CPU " + std::to_string(cpu);
    return text + (memoryLocked ? ", memory locked" : ", memory not locked");
}

bool lockInMemory(const void* address, std::size_t bytes)
{
    return ::mlock(address, bytes) == 0;
}

MotionThread::MotionThread(bool wantRealTime)
    : wantRealTime_(wantRealTime), thread_([this](std::stop_token stop) { loop(std::move(stop)); })
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return started_; });
}

MotionThread::~MotionThread()
{
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !running_; });
    }
    thread_.request_stop();
    changed_.notify_all();
}

bool MotionThread::start(std::function<void()> job, std::function<void()> afterwards)
{
    {
        std::lock_guard lock(mutex_);
        if (running_)
            return false;
        job_ = std::move(job);
        afterwards_ = std::move(afterwards);
        running_ = true;
    }
    changed_.notify_all();
    return true;
}

bool MotionThread::busy() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

bool MotionThread::waitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return !running_; });
}

void MotionThread::loop(std::stop_token stop)
{
    {
        std::lock_guard lock(mutex_);
        priority_ = askForRealTime(wantRealTime_);
        started_ = true;
    }
    changed_.notify_all();
    for (;;) {
        std::function<void()> job, afterwards;
        {
            std::unique_lock lock(mutex_);
            if (!changed_.wait(lock, stop, [this] { return running_; }))
                return; // asked to end, with no job
            job = std::move(job_);
            afterwards = std::move(afterwards_);
        }
        job();
        {
            std::lock_guard lock(mutex_);
            running_ = false;
        }
        changed_.notify_all();
        if (afterwards)
            afterwards();
    }
}

} // namespace orlex
