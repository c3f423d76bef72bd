// The classic HPGL reader: PU, PD, PA, PR with their coordinate lists, SP's pen number,
// everything else passed over. It turns the bytes of a plot file into points and pen
// selections for a sink; what happens to them is the sink's business.
#pragma once

#include "common/result.h"
#include "hpgl/full/command_census.h"
#include "hpgl/plot_sink.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlex {

inline constexpr const char* kEndOfFileCaption = "end of file!!!";

// Longest coordinate text the reader reads; a longer one makes its pair skipped.
inline constexpr std::size_t kMaxCoordinateLength = 64;

struct SkippedPair {
    std::uint64_t offset = 0; // byte offset of the pair's first character
    std::string text;         // the pair as read, e.g. "1-2,5"
};

// What reading a file found, besides what went to the sink.
struct ReadResult {
    std::optional<Error> openError; // the file could not be opened or read: path and reason
    int beeps = 0;                  // beeps the reading asks for (the front end sounds them)
    bool endOfFileCaption = false;  // the caption is to become "end of file!!!"
    // Points handed to the sink, the one it stopped at included.
    std::uint64_t points = 0;
    bool stopped = false; // the sink asked to stop
    std::uint64_t skippedPairs = 0;
    std::optional<SkippedPair> firstSkipped;
    // Set by the full HP-GL reading only (see plot_reading.h): why the file cannot be
    // drawn as a whole, which ended the reading, for the operator, of kind TooBig for a
    // size limit; what it read and left without effect, counted, one sentence each.
    std::optional<Error> refusal;
    std::vector<std::string> notes;
    // The classic reading asked for its census (Census::Take): what it passed over.
    ClassicIgnoredCommands ignoredByClassic;

    // One message about skipped pairs (count, offset and text of the first); empty if none.
    std::string skippedMessage() const;
};

// Whether `path` can be read as a plot file: a plain file that this process may read.
// The reason otherwise ("Cannot open "x": the file does not exist.").
Result<void> checkPlotReadable(const std::string& path);

// Reads the plot file at `path` to its end, or until the sink asks to stop. An empty path
// (no file chosen) reads nothing and asks for one beep. With Census::Take the blocks read
// also go to the census of what the reading passes over (the whole file, even when the
// sink stopped), into the result's ignoredByClassic.
ReadResult readClassicPlot(const std::string& path, PlotSink& sink, Census census = Census::Skip);

} // namespace orlex
