// Lets pending window events run at a bounded rate from inside a polling loop.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace orlex {

// Events run right after the poller has seen the clock end a cycle: the next cycle only
// counts once its high phase has been seen, so a handler started there has almost a
// whole period before a cycle is lost, where one started at a random moment may have
// next to nothing. They run at such an edge once kMaxPolls polls or kEdgeInterval have
// passed since they last ran. A clock that stops or runs slowly still lets them run
// once kMaxInterval has passed, looked at every kClockEvery polls without an edge; so a
// stop request reaches a wait on a halted clock.
class EventPacer {
public:
    static constexpr std::uint32_t kMaxPolls = 256;
    static constexpr std::chrono::microseconds kEdgeInterval{250};
    static constexpr std::chrono::microseconds kMaxInterval{2000};
    static constexpr std::uint32_t kClockEvery = 64;

    // A cycle of the clock has just ended.
    void atEdge(const std::function<void()>& processEvents)
    {
        pollsSinceEdge_ = 0;
        if (pollsSinceRun_ >= kMaxPolls || std::chrono::steady_clock::now() - lastRun_ >= kEdgeInterval)
            run(processEvents);
    }

    // A poll that saw no edge.
    void poll(const std::function<void()>& processEvents)
    {
        ++pollsSinceRun_;
        if (++pollsSinceEdge_ % kClockEvery != 0)
            return;
        if (std::chrono::steady_clock::now() - lastRun_ >= kMaxInterval)
            run(processEvents);
    }

private:
    void run(const std::function<void()>& processEvents)
    {
        pollsSinceRun_ = 0;
        if (processEvents)
            processEvents();
        // Counted from the end of the call: a handler that ran for long (a modal dialog)
        // does not make the next poll run events again at once.
        lastRun_ = std::chrono::steady_clock::now();
    }

    std::uint32_t pollsSinceRun_ = 0;
    std::uint32_t pollsSinceEdge_ = 0;
    std::chrono::steady_clock::time_point lastRun_{};
};

} // namespace orlex
