// Lets pending window events run at a bounded rate from inside a polling loop.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace orlex {

// Polling the clock line must stay cheap, so events do not run at every poll: they run
// after kMaxPolls polls, or once kMaxInterval has passed since they last ran, whichever
// comes first. The time is looked at only every kClockEvery polls.
class EventPacer {
public:
    static constexpr std::uint32_t kMaxPolls = 256;
    static constexpr std::uint32_t kClockEvery = 16;
    static constexpr std::chrono::microseconds kMaxInterval{1000};

    void poll(const std::function<void()>& processEvents)
    {
        ++polls_;
        if (polls_ >= kMaxPolls) {
            run(processEvents);
        } else if (polls_ % kClockEvery == 0 && std::chrono::steady_clock::now() - lastRun_ >= kMaxInterval) {
            run(processEvents);
        }
    }

private:
    void run(const std::function<void()>& processEvents)
    {
        polls_ = 0;
        if (processEvents)
            processEvents();
        // Counted from the end of the call: a handler that ran for long (a modal dialog)
        // does not make the next poll run events again at once.
        lastRun_ = std::chrono::steady_clock::now();
    }

    std::uint32_t polls_ = 0;
    std::chrono::steady_clock::time_point lastRun_{};
};

} // namespace orlex
