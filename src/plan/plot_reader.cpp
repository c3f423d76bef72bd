// Collecting a reading's points and pen selections.
#include "plan/plot_reader.h"

namespace orlex {

namespace {

class EventCollector : public PlotSink {
public:
    explicit EventCollector(PlotEvents& events) : events_(events) {}
    bool point(double x, double y, Pen pen) override
    {
        events_.emplace_back(PlotPoint{x, y, pen == Pen::Down});
        return true;
    }
    void selectPen(char pen) override { events_.emplace_back(SelectPen{pen}); }

private:
    PlotEvents& events_;
};

} // namespace

Result<ReadPlot> readPlotEvents(const std::string& path, PlotReading reading, const FullHpglOptions& fullOptions)
{
    ReadPlot plot;
    EventCollector collector(plot.events);
    ReadResult read = readPlot(path, collector, reading, fullOptions);
    if (!read.opened)
        return failure(read.openError);
    if (!read.refusal.empty())
        return failure(read.refusalMessage(), read.tooBig ? Error::Kind::TooBig : Error::Kind::Failed);
    plot.skippedPairs = read.skippedPairs;
    plot.notes = std::move(read.notes);
    return plot;
}

} // namespace orlex
