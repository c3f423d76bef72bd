// What both front ends watch during a draw: the progress against the test run's count,
// the point being drawn, and the SP commands that ask for another pen.
#pragma once

#include "run/draw_progress.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"

#include <chrono>
#include <cstdint>
#include <functional>

namespace orlex {

struct DrawMonitorHooks {
    std::function<void()> drawingStarts; // after any "Pen to 0", before the first point
    std::function<bool()> stopRequested; // asked after each point
    // A pen change is due: the draw waits in here until the operator has put in `pen`
    // ('1'..'9'). Empty: SP changes nothing, as on a machine that ignores pens.
    std::function<void(char pen)> penChange;
};

class DrawMonitor : public DrawObserver {
public:
    // `test` is the test run that allowed the draw; `firstPoint` where the draw starts.
    DrawMonitor(const Drive& drive, const PlotTest& test, std::uint64_t firstPoint, DrawMonitorHooks hooks);
    bool stopRequested() const { return hooks_.stopRequested && hooks_.stopRequested(); }

    void drawingStarts() override;
    void pointsSkipped(std::uint64_t stepPeriods) override { skippedPeriods_ = stepPeriods; }
    // Each point the carriage has carried out; false when a stop is asked for.
    bool point(double x, double y, Pen pen) override;
    void selectPen(char pen) override;

    // A pause does not count as drawing time.
    void pauseClock();
    void resumeClock();

    std::uint64_t pointsDone() const { return pointsDone_; }
    std::uint64_t currentPoint() const { return pointsDone_ + 1; } // 1-based, the one being drawn
    std::uint64_t totalPoints() const { return totalPoints_; }
    double drawingSeconds() const; // since the drawing began, pauses left out
    DrawProgress progress() const;

private:
    using Clock = std::chrono::steady_clock;
    std::uint64_t periodsSent() const;

    const Drive& drive_;
    DrawMonitorHooks hooks_;
    const std::uint64_t firstPoint_;
    const std::uint64_t totalPoints_;
    const std::uint64_t totalPeriods_;
    std::uint64_t pointsDone_ = 0;
    std::uint64_t skippedPeriods_ = 0;
    std::uint64_t periodsAtStart_ = 0; // the drive's count when the drawing began
    bool started_ = false;
    Clock::time_point start_;
    Clock::duration paused_{};
    bool clockPaused_ = false;
    Clock::time_point pausedAt_;
    char penInUse_ = '1'; // what is in the holder before any SP
    bool drawnSomething_ = false;
};

} // namespace orlex
