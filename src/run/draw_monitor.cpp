// How far a draw has come, and the pen changes it asks for.
#include "run/draw_monitor.h"

#include <algorithm>

namespace orlex {

DrawMonitor::DrawMonitor(const Drive& drive, const PlotTest& test, std::uint64_t firstPoint, DrawMonitorHooks hooks)
    : drive_(drive), hooks_(std::move(hooks)), firstPoint_(firstPoint), totalPoints_(test.run.points),
      totalPeriods_(test.stepPeriods(false))
{}

void DrawMonitor::drawingStarts()
{
    started_ = true;
    start_ = Clock::now();
    periodsAtStart_ = periodsSent();
    if (hooks_.drawingStarts)
        hooks_.drawingStarts();
}

bool DrawMonitor::point(double, double, Pen pen)
{
    ++pointsDone_;
    if (pen == Pen::Down)
        drawnSomething_ = true; // points before a resumed draw's first were drawn by the first run
    return !stopRequested();
}

// A pen change pauses only where the operator must act: another pen than the one in the
// holder, once something is on the paper, in the part of the plot that is drawn now.
void DrawMonitor::selectPen(char pen)
{
    if (!hooks_.penChange || pen < '1' || pen > '9')
        return;
    const bool due = pen != penInUse_ && drawnSomething_ && currentPoint() >= firstPoint_;
    penInUse_ = pen;
    if (due)
        hooks_.penChange(pen);
}

void DrawMonitor::pauseClock()
{
    if (!clockPaused_) {
        clockPaused_ = true;
        pausedAt_ = Clock::now();
    }
}

void DrawMonitor::resumeClock()
{
    if (clockPaused_) {
        clockPaused_ = false;
        paused_ += Clock::now() - pausedAt_;
    }
}

double DrawMonitor::drawingSeconds() const
{
    if (!started_)
        return 0;
    const Clock::time_point end = clockPaused_ ? pausedAt_ : Clock::now();
    return std::chrono::duration<double>(end - start_ - paused_).count();
}

std::uint64_t DrawMonitor::periodsSent() const
{
    return drive_.counters.stepOutputs + 2 * drive_.counters.penCommands;
}

DrawProgress DrawMonitor::progress() const
{
    DrawProgress p;
    p.totalPeriods = totalPeriods_;
    p.periodsAtStart = skippedPeriods_;
    p.donePeriods = skippedPeriods_ + (started_ ? periodsSent() - periodsAtStart_ : 0);
    p.point = started_ ? std::min(currentPoint(), totalPoints_) : 0;
    p.totalPoints = totalPoints_;
    p.elapsedSeconds = drawingSeconds();
    return p;
}

} // namespace orlex
