// What both front ends watch during a draw: the progress against the test run's count,
// the point being drawn, and the SP commands that ask for another pen.
#pragma once

#include "run/draw_progress.h"
#include "run/plot_draw.h"
#include "run/plot_test.h"

#include <atomic>
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
    // Every SP the draw reaches, once the points before it are carried out.
    std::function<void(char pen)> penSelected;
};

class DrawMonitor : public DrawObserver {
public:
    // `test` is the test run that allowed the draw; `firstPoint` where the draw starts.
    DrawMonitor(const Drive& drive, const PlotTest& test, std::uint64_t firstPoint, DrawMonitorHooks hooks);
    bool stopRequested() const { return hooks_.stopRequested && hooks_.stopRequested(); }

    void drawingStarts() override;
    void pointsSkipped(std::uint64_t stepPeriods) override { skippedPeriods_.store(stepPeriods); }
    // Each point the carriage has carried out; false when a stop is asked for.
    bool point(double x, double y, Pen pen) override;
    void selectPen(char pen) override;

    // A pause does not count as drawing time. From any thread.
    void pauseClock();
    void resumeClock();

    // From any thread, while the draw runs on another.
    std::uint64_t pointsDone() const { return pointsDone_.load(std::memory_order_relaxed); }
    std::uint64_t currentPoint() const { return pointsDone() + 1; } // 1-based, the one being drawn
    // Pen-up moves after pen-down ones carried out so far: where the draw journal writes.
    std::uint64_t penLifts() const { return penLifts_.load(std::memory_order_relaxed); }
    std::uint64_t totalPoints() const { return totalPoints_; }
    std::uint64_t firstPoint() const { return firstPoint_; } // 1 unless the draw was resumed
    double drawingSeconds() const;                           // since the drawing began, pauses left out
    DrawProgress progress() const;
    // Where the carriage stood after the last point, in mm from home, when that is known.
    struct Place {
        bool known = false;
        double xMm = 0, yMm = 0;
    };
    Place carriage() const;

private:
    using Clock = std::chrono::steady_clock;
    static std::int64_t now() { return Clock::now().time_since_epoch().count(); }
    std::uint64_t periodsSent() const;

    const Drive& drive_;
    DrawMonitorHooks hooks_;
    const std::uint64_t firstPoint_;
    const std::uint64_t totalPoints_;
    const std::uint64_t totalPeriods_;
    // Written by the drawing thread, read by any: each alone is enough for a progress line.
    std::atomic<std::uint64_t> pointsDone_{0};
    std::atomic<std::uint64_t> skippedPeriods_{0};
    std::atomic<std::uint64_t> penLifts_{0};
    std::atomic<std::uint64_t> periodsAtStart_{0}; // the drive's count when the drawing began
    std::atomic<bool> started_{false};
    std::atomic<std::int64_t> start_{0};     // clock ticks
    std::atomic<std::int64_t> paused_{0};    // ticks spent paused
    std::atomic<std::int64_t> pausedAt_{-1}; // -1: the clock runs
    std::atomic<bool> carriageKnown_{false};
    std::atomic<double> carriageXmm_{0}, carriageYmm_{0};
    void noteCarriage(); // on the drawing thread
    // The drawing thread's own.
    char penInUse_ = '1'; // what is in the holder before any SP
    bool drawnSomething_ = false;
    Pen lastPen_ = Pen::Up;
};

} // namespace orlex
