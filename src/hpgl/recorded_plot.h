// A plot kept in memory as its reading made it: every point with its pen state and every
// pen selection, in order. The check records it in its one reading of the file, and the
// preview, the draw and the stroke order replay it, so a file is read once per command
// and a draw draws exactly what its check read.
#pragma once

#include "hpgl/plot_sink.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlex {

// What a replay handed on, and whether the sink stopped it.
struct ReplayEnd {
    std::uint64_t points = 0; // handed to the sink, the one it stopped at included
    bool stopped = false;
};

class RecordedPlot : public PlotSink {
public:
    bool point(double x, double y, Pen pen) override;
    void selectPen(char pen) override;

    // Hands every point and pen selection to `sink` in the order read, until the sink
    // asks to stop.
    ReplayEnd replay(PlotSink& sink) const;

    std::uint64_t points() const { return penDown_.size(); }
    std::size_t penSelections() const { return penChanges_.size(); }
    // The memory the plot holds, for the benchmarks' figures.
    std::size_t bytes() const;
    // Gives back what the vectors hold beyond the points, once the recording is done.
    void shrink();
    // The same points, pen states and pen selections, in the same order.
    bool operator==(const RecordedPlot& other) const;

private:
    // Whole coordinates within 32 bits (the usual plot) take 8 bytes a point. Any other
    // point marks its x with kExact and keeps its index into exact_ in y, so every
    // coordinate comes back exactly as read.
    static constexpr std::int32_t kExact = INT32_MIN;
    struct ExactPoint {
        double x, y;
        // Bit for bit, so that -0 and NaN compare as recorded.
        bool operator==(const ExactPoint& other) const;
    };
    struct PenChange {
        std::uint64_t beforePoint; // the number of points read before the SP
        char pen;
        bool operator==(const PenChange&) const = default;
    };
    std::vector<std::int32_t> xy_;
    std::vector<bool> penDown_;
    std::vector<ExactPoint> exact_;
    std::vector<PenChange> penChanges_;
};

} // namespace orlex
