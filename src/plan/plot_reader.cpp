// Collecting a reading's points and pen selections.
#include "plan/plot_reader.h"

namespace orlex {

namespace {

class EventCollector : public PlotSink {
public:
    EventCollector(PlotEvents& events, const WorkSignals* work) : events_(events), work_(work) {}
    bool point(double x, double y, Pen pen) override
    {
        events_.emplace_back(PlotPoint{x, y, pen == Pen::Down});
        return (events_.size() & 4095) != 0 || !cancelled(work_);
    }
    void selectPen(char pen) override { events_.emplace_back(SelectPen{pen}); }

private:
    PlotEvents& events_;
    const WorkSignals* work_;
};

} // namespace

Result<ReadPlot> readPlotEvents(const std::string& path, PlotReading reading, const FullHpglOptions& fullOptions,
                                const WorkSignals* work)
{
    ReadPlot plot;
    EventCollector collector(plot.events, work);
    ReadResult read = readPlot(path, collector, reading, fullOptions);
    if (read.openError)
        return *read.openError;
    if (cancelled(work))
        return failure("cancelled", Error::Kind::Cancelled);
    if (read.refusal)
        return *read.refusal;
    plot.skippedPairs = read.skippedPairs;
    plot.notes = std::move(read.notes);
    return plot;
}

} // namespace orlex
