// The draw journal on the command line: the record a draw keeps, `draw --resume`, and the
// journal command that shows or discards it.
#pragma once

#include "cli/cli_options.h"
#include "run/draw_journal.h"
#include "run/journal_of_draw.h"
#include "run/plot_test.h"
#include "run/prepared_plot.h"

#include <optional>
#include <string>

namespace orlex::cli {

// "virtual", "ppdev-0x378", "direct-0xd010": whose journal a command means.
std::string journalPortName(const CliOptions& options, const MachineSettings& settings);

// The record of the draw these options, settings and check make, before anything is drawn.
Result<DrawJournal> journalForDraw(const CliOptions& options, const MachineSettings& settings, const PreparedPlot& plot,
                                   const PlotTest& check);

// draw --resume, before the check: the journal's file and point go into `options`; an exit
// status when there is nothing to resume or it cannot be (the reason said on stderr).
std::optional<int> takeResume(CliOptions& options, const MachineSettings& settings);
// draw --resume, after the check: exit 2 and what differs when the draw is not the
// journal's any more.
std::optional<int> refuseChangedResume(const CliOptions& options, const DrawJournal& now);

// The note a long draw that does not start from home gets, once; nullopt for others.
std::optional<std::string> unhomedLongDrawNote(const CliOptions& options, const PlotTest& check);

int runJournalCommand(const CliOptions& options);

} // namespace orlex::cli
