// Counts and lengths of a plot: what "stat" reports and what the stroke order improves.
#pragma once

#include "common/exact_sum.h"
#include "hpgl/plot_sink.h"
#include "plan/plot_events.h"

#include <algorithm>
#include <cstdint>

namespace orlex {

// A bounding box; the program's extents always include the origin.
struct Extents {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool operator==(const Extents&) const = default;
};

struct PlotStatistics {
    std::uint64_t points = 0;        // executed points, pen up or down
    std::uint64_t strokes = 0;       // maximal pen-down runs; an SP ends one
    std::uint64_t penLifts = 0;      // pen down -> up, plus the lift after a final stroke
    std::uint64_t penSelections = 0; // SP commands
    double penDownMillimetres = 0;   // length drawn
    double penUpMillimetres = 0;     // travel of every pen-up move, the plot's last one included
    Extents units;                   // plotter units, origin included
    Extents millimetres;             // the same box in millimetres
};

// Gathers the statistics one event at a time, so a run can count a plot of any size
// without keeping its events. A plot may be counted in parts, each by a counter of its
// own, and the parts joined in order: the figures are the same, bit for bit.
class StatisticsCounter {
public:
    void add(const PlotEvent& event);
    // add() of a point and of an SP, without the event around them.
    [[gnu::always_inline]] void addPoint(double x, double y, bool down)
    {
        const Position to{x, y};
        if (s_.points == 0) [[unlikely]]
            first_ = {to, down, s_.penSelections != 0};
        ++s_.points;
        if (down) {
            if (!inStroke_) {
                ++s_.strokes;
                inStroke_ = true;
            }
            downLength_.add(distance(at_, to));
        } else {
            if (penDown_)
                ++s_.penLifts;
            inStroke_ = false;
            upLength_.add(distance(at_, to));
        }
        penDown_ = down;
        at_ = to;
        s_.units.minX = std::min(s_.units.minX, x);
        s_.units.minY = std::min(s_.units.minY, y);
        s_.units.maxX = std::max(s_.units.maxX, x);
        s_.units.maxY = std::max(s_.units.maxY, y);
    }
    void addPenSelection()
    {
        ++s_.penSelections;
        inStroke_ = false;
    }
    // Adds what `later` counted: the events that follow this counter's, counted by a new
    // counter that took its start for the origin, pen up.
    void join(const StatisticsCounter& later);
    PlotStatistics result() const;

private:
    struct FirstPoint {
        Position at;
        bool down = false;
        bool afterPenSelection = false; // an SP came before it
    };

    PlotStatistics s_;
    Position at_; // the pen starts up at the origin
    bool penDown_ = false;
    bool inStroke_ = false; // a pen-down run is open (an SP closes it, the pen stays down)
    ExactSum downLength_;
    ExactSum upLength_; // travel of the pen-up moves
    FirstPoint first_;  // what a join needs to know of the start
};

// The counter as a sink of a reading.
class StatisticsSink final : public PlotSink {
public:
    bool point(double x, double y, Pen pen) override
    {
        counter_.addPoint(x, y, pen == Pen::Down);
        return true;
    }
    void selectPen(char) override { counter_.addPenSelection(); }
    PlotStatistics result() const { return counter_.result(); }

private:
    StatisticsCounter counter_;
};

PlotStatistics computeStatistics(const PlotEvents& events);

} // namespace orlex
