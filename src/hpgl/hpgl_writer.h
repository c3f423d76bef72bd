// The one HPGL writer: plain absolute PU/PD/SP commands that the readers read back to the
// same points, in the number rule and the frame its caller asks for.
#pragma once

#include "common/pen.h"
#include "common/result.h"
#include "hpgl/plot_reading.h"
#include "hpgl/plot_sink.h"

#include <optional>
#include <string>

namespace orlex {

// How coordinates are written.
enum class HpglNumbers {
    // The shortest plain decimal that reads back as the identical double. The shorter
    // pen-up travel ordering (optimize, the window's reordering) writes the reader's own
    // points this way, so the reordered plot draws exactly the points that were planned.
    Exact,
    // Whole plotter units, rounded half to even ("6" for 5.5 and for 6.5, "0" for -0.4).
    // The conversions write these: convert of a plot (its full reading gives fractions) and
    // the SVG conversion (whose points are whole already, so the rule changes nothing).
    WholeUnits,
};

// The commands around the coordinates. Each output has had its own since it was first
// written, and existing files and scripts compare those bytes, so both are kept.
enum class HpglFrame {
    // "IN;", then "SP1;" when points come before any SP, one "PU x,y;" per pen-up point,
    // "PD x,y,...;" per pen-down run and "PU;" at the end: a file that stands alone on any
    // plotter (optimize and the SVG conversion).
    Initialised,
    // "PA;", then PU and PD lists, one per run of points with the same pen, and nothing
    // added: convert of a plot, whose reading already chose its pens.
    Plain,
};

// Collects the text in memory; a caller that streams hands it on with take().
class HpglWriter : public PlotSink {
public:
    explicit HpglWriter(HpglNumbers numbers = HpglNumbers::Exact, HpglFrame frame = HpglFrame::Initialised);

    // False for a coordinate with no such text (not finite, longer than the reader
    // reads, beyond a whole number's range): the writing has failed and ends there.
    bool point(double x, double y, Pen pen) override;
    // SP with the one character the reader took as the pen number.
    void selectPen(char pen) override;
    // SP with a pen number of one or more digits, as the SVG import numbers its pens.
    void selectPenNumber(int pen);

    // The text written since the last take(), handed over; the writing goes on.
    std::string take();
    std::size_t pending() const { return out_.size(); }

    // The rest of the text, the open list ended and the frame closed, or why a point could
    // not be written.
    Result<std::string> finish();

private:
    void closeList();
    void beginSelectPen();
    bool appendNumber(double v);

    HpglNumbers numbers_;
    HpglFrame frame_;
    std::string out_;
    bool penChosen_ = false;
    char list_ = 0; // 'U' or 'D' while a PU or PD list is open
    std::optional<std::string> failure_;
};

// What reading the Initialised writer's text back with `reading` would hand on, without
// the text: coordinates as `numbers` writes them, "SP1;" before a first point that no SP
// precedes, pen numbers as that reading takes them. A plot converted or reordered in
// memory thus draws what its written file would. False for a point the writer cannot write.
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

} // namespace orlex
