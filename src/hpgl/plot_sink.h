// What a plot reader hands on as it reads: every point it carries out, in order, and
// every pen selection. The check, the preview, the draw, the statistics and the estimate
// are sinks; a reader never moves the machine or paints anything itself.
#pragma once

#include "common/pen.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace orlex {

class PlotSink {
public:
    virtual ~PlotSink() = default;
    // One point in plotter units (0.025 mm), relative coordinates already resolved: a
    // line from the previous point when `pen` is Down, a move otherwise. False asks the
    // reader to stop at once (a refused or stopped move ends the run).
    virtual bool point(double x, double y, Pen pen) = 0;
    // An SP command, with the one character taken as its pen number ('1' to '9', '0').
    virtual void selectPen(char pen) { (void)pen; }
    // How far the reading has come, told as each block of the file is read and once at
    // its end (then bytesRead is the whole file). For progress shown during long reads.
    virtual void readProgress(std::uint64_t bytesRead, std::uint64_t fileSize) { (void)bytesRead, (void)fileSize; }
};

// Hands every event to several sinks in turn; a point stops at the first sink that asks
// to stop, and the reader then stops too.
class SinkFan : public PlotSink {
public:
    SinkFan(std::initializer_list<PlotSink*> sinks)
    {
        for (PlotSink* sink : sinks)
            if (sink != nullptr)
                sinks_.push_back(sink);
    }
    bool point(double x, double y, Pen pen) override
    {
        for (PlotSink* sink : sinks_)
            if (!sink->point(x, y, pen))
                return false;
        return true;
    }
    void selectPen(char pen) override
    {
        for (PlotSink* sink : sinks_)
            sink->selectPen(pen);
    }
    void readProgress(std::uint64_t bytesRead, std::uint64_t fileSize) override
    {
        for (PlotSink* sink : sinks_)
            sink->readProgress(bytesRead, fileSize);
    }

private:
    std::vector<PlotSink*> sinks_; // the ones given, without the empty places
};

} // namespace orlex
