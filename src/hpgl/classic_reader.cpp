// The classic HPGL reader's file handling and messages; the reading itself is in
// classic_reading.h.
#include "hpgl/classic_reader.h"

#include "hpgl/classic_reading.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlex {

namespace {

std::string plainReason(int error)
{
    switch (error) {
    case ENOENT: return "the file does not exist";
    case EACCES:
    case EPERM: return "you have no permission to read it";
    case EISDIR: return "it is a folder, not a file";
    default: return std::strerror(error);
    }
}

} // namespace

std::string ReadResult::skippedMessage() const
{
    if (skippedPairs == 0 || !firstSkipped)
        return {};
    const std::string offset = std::to_string(firstSkipped->offset);
    const std::string text = "\"" + firstSkipped->text + "\"";
    if (skippedPairs == 1)
        return "1 coordinate pair was skipped because its values are not valid numbers; it was at byte " + offset + ": "
               + text + ".";
    return std::to_string(skippedPairs)
           + " coordinate pairs were skipped because they are not valid numbers; the first, at byte " + offset
           + ", was " + text + ".";
}

Result<void> checkPlotReadable(const std::string& path)
{
    const std::string cannotOpen = "Cannot open \"" + path + "\": ";
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return failure(cannotOpen + plainReason(EISDIR) + ".");
    // A device or a pipe (/dev/zero, a FIFO) could be read for ever or block the open,
    // and the test run does not yield: only plain files are read.
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return failure(cannotOpen + "it is not a plain file but a device or a pipe.");
    if (::access(path.c_str(), R_OK) != 0)
        return failure(cannotOpen + plainReason(errno) + ".");
    return {};
}

namespace classic_reading {

OpenPlot openPlot(const std::string& path, ReadResult& result, std::uint64_t& size)
{
    if (path.empty()) { // no file chosen
        result.beeps = 1;
        return {};
    }
    if (Result<void> readable = checkPlotReadable(path); !readable) {
        result.openError = readable.error();
        return {};
    }
    errno = 0;
    OpenPlot file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file) {
        result.openError = failure("Cannot open \"" + path + "\": " + plainReason(errno != 0 ? errno : EIO) + ".");
        return {};
    }
    struct stat status {};
    size = ::fstat(file.fd(), &status) == 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    return file;
}

void finishReading(const std::string& path, ByteReader& reader, CommandCensus* census, ReadResult& result)
{
    if (census != nullptr) {
        while (!reader.atEnd()) // the rest of a file whose sink stopped
            reader.skipTo(reader.blockEnd());
        result.ignoredByClassic = census->finish(reader.error() != 0);
    }
    if (reader.error() != 0) {
        // A read that fails part-way must not pass for a complete plot.
        result.openError = failure("Cannot read \"" + path + "\" past byte " + std::to_string(reader.consumed()) + ": "
                                   + plainReason(reader.error()) + ".");
    }
}

} // namespace classic_reading

ReadResult readClassicPlot(const std::string& path, PlotSink& sink, Census census)
{
    return readClassicPlotInto(path, sink, census);
}

} // namespace orlex
