// The full HP-GL reading: scaling, rotation, clipping, curves, polygons, encoded
// polylines, labels, line types and fills, all handed to a PlotSink as straight
// pen-down lines and pen-up moves in plotter units. The classic reading stays the default.
#pragma once

#include "common/result.h"
#include "hpgl/full/command_census.h"
#include "hpgl/plot_sink.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orlex {

struct FullHpglOptions {
    // The hard-clip limits of the page, plotter units: where IN puts P1 and P2 (P1 at
    // 0,0, P2 at the far corner) and what RO turns. A4 landscape unless the caller
    // knows the machine's travel. Nothing is clipped to the page itself.
    double pageWidth = 11880;
    double pageHeight = 8400;

    // Limits that keep memory and time bounded for any input; past one the reading
    // is refused (Error::Kind::TooBig) and says what would be lost.
    std::uint64_t maxPoints = 200'000'000;      // points handed to the sink per file
    std::size_t maxPolygonPoints = 200'000;     // vertices in the polygon buffer (PM)
    std::size_t maxLabelCharacters = 10'000;    // characters of one label (LB)
    std::uint64_t maxChordsPerCurve = 100'000;  // chords of one circle or arc
    std::uint64_t maxDashesPerLine = 1'000'000; // dashes of one dashed line (LT)
    std::uint64_t maxFillLines = 200'000;       // hatch lines of one fill (FP, RA, RR, WG)
    std::uint64_t maxFillWork = 200'000'000;    // hatch lines x polygon edges, whole file
    double maxCoordinate = 1e7;                 // plotter units (250 m) from the origin

    // False: labels (LB, PB, symbols of SM) are read to their end but draw nothing.
    bool drawLabels = true;

    // Told after each block of the file is read: bytes read so far, and the file's size.
    std::function<void(std::uint64_t bytesRead, std::uint64_t fileSize)> onBlockRead;
};

struct FullReadResult {
    // The file could not be opened or read: "Cannot open "x": ..." as the classic reading
    // says it.
    std::optional<Error> openError;
    std::uint64_t points = 0; // points handed to the sink
    bool stopped = false;     // the sink returned false
    // The file cannot be drawn as a whole (a limit, a scale with no size...), for the
    // operator: "The full HP-GL reading refuses this plot: <what would be lost>.", of kind
    // TooBig for a size limit. The reading ends there.
    std::optional<Error> refusal;
    // Things read and deliberately left without effect, counted, one sentence each.
    std::vector<std::string> notes;
};

// Reads the HP-GL file at `path` and hands every point to `sink` in order.
FullReadResult readFullHpgl(const std::string& path, PlotSink& sink, const FullHpglOptions& options = {});

// Whether the full reading draws lines from the file through its labels and through
// nothing else. Only a plain text file that holds the letters LB is read (no control
// bytes but whitespace, ETX and ESC), so a file of stray bytes is never taken for labels.
bool drawsOnlyLabels(const std::string& path, const FullHpglOptions& options = {});

} // namespace orlex
