// Collecting the interpreter's points and pen selections through its observer.
#include "plan/plot_reader.h"

#include "drive/drive.h"
#include "drive/ports/null_port.h"
#include "hpgl/interpreter.h"
#include "preview/preview.h"
#include "settings/machine_settings.h"

namespace orlex {

namespace {

class EventCollector : public RunObserver {
public:
    explicit EventCollector(PlotEvents& events) : events_(events) {}
    void onPoint(std::uint64_t, std::uint64_t, std::uint64_t) override {}
    void onExecutedPoint(double x, double y, bool penDown) override { events_.emplace_back(PlotPoint{x, y, penDown}); }
    void onSelectPen(char pen) override { events_.emplace_back(SelectPen{pen}); }

private:
    PlotEvents& events_;
};

} // namespace

Result<ReadPlot> readPlotEvents(const std::string& path)
{
    const MachineSettings settings; // the test run needs no particular settings to report points
    NullCanvas canvas;
    Preview preview(canvas, settings);
    NullPort port;
    Drive drive(port, settings, DriveHooks{{}, [] { return true; }});

    ReadPlot plot;
    EventCollector collector(plot.events);
    const RunResult run = runPlot(path, RunMode::Test, preview, drive, &collector);
    if (!run.opened)
        return failure(run.openError);
    plot.skippedPairs = run.skippedPairs;
    return plot;
}

} // namespace orlex
