// readPlot: the classic reading, or the full HP-GL reading mapped into a ReadResult.
#include "hpgl/plot_reading.h"

#include "common/plotter_units.h"

#include <cmath>

namespace orlex {

std::optional<PlotReading> plotReadingFromName(const std::string& name)
{
    if (name == "classic")
        return PlotReading::Classic;
    if (name == "full")
        return PlotReading::Full;
    return std::nullopt;
}

FullHpglOptions machinePage(const MachineSettings& settings)
{
    FullHpglOptions options;
    const double width = settings.travelXmm * kPlotterUnitsPerMm, height = settings.travelYmm * kPlotterUnitsPerMm;
    if (std::isfinite(width) && std::isfinite(height) && width > 0 && height > 0) {
        options.pageWidth = width;
        options.pageHeight = height;
    }
    return options;
}

ReadResult readPlot(const std::string& path, PlotSink& sink, PlotReading reading, const FullHpglOptions& fullOptions,
                    Census census)
{
    if (reading == PlotReading::Classic || path.empty())
        return readClassicPlot(path, sink, census);
    FullHpglOptions options = fullOptions;
    if (!options.onBlockRead)
        options.onBlockRead = [&sink](std::uint64_t bytesRead, std::uint64_t fileSize) {
            sink.readProgress(bytesRead, fileSize);
        };
    FullReadResult full = readFullHpgl(path, sink, options);
    ReadResult result;
    result.openError = std::move(full.openError);
    result.points = full.points;
    result.stopped = full.stopped;
    result.refusal = std::move(full.refusal);
    result.notes = std::move(full.notes);
    return result;
}

} // namespace orlex
