// The preparation's thread: it hands its result over under its job's lock; the window
// polls for it with its progress, so nothing of the window runs on this thread. Work that
// was given up keeps its own job, so a new one never waits for it.
#include "run/background_preparation.h"

#include <algorithm>
#include <utility>

namespace orlex {

bool preparationTakesWork(const std::string& chosen, const SvgImporter& svg, const PlotPreparation& preparation)
{
    return !chosen.empty() && (preparation.shorterTravel || preparation.lineWork.any() || svg.isSvgFile(chosen));
}

BackgroundPreparation::~BackgroundPreparation()
{
    cancel(); // the threads are joined as they go, the given-up ones with them
}

bool BackgroundPreparation::start(const std::string& chosen, SvgImporter svg, PlotPreparation preparation,
                                  FollowUp followUp)
{
    if (busy())
        return false;
    // Given-up work that has ended is joined now (at once); the rest runs on.
    std::erase_if(given_, [](const GivenUp& g) {
        std::lock_guard lock(g.job->mutex);
        return g.job->finished;
    });
    auto job = std::make_shared<Job>();
    preparation.work = &job->work;
    job_ = job;
    thread_ = std::jthread([job, chosen, svg, preparation, followUp = std::move(followUp)] {
        Result<PreparedPlot> prepared = preparePlot(chosen, svg, preparation);
        if (prepared && followUp && !job->work.cancelled()) {
            job->work.enter(WorkSignals::Stage::Checking);
            followUp(*prepared);
        }
        std::lock_guard lock(job->mutex);
        job->result.emplace(std::move(prepared));
        job->finished = true;
    });
    return true;
}

void BackgroundPreparation::cancel()
{
    if (job_)
        job_->work.cancelRequested = true;
}

std::optional<Result<PreparedPlot>> BackgroundPreparation::takeResult()
{
    if (!job_)
        return std::nullopt;
    if (job_->work.cancelled()) {
        // Cancelled is cancelled at once, even for work that had finished unheard.
        given_.push_back({std::move(job_), std::move(thread_)});
        return Result<PreparedPlot>(failure("cancelled", Error::Kind::Cancelled));
    }
    {
        std::lock_guard lock(job_->mutex);
        if (!job_->finished)
            return std::nullopt;
    }
    thread_.join(); // it has handed its result over: it ends at once
    std::optional<Result<PreparedPlot>> result = std::move(job_->result);
    job_.reset();
    return result;
}

std::string BackgroundPreparation::progressText() const
{
    if (!job_)
        return {};
    std::string text;
    switch (job_->work.stage.load(std::memory_order_relaxed)) {
    case WorkSignals::Stage::Reading: text = "Reading the plot…"; break;
    case WorkSignals::Stage::Converting: text = "Converting the drawing…"; break;
    case WorkSignals::Stage::Ordering: text = "Ordering strokes…"; break;
    case WorkSignals::Stage::Writing: text = "Writing the new order…"; break;
    case WorkSignals::Stage::Checking: text = "Checking the plot…"; break;
    }
    if (const int percent = job_->work.percent.load(std::memory_order_relaxed); percent >= 0)
        text += " " + std::to_string(percent) + " %";
    return text;
}

} // namespace orlex
