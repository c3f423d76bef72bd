// How far a draw has come, and the pen changes it asks for.
#include "run/draw_monitor.h"

#include "drive/clock_cycles.h"

#include <algorithm>

namespace orlex {

DrawMonitor::DrawMonitor(const Drive& drive, const PlotTest& test, std::uint64_t firstPoint, DrawMonitorHooks hooks)
    : drive_(drive), hooks_(std::move(hooks)), firstPoint_(firstPoint), totalPoints_(test.run.points),
      totalPeriods_(test.stepPeriods(false))
{}

void DrawMonitor::noteCarriage()
{
    const DriveState& state = drive_.state;
    carriageXmm_.store(state.carriageXmm, std::memory_order_relaxed);
    carriageYmm_.store(state.carriageYmm, std::memory_order_relaxed);
    carriageKnown_.store(state.carriageKnown, std::memory_order_release);
}

DrawMonitor::Place DrawMonitor::carriage() const
{
    Place place;
    place.known = carriageKnown_.load(std::memory_order_acquire);
    place.xMm = carriageXmm_.load(std::memory_order_relaxed);
    place.yMm = carriageYmm_.load(std::memory_order_relaxed);
    return place;
}

void DrawMonitor::drawingStarts()
{
    noteCarriage();
    start_.store(now());
    periodsAtStart_.store(periodsSent());
    started_.store(true);
    if (hooks_.drawingStarts)
        hooks_.drawingStarts();
}

bool DrawMonitor::point(double, double, Pen pen)
{
    pointsDone_.fetch_add(1, std::memory_order_relaxed);
    if (pen == Pen::Up && lastPen_ == Pen::Down)
        penLifts_.fetch_add(1, std::memory_order_relaxed);
    lastPen_ = pen;
    noteCarriage();
    if (pen == Pen::Down)
        drawnSomething_ = true; // points before a resumed draw's first were drawn by the first run
    return !stopRequested();
}

// A pen change pauses only where the operator must act: another pen than the one in the
// holder, once something is on the paper, in the part of the plot that is drawn now.
void DrawMonitor::selectPen(char pen)
{
    if (hooks_.penSelected)
        hooks_.penSelected(pen);
    if (!hooks_.penChange || pen < '1' || pen > '9')
        return;
    const bool due = pen != penInUse_ && drawnSomething_ && currentPoint() >= firstPoint_;
    penInUse_ = pen;
    if (due)
        hooks_.penChange(pen);
}

void DrawMonitor::pauseClock()
{
    std::int64_t running = -1;
    pausedAt_.compare_exchange_strong(running, now());
}

void DrawMonitor::resumeClock()
{
    const std::int64_t at = pausedAt_.exchange(-1);
    if (at >= 0)
        paused_.fetch_add(now() - at);
}

double DrawMonitor::drawingSeconds() const
{
    if (!started_.load())
        return 0;
    const std::int64_t pausedAt = pausedAt_.load();
    const std::int64_t end = pausedAt >= 0 ? pausedAt : now();
    const Clock::duration drawing(end - start_.load() - paused_.load());
    return std::chrono::duration<double>(drawing).count();
}

std::uint64_t DrawMonitor::periodsSent() const
{
    return stepPeriods(drive_.counters.stepOutputs, drive_.counters.penCommands);
}

DrawProgress DrawMonitor::progress() const
{
    DrawProgress p;
    p.totalPeriods = totalPeriods_;
    const bool started = started_.load();
    p.periodsAtStart = skippedPeriods_.load();
    p.donePeriods = p.periodsAtStart + (started ? periodsSent() - periodsAtStart_.load() : 0);
    p.point = started ? std::min(currentPoint(), totalPoints_) : 0;
    p.totalPoints = totalPoints_;
    p.elapsedSeconds = drawingSeconds();
    return p;
}

} // namespace orlex
