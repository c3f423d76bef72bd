// Preparing the chosen file (SVG conversion, shorter pen-up order) on a thread of its
// own, so that the window stays live while it lasts and Stop can cancel it.
#pragma once

#include "common/work_signals.h"
#include "run/prepared_plot.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace orlex {

// Whether preparing `chosen` does more than pass it on, and so may take long.
bool preparationTakesWork(const std::string& chosen, const SvgImporter& svg, const PlotPreparation& preparation);

class BackgroundPreparation {
public:
    BackgroundPreparation() = default;
    // Cancels work still running and waits for it.
    ~BackgroundPreparation();
    BackgroundPreparation(const BackgroundPreparation&) = delete;
    BackgroundPreparation& operator=(const BackgroundPreparation&) = delete;

    // What runs on the same thread once the file is prepared (the check of it, say), unless
    // the work was cancelled; what it makes is the caller's to read after takeResult().
    using FollowUp = std::function<void(const PreparedPlot&)>;

    // Starts preparing `chosen`, then `followUp`. False when work still runs.
    bool start(const std::string& chosen, SvgImporter svg, PlotPreparation preparation, FollowUp followUp = {});
    // Gives the running work up: the next takeResult() says so at once, while the work
    // ends on its own at its next check.
    void cancel();
    bool busy() const { return job_ != nullptr; }
    // The result once the work has ended (kind Cancelled after cancel()); nothing while
    // it runs or when none was started.
    std::optional<Result<PreparedPlot>> takeResult();
    // "Ordering strokes… 45 %": what the work is doing, for the status bar.
    std::string progressText() const;

private:
    struct Job {
        WorkSignals work;
        std::mutex mutex;
        std::optional<Result<PreparedPlot>> result;
        bool finished = false; // under the mutex
    };
    struct GivenUp {
        std::shared_ptr<Job> job;
        std::jthread thread; // ending on its own at the work's next check
    };
    std::shared_ptr<Job> job_;   // the work being waited for
    std::jthread thread_;        // its thread
    std::vector<GivenUp> given_; // cancelled work
};

} // namespace orlex
