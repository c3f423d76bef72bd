// Live progress of a draw on stderr, and the stop question the interpreter asks.
#pragma once

#include "hpgl/interpreter.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace orlex::cli {

class ProgressLine : public RunObserver {
public:
    // `show`: print the line (only when stderr is a terminal); `stop`: asked after each point.
    ProgressLine(bool show, std::function<bool()> stop);

    void onPoint(std::uint64_t bytesRead, std::uint64_t fileSize, std::uint64_t points) override;
    bool stopRequested() override { return stop_ && stop_(); }

    // Rewrites the line with the current elapsed time when it is due.
    void tick();

    // Clears the line so that the summary starts on a clean line.
    void finish();

private:
    void print(double elapsedSeconds);

    bool show_;
    std::function<bool()> stop_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastPrint_;
    bool printed_ = false;
    std::uint64_t bytesRead_ = 0, fileSize_ = 0, points_ = 0;
};

} // namespace orlex::cli
