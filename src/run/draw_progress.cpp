#include "run/draw_progress.h"

#include "hpgl/plot_extents.h"

#include <algorithm>

namespace orlex {

double DrawProgress::fraction() const
{
    if (totalPeriods == 0)
        return 0;
    return std::min(1.0, static_cast<double>(donePeriods) / static_cast<double>(totalPeriods));
}

std::optional<double> DrawProgress::secondsLeft() const
{
    // The pace is measured over what was sent since the clock started, so a resumed
    // draw does not count the points it skipped as done in no time.
    if (donePeriods <= periodsAtStart || elapsedSeconds <= 0 || totalPeriods == 0)
        return std::nullopt;
    const double pace = elapsedSeconds / static_cast<double>(donePeriods - periodsAtStart);
    const std::uint64_t left = totalPeriods > donePeriods ? totalPeriods - donePeriods : 0;
    return pace * static_cast<double>(left);
}

std::string DrawProgress::text() const
{
    std::string text = "Drawing: " + std::to_string(static_cast<int>(fraction() * 100)) + " %";
    if (point > 0)
        text += ", point " + std::to_string(point) + " of " + std::to_string(totalPoints);
    text += ", " + durationText(elapsedSeconds) + " elapsed";
    if (const std::optional<double> left = secondsLeft())
        text += ", about " + durationText(*left) + " left";
    return text;
}

} // namespace orlex
