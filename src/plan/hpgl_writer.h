// Plain absolute HPGL that the reader reads back to the same points: the one writer
// for reordered plots and converted SVG drawings.
#pragma once

#include "common/pen.h"
#include "common/result.h"
#include "hpgl/plot_reading.h"
#include "hpgl/plot_sink.h"
#include "plan/plot_events.h"
#include "plan/stroke_order.h"

#include <optional>
#include <string>

namespace orlex {

// How coordinates are written.
enum class HpglNumbers {
    Exact,      // the shortest plain decimal that reads back as the identical double
    WholeUnits, // the whole part, cut toward zero ("12" for 12.9, "0" for -0.0), as SVG conversions write
};

// Writes "IN;", then "SP1;" if points come before any SP, "PU x,y;" for each pen-up point,
// "PD x,y,x,y,...;" for each run of pen-down points, "SPn;" for each pen selection, and
// "PU;" at the end.
class HpglWriter : public PlotSink {
public:
    explicit HpglWriter(HpglNumbers numbers = HpglNumbers::Exact);

    // False for a coordinate with no such text (not finite, longer than the reader
    // reads, beyond a whole number's range): the writing has failed and ends there.
    bool point(double x, double y, Pen pen) override;
    // SP with the one character the reader took as the pen number.
    void selectPen(char pen) override;
    // SP with a pen number of one or more digits, as the SVG import numbers its pens.
    void selectPenNumber(int pen);

    // The whole text, or why a point could not be written.
    Result<std::string> finish();

private:
    void beginSelectPen();
    bool appendNumber(double v);

    HpglNumbers numbers_;
    std::string out_ = "IN;\n";
    bool penChosen_ = false;
    bool inDownList_ = false; // a "PD" list is open
    std::optional<std::string> failure_;
};

// What reading the writer's text back with `reading` would hand on, without the text:
// coordinates as `numbers` writes them, "SP1;" before a first point that no SP precedes,
// pen numbers as that reading takes them. A plot converted or reordered in memory thus
// draws what its written file would. False for a point the writer cannot write.
class WrittenPlotSink : public PlotSink {
public:
    WrittenPlotSink(PlotSink& out, HpglNumbers numbers, PlotReading reading);
    bool point(double x, double y, Pen pen) override;
    void selectPen(char pen) override;
    void selectPenNumber(int pen);
    // Nothing, or why a point could not be written (the writer's own message).
    Result<void> finish() const;

private:
    PlotSink& out_;
    HpglNumbers numbers_;
    PlotReading reading_;
    bool penChosen_ = false;
    std::optional<std::string> failure_;
};

// The events as HPGL; fails for a point that cannot be written in `numbers`.
Result<std::string> writeHpgl(const PlotEvents& events, HpglNumbers numbers = HpglNumbers::Exact);

// The plot's strokes as strokeEvents draws them.
Result<std::string> writeHpgl(const OrderedPlot& plot);

} // namespace orlex
