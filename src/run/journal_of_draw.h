// What both front ends do with the draw journal around a draw: the record of the draw
// about to run, the texts that tell of a kept one, and feeding the keeper from the draw's
// counters on the front end's own thread.
#pragma once

#include "drive/ports/open_port.h"
#include "run/draw_journal.h"
#include "run/draw_monitor.h"
#include "run/plot_test.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orlex {

// Ten minutes: a draw longer than that is worth resuming.
inline constexpr double kLongDrawSeconds = 600;

// "virtual", "ppdev-0x378", "direct-0xd010": whose journal a draw keeps.
std::string journalPortName(PortKind kind, std::uint16_t address);

// The draw a front end is about to start, as far as the check does not tell it.
struct JournalDrawSetup {
    std::string plotFile;         // as chosen; recorded absolute
    std::string conversion;       // an SVG's conversion options; empty for a plot file
    std::string port;             // journalPortName
    bool shorterTravel = false;   // the strokes are drawn in the shorter-travel order
    bool fromHome = false;        // the draw begins with "Pen to 0", so its origin can be found again
    std::uint64_t firstPoint = 1; // where the draw starts
};

// The record of the draw `check` allows with `settings`, before anything is drawn: the
// chosen file's bytes are hashed now, moments after the check read them.
Result<DrawJournal> journalForDraw(const JournalDrawSetup& setup, const MachineSettings& settings,
                                   const PlotTest& check);

// "The draw of FILE stopped at point N of M, DATE: K % of the drawing done"
std::string journalStoppedText(const DrawJournal& journal);

// The note a draw of more than ten minutes gets once when it does not start from home;
// nullopt for others. `seconds` is its estimate, when known.
std::optional<std::string> unhomedLongDrawNote(std::optional<double> seconds, bool fromHome);

// One look at the running draw's counters; the keeper writes when it is time to.
void pollJournal(JournalKeeper& keeper, const DrawMonitor& monitor);
// The draw is over: a finished one drops the journal, any other keeps the point before
// the one it stopped at (`stoppedAtPoint`, 0 when it has none: then `firstPoint`).
void endJournal(JournalKeeper& keeper, bool finished, std::uint64_t stoppedAtPoint, std::uint64_t firstPoint,
                double percent);

} // namespace orlex
