// The preparation's thread: it hands its result over under a lock; the window polls for
// it with its progress, so nothing of the window runs on this thread.
#include "run/background_preparation.h"

#include <utility>

namespace orlex {

bool preparationTakesWork(const std::string& chosen, const SvgImporter& svg, const PlotPreparation& preparation)
{
    return !chosen.empty() && (preparation.shorterTravel || svg.isSvgFile(chosen));
}

BackgroundPreparation::~BackgroundPreparation()
{
    cancel();
}

bool BackgroundPreparation::start(const std::string& chosen, SvgImporter svg, PlotPreparation preparation)
{
    if (busy())
        return false;
    work_.cancelRequested = false;
    work_.enter(WorkSignals::Stage::Reading);
    preparation.work = &work_;
    thread_ = std::jthread([this, chosen, svg, preparation] {
        Result<PreparedPlot> prepared = preparePlot(chosen, svg, preparation);
        std::lock_guard lock(mutex_);
        result_.emplace(std::move(prepared));
    });
    return true;
}

std::optional<Result<PreparedPlot>> BackgroundPreparation::takeResult()
{
    {
        std::lock_guard lock(mutex_);
        if (!result_)
            return std::nullopt;
    }
    thread_.join(); // it has handed its result over: it ends at once
    std::lock_guard lock(mutex_);
    // Cancelled is cancelled, even when the work was done before it heard of it.
    if (work_.cancelled())
        result_.emplace(failure("cancelled", Error::Kind::Cancelled));
    return std::exchange(result_, std::nullopt);
}

std::string BackgroundPreparation::progressText() const
{
    std::string text;
    switch (work_.stage.load(std::memory_order_relaxed)) {
    case WorkSignals::Stage::Reading: text = "Reading the plot…"; break;
    case WorkSignals::Stage::Converting: text = "Converting the drawing…"; break;
    case WorkSignals::Stage::Ordering: text = "Ordering strokes…"; break;
    case WorkSignals::Stage::Writing: text = "Writing the new order…"; break;
    }
    if (const int percent = work_.percent.load(std::memory_order_relaxed); percent >= 0)
        text += " " + std::to_string(percent) + " %";
    return text;
}

} // namespace orlex
