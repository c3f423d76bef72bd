// The HPGL interpreter: PU, PD, PA, PR with their coordinate lists, SP's pen number,
// everything else passed over. Test mode previews and measures; draw mode also moves.
#pragma once

#include "common/result.h"
#include "drive/drive.h"
#include "preview/preview.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orlex {

// Test runs preview and measure the plot; draw runs preview it and move the carriage.
enum class RunMode { Test, Draw };
inline constexpr const char* kEndOfFileCaption = "end of file!!!";

// Longest coordinate text the interpreter reads; a longer one makes its pair skipped.
inline constexpr std::size_t kMaxCoordinateLength = 64;

// Told about progress during a run, and asked whether to stop (draw runs).
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void onPoint(std::uint64_t bytesRead, std::uint64_t fileSize, std::uint64_t points) = 0;
    virtual bool stopRequested() { return false; }
    // Each point once it has been carried out: plotter units, relative coordinates
    // resolved, and whether it was drawn (pen down) or only moved to.
    virtual void onExecutedPoint(double /*x*/, double /*y*/, bool /*penDown*/) {}
    // Each SP command, with the one character the interpreter takes as its pen number.
    virtual void onSelectPen(char /*pen*/) {}
    // A draw from a later point: the step periods (step outputs plus two per pen command)
    // that the points before it would have sent, told once before the first point drawn.
    virtual void onPointsSkipped(std::uint64_t /*stepPeriods*/) {}
};

struct SkippedPair {
    std::uint64_t offset = 0; // byte offset of the pair's first character
    std::string text;         // the pair as read, e.g. "1-2,5"
};

struct RunResult {
    bool opened = true;            // false: the file could not be opened
    std::string openError;         // path and reason when not opened
    int beeps = 0;                 // beeps the run asks for (the front end sounds them)
    bool endOfFileCaption = false; // the caption is to become "end of file!!!"

    // Test mode: the bounding box, origin included, in whole plotter units.
    std::int16_t minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool outOfRange = false;  // a point lay outside -32768..32767 plotter units
    std::uint64_t points = 0; // points executed
    std::uint64_t skippedPairs = 0;
    std::optional<SkippedPair> firstSkipped;

    // Test mode: what the draw would send, counted with lineTo's conversion and
    // interpolation from step 0,0 (in the step mode current at the test).
    std::uint64_t stepOutputs = 0; // port writes of coil bytes, each a two-cycle wait
    std::uint64_t penCommands = 0; // pen writes, each a four-cycle wait
    bool estimateValid = true;     // false when a move would be refused
    // The step positions the draw would reach, from step 0,0 at the plot's origin, in the
    // step mode current at the test (rounded, not range-checked; 0 when not computable).
    double minStepsX = 0, maxStepsX = 0, minStepsY = 0, maxStepsY = 0;

    // Draw mode: a move that was refused ends the run.
    MoveResult refusal; // ok() unless a point was refused
    double refusedX = 0, refusedY = 0;
    bool stopped = false;  // ended by a stop request
    std::string portFault; // a port call failed during a move, which ended the run

    // One message about skipped pairs (count, offset and text of the first); empty if none.
    std::string skippedMessage() const;
};

// Whether `path` can be read as a plot file: a plain file that this process may read.
// The reason otherwise ("Cannot open "x": the file does not exist.").
Result<void> checkPlotReadable(const std::string& path);

// Runs the interpreter over the plot file at `path`. `drive` moves the carriage in draw
// mode; in test mode it only supplies the step mode and step lengths for the estimate.
// A draw from `firstPoint` (1-based, points counted as the test run counts them) only
// previews the points before it, then travels pen up to where the one before it ends,
// and draws on from there.
RunResult runPlot(const std::string& path, RunMode mode, Preview& preview, Drive& drive,
                  RunObserver* observer = nullptr, std::uint64_t firstPoint = 1);

} // namespace orlex
