// Collecting a reading's points and pen selections.
#include "plan/plot_reader.h"

#include "hpgl/classic_reader.h"

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

Result<ReadPlot> readPlotEvents(const std::string& path, const WorkSignals* work)
{
    ReadPlot plot;
    EventCollector collector(plot.events, work);
    const ReadResult read = readClassicPlot(path, collector);
    if (!read.opened)
        return failure(read.openError);
    if (cancelled(work))
        return failure("cancelled", Error::Kind::Cancelled);
    plot.skippedPairs = read.skippedPairs;
    return plot;
}

} // namespace orlex
