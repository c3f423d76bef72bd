// readFullHpgl: opens the file and runs the full HP-GL reading over it.
#include "hpgl/full/full_reader.h"

#include "hpgl/full/reader.h"
#include "hpgl/plot_file.h"

#include <cstring>

namespace orlex {

FullReadResult readFullHpgl(const std::string& path, PlotSink& sink, const FullHpglOptions& options)
{
    FullReadResult result;
    const OpenedPlotFile opened = openPlotFile(path);
    if (opened.file == nullptr) {
        result.opened = false;
        result.openError = opened.error;
        return result;
    }
    fullhpgl::CommandScanner scanner(opened.file, opened.size, options.onBlockRead);
    fullhpgl::Reader reader(scanner, sink, options);
    reader.run();
    const fullhpgl::ReadOutcome& outcome = reader.outcome();
    result.points = outcome.points;
    result.stopped = outcome.stopped;
    result.refusal = outcome.refusal;
    result.tooBig = outcome.tooBig;
    result.notes = outcome.noteSentences();
    if (scanner.error() != 0) {
        // A read that fails part-way must not pass for a complete plot.
        result.opened = false;
        result.openError = "Cannot read \"" + path + "\" past byte " + std::to_string(scanner.offset()) + ": "
                           + std::strerror(scanner.error()) + ".";
    }
    return result;
}

} // namespace orlex
