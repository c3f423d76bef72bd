// Collecting a reading's points and pen selections.
#include "plan/plot_reader.h"

#include "hpgl/classic_reader.h"

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

Result<ReadPlot> readPlotEvents(const std::string& path)
{
    ReadPlot plot;
    EventCollector collector(plot.events);
    const ReadResult read = readClassicPlot(path, collector);
    if (!read.opened)
        return failure(read.openError);
    plot.skippedPairs = read.skippedPairs;
    return plot;
}

} // namespace orlex
