// The one switch between the two readings of a plot file: the classic reading and the
// full HP-GL reading hand the same events to a sink and report in the same ReadResult.
#pragma once

#include "hpgl/classic_reader.h"
#include "hpgl/full/full_reader.h"
#include "settings/machine_settings.h"

#include <optional>
#include <string>

namespace orlex {

enum class PlotReading { Classic, Full };

// "classic" or "full", as the command line names them; nullopt for another name.
std::optional<PlotReading> plotReadingFromName(const std::string& name);

// The full reading's options with the machine's travel, Maxx x Maxy in plotter units, as
// the page that IN and RO refer to (the default page when the travel is not a size).
FullHpglOptions machinePage(const MachineSettings& settings);

// Reads the plot file at `path` with `reading` into `sink`. The full reading's refusal
// (of kind TooBig for a size limit) and notes go to the result's fields of those names;
// its progress reaches the sink's readProgress. An empty path reads nothing and asks for
// one beep, in both readings.
// The classic reading takes its census when asked (see readClassicPlot).
ReadResult readPlot(const std::string& path, PlotSink& sink, PlotReading reading,
                    const FullHpglOptions& fullOptions = {}, Census census = Census::Skip);

} // namespace orlex
