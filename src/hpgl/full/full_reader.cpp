// readFullHpgl: opens the file and runs the full HP-GL reading over it.
#include "hpgl/full/full_reader.h"

#include "hpgl/full/reader.h"
#include "hpgl/interpreter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orlex {

FullReadResult readFullHpgl(const std::string& path, PlotSink& sink, const FullHpglOptions& options)
{
    FullReadResult result;
    if (const Result<void> readable = checkPlotReadable(path); !readable) {
        result.opened = false;
        result.openError = readable.message();
        return result;
    }
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        result.opened = false;
        result.openError = "Cannot open \"" + path + "\": " + std::strerror(errno != 0 ? errno : EIO) + ".";
        return result;
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    fullhpgl::CommandScanner scanner(file, ec ? 0 : static_cast<std::uint64_t>(size), options.onBlockRead);
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
