// Preparing the chosen file (SVG conversion, shorter pen-up order) on a thread of its
// own, so that the window stays live while it lasts and Stop can cancel it.
#pragma once

#include "common/work_signals.h"
#include "run/prepared_plot.h"

#include <mutex>
#include <optional>
#include <string>
#include <thread>

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

    // Starts preparing `chosen`. False when work still runs.
    bool start(const std::string& chosen, SvgImporter svg, PlotPreparation preparation);
    void cancel() { work_.cancelRequested = true; }
    bool busy() const { return thread_.joinable(); }
    // The result once the work has ended (kind Cancelled after cancel()); nothing while
    // it runs or when none was started.
    std::optional<Result<PreparedPlot>> takeResult();
    // "Ordering strokes… 45 %": what the work is doing, for the status bar.
    std::string progressText() const;

private:
    WorkSignals work_;
    std::mutex mutex_;
    std::optional<Result<PreparedPlot>> result_;
    std::jthread thread_;
};

} // namespace orlex
